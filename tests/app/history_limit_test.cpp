// The undo history of the big boxes keeps a bounded amount of text: past its limit a write or a
// paste forgets the older steps, never its own, and the content, its soft breaks and the caret
// stay exactly as they were.

#include "app/text_boxes.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace kelvaro::app {
namespace {

std::u16string Filled(char16_t unit, std::size_t size) { return std::u16string(size, unit); }

// The steps ctrl+Z can take back (the document's own count is of its internal commands).
int UndoSteps(MultiLineBox& box) {
  int steps = 0;
  for (; box.document()->isUndoAvailable(); ++steps)
    box.undo();
  for (int i = 0; i < steps; ++i)
    box.redo();
  return steps;
}

TEST(HistoryLimit, TheLimitIsLargeEnoughForEveryDayTexts) {
  // Several steps of an 8 MiB paste (about 3 Mi units of Chinese) and their results.
  EXPECT_GE(MultiLineBox::kHistoryUnits, std::size_t{24} << 20);
}

TEST(HistoryLimit, AWriteBeyondTheLimitForgetsTheOlderStepsButNotItsOwn) {
  MultiLineBox box;
  box.setHistoryLimit(1000);
  box.setBoxText(Filled(u'a', 600));
  box.setBoxText(Filled(u'b', 300));
  EXPECT_EQ(UndoSteps(box), 2);
  box.setBoxText(Filled(u'c', 600)); // 600 + 300 + 600 units: past the limit
  EXPECT_EQ(UndoSteps(box), 1);
  // What came in since: the content kept when the history began, and the last write.
  constexpr std::size_t kLine = MultiLineBox::kHistoryUnitsPerLine;
  EXPECT_LE(box.historyUnits(), (301 + kLine) + (600 + kLine));
  box.undo();
  EXPECT_EQ(box.boxText(), Filled(u'b', 300));
  EXPECT_FALSE(box.document()->isUndoAvailable());
  box.redo();
  EXPECT_EQ(box.boxText(), Filled(u'c', 600));
}

TEST(HistoryLimit, ASingleWriteLargerThanTheLimitIsStillOneStep) {
  MultiLineBox box;
  box.setHistoryLimit(100);
  box.setBoxText(u"first");
  box.setBoxText(u"second");
  box.setBoxText(Filled(u'x', 5000));
  box.undo();
  EXPECT_EQ(box.boxText(), u"second");
}

TEST(HistoryLimit, TheTextTakenInStaysWithinTheLimitOverALongSession) {
  MultiLineBox box;
  constexpr std::size_t kLimit = 10'000;
  box.setHistoryLimit(kLimit);
  for (int round = 0; round < 200; ++round) {
    const std::size_t size = 100 + static_cast<std::size_t>(round * 37 % 900);
    const std::u16string previous = box.boxText();
    box.setBoxText(Filled(static_cast<char16_t>(u'a' + round % 26), size));
    // The count is the content when the history last began and what came in since; past the
    // limit only the previous content and this write.
    ASSERT_LE(box.historyUnits(), std::max(kLimit, previous.size() + 1 + size +
                                                       2 * MultiLineBox::kHistoryUnitsPerLine));
    box.undo();
    ASSERT_EQ(box.boxText(), previous);
    box.redo();
  }
}

TEST(HistoryLimit, ManyShortLinesShareBlocksAndCountForWhatTheyCost) {
  MultiLineBox box;
  box.setHistoryLimit(100'000);
  std::u16string lines;
  for (int i = 0; i < 20'000; ++i)
    lines += u"a\r\n";
  // 60 000 units of text in 20 001 lines, packed into a few blocks of up to kSoftLineUnits.
  box.setBoxText(u"first");
  box.setBoxText(lines);
  const auto blocks = static_cast<std::size_t>(box.document()->blockCount());
  EXPECT_LE(blocks, 2 * lines.size() / 3 / MultiLineBox::kSoftLineUnits + 2);
  EXPECT_GE(box.historyUnits(), 2 * lines.size() / 3 + blocks * MultiLineBox::kHistoryUnitsPerLine);
  box.setBoxText(lines + u"b");
  EXPECT_EQ(UndoSteps(box), 1);
  box.undo();
  EXPECT_EQ(box.boxText(), lines);
}

TEST(HistoryLimit, APasteBeyondTheLimitKeepsTheContentItsSoftBreaksAndTheCaret) {
  MultiLineBox box;
  std::u16string line(3 * MultiLineBox::kSoftLineUnits + 99, u'q');
  for (std::size_t i = 0; i < line.size(); i += 11)
    line[i] = u' ';
  const std::u16string text = u"head\r\n" + line + u"\r\ntail";
  box.setBoxText(u"older");
  box.setBoxText(text);
  box.setHistoryLimit(text.size() + 10); // the next paste goes past it
  const int blocks = box.document()->blockCount();
  ASSERT_GT(blocks, 4);
  QTextCursor caret = box.textCursor();
  caret.setPosition(7);
  caret.setPosition(12, QTextCursor::KeepAnchor);
  box.setTextCursor(caret);
  QApplication::clipboard()->setText(QStringLiteral("PASTED"));
  box.paste();
  // Positions 7 and 12 of the document stand after "head", one block separator and two units
  // of the line: units 8 and 13 of the text, whose line break takes two.
  const std::u16string pasted = text.substr(0, 8) + u"PASTED" + text.substr(13);
  EXPECT_EQ(box.boxText(), pasted);
  EXPECT_EQ(box.document()->blockCount(), blocks);
  EXPECT_EQ(UndoSteps(box), 1);
  box.undo();
  EXPECT_EQ(box.boxText(), text);
  EXPECT_EQ(box.document()->blockCount(), blocks);
  int continuations = 0;
  for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
    continuations += MultiLineBox::ContinuesLine(block) ? 1 : 0;
  EXPECT_EQ(continuations, 3);
}

TEST(HistoryLimit, TypingCountsButNeverForgets) {
  MultiLineBox box;
  box.setHistoryLimit(10);
  box.setBoxText(u"abc");
  box.setBoxText(u"abcdefgh");
  const int steps = UndoSteps(box);
  box.moveCursor(QTextCursor::End);
  for (const char letter : {'x', 'y', 'z'}) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QString(QLatin1Char(letter)));
    QApplication::sendEvent(&box, &press);
  }
  EXPECT_EQ(box.boxText(), u"abcdefghxyz");
  EXPECT_GE(UndoSteps(box), steps);
  EXPECT_GT(box.historyUnits(), 10u);
}

} // namespace
} // namespace kelvaro::app
