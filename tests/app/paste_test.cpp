// Pasting a long text into a big box: it must go in quickly and read back exactly.

#include "app/form1.h"
#include "app/text_boxes.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>

namespace kelvaro::app {
namespace {

TEST(LongPaste, GoesInAsLaidOutLinesAndReadsBackExactly) {
  Form1 window(Operations());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* text1 = window.findChild<QPlainTextEdit*>("Text1");
  ASSERT_NE(text1, nullptr);

  // A megabyte of Base64 without a single space, a line break inside, and text around the caret.
  std::u16string pasted;
  while (pasted.size() < (1u << 20))
    pasted += u"QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo=";
  pasted += u"\r\n中文 end";
  WriteBox(text1, u"before|after");
  QTextCursor cursor = text1->textCursor();
  cursor.setPosition(7);
  text1->setTextCursor(cursor);
  QApplication::clipboard()->setText(ToQString(pasted));

  const auto start = std::chrono::steady_clock::now();
  text1->paste();
  // A paste this long is laid out off the window's thread; the box takes it once that is done.
  while (window.isWorking())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QApplication::processEvents();
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  EXPECT_EQ(ReadBox(text1), u"before|" + pasted + u"after");
  // Not a speed target (those live in the benchmarks): pasted as one paragraph this took minutes.
  EXPECT_LT(seconds, 30.0);
  EXPECT_GT(text1->document()->blockCount(), 60); // soft breaks every 16 Ki units

  text1->undo();
  EXPECT_EQ(ReadBox(text1), u"before|after");
}

} // namespace
} // namespace kelvaro::app
