// Faults the long-session soak test found, each pinned down where it was found: in the real
// window over the real registry, on the offscreen platform.

#include "app/text_boxes.h"
#include "live_window.h"
#include "support/text.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace kelvaro::app {
namespace {

using testing::U8;

using SoakRegressions = LiveWindow;

// A line edit cuts its text at 32767 units unless told otherwise: a pasted find text lost its end,
// and the replace then replaced the part that was left wherever it occurred.
TEST_F(SoakRegressions, TheFindBoxCutLongTextsAt32767Units) {
  const std::u16string kept(32767, u'a');
  const std::u16string find = kept + std::u16string(10, u'b');
  Set("Text1", kept + u"c");
  for (const std::string_view box : {"TxtBeiTiHuan", "TxtTiHuan"}) {
    SCOPED_TRACE(std::string(box));
    auto* line = Control<QLineEdit>(box);
    QApplication::clipboard()->setText(ToQString(find));
    line->selectAll();
    line->paste();
    EXPECT_EQ(Read(box), find);
    Set(box, find);
    EXPECT_EQ(Read(box), find);
  }
  Set("TxtTiHuan", u"R");
  Click("CMDTIHUAN");
  EXPECT_EQ(Read("Text1"), kept + u"c"); // the find text occurs nowhere
}

// QString::fromUtf16 reads a leading U+FEFF as a byte order mark and drops it, and a leading
// U+FFFE as a reversed one and swaps the bytes of everything after it: a text starting with either
// (kept by the boxes under utf-8 and gb18030) lost its first character or became other characters.
TEST(SoakRegressionsUnits, ALeadingFeffOrFffeLostOrSwappedTheText) {
  for (const std::u16string_view text :
       {std::u16string_view(u"\uFFFE\u4E2D\u6587A"), std::u16string_view(u"\uFEFF\u4E2D"),
        std::u16string_view(u"\uFFFE"), std::u16string_view(u"\uFEFF")}) {
    SCOPED_TRACE(U8(text));
    const QString converted = ToQString(text);
    EXPECT_EQ(UnitsOf(converted), text);
  }
}

TEST_F(SoakRegressions, ALeadingFeffOrFffeLostOrSwappedTheBoxesText) {
  ChooseCharset("utf-8");
  // Written whole, pasted, and at the start of a soft-broken part of a long line.
  const std::u16string line =
      std::u16string(MultiLineBox::kSoftLineUnits, u'x') + u"\uFFFE\u4E2D" + u"\uFEFF\u6587";
  for (const std::u16string_view text :
       {std::u16string_view(u"\uFFFE\u4E2D\u6587A"), std::u16string_view(u"\uFEFFab"),
        std::u16string_view(u"a\r\n\uFFFE\u4E2D\r\n\uFEFFb"), std::u16string_view(line)}) {
    SCOPED_TRACE(U8(text.substr(0, 8)));
    Set("Text1", text);
    EXPECT_EQ(Read("Text1"), text);
    Set("Text2", u"");
    QApplication::clipboard()->setText(ToQString(text));
    Control<QPlainTextEdit>("Text2")->paste();
    EXPECT_EQ(Read("Text2"), text);
    Set("TxtBeiTiHuan", text.substr(0, 4));
    EXPECT_EQ(Read("TxtBeiTiHuan"), text.substr(0, 4));
  }
}

// A single-line box found what an edit inserted by comparing the text before and after it: text
// pasted or typed over the same text looked like no insertion at all, and kept the characters the
// chosen charset lacked while the boxes turned those into "?". The boxes keep every character now;
// an edit over the same text still comes out as pasted.
TEST_F(SoakRegressions, APasteOverTheSameTextKeepsWhatWasPasted) {
  struct OverCase {
    std::u16string_view held, pasted, shown;
  };
  const OverCase cases[] = {
      {u"ß", u"ß", u"ß"},
      {u"ßx", u"ßy", u"ßy"},
      {u"aßb", u"aßb", u"aßb"},
  };
  auto* find = Control<QLineEdit>("TxtBeiTiHuan");
  for (const OverCase& c : cases) {
    SCOPED_TRACE(U8(c.pasted));
    ChooseCharset("utf-8");
    Set("TxtBeiTiHuan", c.held);
    ChooseCharset("shift_jis"); // lacks ß; the box keeps what it holds
    ASSERT_EQ(Read("TxtBeiTiHuan"), c.held);
    QApplication::clipboard()->setText(ToQString(c.pasted));
    find->selectAll();
    find->paste();
    EXPECT_EQ(Read("TxtBeiTiHuan"), c.shown);
  }
  // Typed over a selection of the same character.
  ChooseCharset("utf-8");
  Set("TxtBeiTiHuan", u"ß");
  ChooseCharset("shift_jis");
  find->selectAll();
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x00DF)));
  QApplication::sendEvent(find, &press);
  EXPECT_EQ(Read("TxtBeiTiHuan"), u"ß");
  // What the box held from before, outside the edit, stays.
  ChooseCharset("utf-8");
  Set("TxtBeiTiHuan", u"ß-");
  ChooseCharset("shift_jis");
  find->setCursorPosition(2);
  QApplication::clipboard()->setText(ToQString(u"ß"));
  find->paste();
  EXPECT_EQ(Read("TxtBeiTiHuan"), u"ß-ß");
}

// A line edit keeps some 32 bytes of undo record for every unit an edit inserts or removes, and
// never lets go of them: a session of pasting long find texts grew by 64 MiB with every megabyte
// pasted over a megabyte.
TEST(SoakRegressionsUnits, TheFindBoxsHistoryGrewWithEveryPastedUnit) {
  SingleLineBox box;
  const QString long1(200'000, QLatin1Char('a'));
  const QString long2(200'000, QLatin1Char('b'));
  QApplication::clipboard()->setText(long1);
  box.paste();
  EXPECT_EQ(box.historyUnits(), 200'000u);
  EXPECT_TRUE(box.isUndoAvailable()); // within the limit: undoable
  QApplication::clipboard()->setText(long2);
  box.selectAll();
  box.paste(); // 200 000 removed and 200 000 inserted: past the limit
  EXPECT_EQ(box.text(), long2);
  EXPECT_FALSE(box.isUndoAvailable());
  EXPECT_EQ(box.historyUnits(), 0u);
  for (int round = 0; round < 20; ++round) {
    QApplication::clipboard()->setText(round % 2 ? long1 : long2);
    box.selectAll();
    box.paste();
    ASSERT_LE(box.historyUnits(), SingleLineBox::kHistoryUnits);
  }
  // Typing after it has its history again, caret and all.
  box.setCursorPosition(3);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  QApplication::sendEvent(&box, &press);
  EXPECT_EQ(box.cursorPosition(), 4);
  EXPECT_TRUE(box.isUndoAvailable());
  box.undo();
  EXPECT_EQ(box.text().size(), 200'000);
}

} // namespace
} // namespace kelvaro::app
