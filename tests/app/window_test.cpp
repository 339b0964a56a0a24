// The window as a user meets it: real buttons clicked, real boxes set and read, on the offscreen
// platform. Fake operation tables stand in for the registry where a test needs a known behaviour.

#include "app/controls.h"
#include "app/form1.h"
#include "app/status_line.h"
#include "app/text_boxes.h"
#include "app/vertical_text.h"
#include "net/resolver.h"
#include "support/text.h"
#include "window_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <thread>
#include <vector>

namespace kelvaro::app {
namespace {

using enum Box;
using testing::U16;
using testing::U8;

// ---- fake operations --------------------------------------------------------------------------

// What the last fake operation saw, so a test can tell what the window handed over.
std::optional<std::u16string> g_lastInput;
std::optional<OperationOptions> g_lastOptions;

Outcome Record(std::u16string_view input, const OperationOptions& options) {
  g_lastInput = std::u16string(input);
  g_lastOptions = options;
  std::u16string shown = u"<";
  shown.append(input).push_back(u'>');
  return Outcome::Converted(std::move(shown));
}
Outcome Refuse(std::u16string_view, const OperationOptions&) {
  return Outcome::Refused({u"无法转换", MessageStyle::Error, {}});
}
Outcome ConvertAndTell(std::u16string_view input, const OperationOptions&) {
  Outcome outcome = Outcome::Converted(std::u16string(input));
  outcome.message = Message{u"注意", MessageStyle::Plain, u"标题"};
  return outcome;
}
Outcome WithNul(std::u16string_view, const OperationOptions&) {
  return Outcome::Converted(std::u16string(u"A\0B", 3));
}
Outcome WithThai(std::u16string_view, const OperationOptions&) {
  return Outcome::Converted(u"A\u0E01B");
}
Outcome WithLoneSurrogate(std::u16string_view, const OperationOptions&) {
  return Outcome::Converted(std::u16string{u'A', char16_t(0xD800), u'B'});
}
Outcome WithBreaks(std::u16string_view, const OperationOptions&) {
  return Outcome::Converted(u"a\r\nb\rc\nd");
}
Outcome Case(std::u16string_view, const OperationOptions& options) {
  return Outcome::Converted(options.upper ? u"UPPER" : u"lower");
}
Outcome GbToBig5(std::u16string_view input, const OperationOptions&) {
  return Outcome::Converted(u"GB>BIG5 " + std::u16string(input));
}
Outcome Big5ToGb(std::u16string_view input, const OperationOptions&) {
  return Outcome::Converted(u"BIG5>GB " + std::u16string(input));
}
Outcome Throws(std::u16string_view, const OperationOptions&) { throw std::runtime_error("boom"); }

// Fake rows under the names the controls table wires its buttons to (the button in the comment).
constexpr Operation Row(std::string_view cliName, Box reads, Box writes, OperationFunction run,
                        bool readsUpper = false) {
  return {.cliName = cliName,
          .caption = "fake",
          .reads = reads,
          .writes = writes,
          .readsUpper = readsUpper,
          .description = "fake",
          .run = run};
}

const Operation kFakes[] = {
    Row("url-encode", Text1, Text2, Record),          // CMDURLEN
    Row("url-decode", Text1, Text1, Record),          // CMDRULDEL
    Row("hex-decode", Text2, Text2, Record),          // CMDFAN16
    Row("amount", Text1, Text2, Refuse),              // CMDJIANTITOFANTI
    Row("host-to-ip", Text1, Text2, ConvertAndTell),  // ERJINZHIBIG5
    Row("unicode-as-ansi", Text1, Text2, WithNul),    // CMDUNICODE
    Row("escape", Text1, Text2, WithThai),            // CMDESCAPE
    Row("unescape", Text1, Text2, WithLoneSurrogate), // CMDENDEURL
    Row("utf8-encode", Text1, Text2, WithBreaks),     // UTF8EN
    Row("md5-16", Text1, Text2, Case, true),          // CMD5_16
    Row("md5-32", Text1, Text2, Record, true),        // CMD5_32
    Row("code-list", Text1, Text2, Record),           // CMDASCII
    Row("md5-base64", Text1, Text2, Throws),          // CMDGETTIME
    Row("gb-to-big5", Text1, Text2, GbToBig5),        // CMDGBBIG5, Tag "1"
    Row("big5-to-gb", Text1, Text2, Big5ToGb),        // CMDGBBIG5, Tag "2"
};

class FakeResolver : public net::HostResolver {
public:
  std::vector<net::Ipv4Address> ResolveIpv4(const std::string&) const override { return {}; }
};

// ---- fixture ----------------------------------------------------------------------------------

class Window : public ::testing::Test, protected DrivesControls {
protected:
  explicit Window(std::span<const Operation> operations = kFakes,
                  OperationOptions options = OperationOptions{})
      : m_window(operations, options) {
    m_window.setShowMessage([this](const Message& message) { m_messages.push_back(message); });
    m_window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    g_lastInput.reset();
    g_lastOptions.reset();
  }

  QWidget* Driven() override { return &m_window; }
  void Paste(std::string_view box, const QString& text, int cursorPosition) {
    QApplication::clipboard()->setText(text);
    if (auto* multi = m_window.findChild<QPlainTextEdit*>(Q(box))) {
      QTextCursor cursor = multi->textCursor();
      cursor.setPosition(cursorPosition);
      multi->setTextCursor(cursor);
      multi->paste();
    } else {
      auto* single = Control<QLineEdit>(box);
      single->setCursorPosition(cursorPosition);
      single->paste();
    }
  }

  // Key presses carrying any text, as a keyboard layout or an input method would send them.
  static void Type(QWidget* box, const QString& text) {
    for (const QChar unit : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(unit));
      QApplication::sendEvent(box, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(unit));
      QApplication::sendEvent(box, &release);
    }
  }

  Form1 m_window;
  std::vector<Message> m_messages;
};

// ---- the controls ------------------------------------------------------------------------------

TEST_F(Window, IsBuiltFromTheControlsTable) {
  EXPECT_EQ(m_window.size(), QSize(586, 508)); // 8790 x 7620 twips
  // The window's own widgets are the table's controls, in the table's order, and no others.
  std::vector<std::string> built, listed;
  for (const QWidget* child : m_window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    built.push_back(child->objectName().toStdString());
  for (const ControlSpec& entry : Controls())
    listed.emplace_back(entry.name);
  EXPECT_EQ(built, listed);
  for (const ControlSpec& entry : Controls()) {
    SCOPED_TRACE(std::string(entry.name));
    QWidget* control = Control(entry.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(m_window.findChildren<QWidget*>(Q(entry.name)).size(), 1);
    EXPECT_EQ(control->geometry(), QRect(TwipsToPixels(entry.left), TwipsToPixels(entry.top),
                                         TwipsToPixels(entry.width), TwipsToPixels(entry.height)));
    switch (entry.kind) {
    case ControlKind::TextBox:
      if (entry.flags & kMultiLine) {
        ASSERT_NE(qobject_cast<MultiLineBox*>(control), nullptr);
      } else {
        ASSERT_NE(qobject_cast<SingleLineBox*>(control), nullptr);
      }
      EXPECT_EQ(U8(ReadBox(control)), entry.caption);
      break;
    case ControlKind::Label:
      ASSERT_NE(qobject_cast<QLabel*>(control), nullptr);
      if (entry.name != kStatusLine) { // the status line shows what goes on, not a caption
        EXPECT_EQ(qobject_cast<QLabel*>(control)->text(), Q(entry.caption));
      }
      break;
    case ControlKind::ComboBox:
      ASSERT_NE(qobject_cast<QComboBox*>(control), nullptr);
      EXPECT_FALSE(qobject_cast<QComboBox*>(control)->isEditable());
      break;
    case ControlKind::Button:
      ASSERT_NE(qobject_cast<QPushButton*>(control), nullptr);
      EXPECT_EQ(qobject_cast<QPushButton*>(control)->text(), Q(entry.caption));
      break;
    case ControlKind::CheckBox:
      ASSERT_NE(qobject_cast<QCheckBox*>(control), nullptr);
      EXPECT_EQ(qobject_cast<QCheckBox*>(control)->text(), Q(entry.caption));
      break;
    }
  }
}

TEST_F(Window, PlacesTellingControlsWhereTheLayoutSays) {
  // Pixels worked out by hand from the twips of the layout, independently of TwipsToPixels.
  const std::map<std::string_view, QRect> expected = {
      {"Text1", {32, 8, 537, 129}},      {"Text2", {32, 144, 537, 129}},
      {"Label1", {8, 16, 17, 65}},       {"Command1", {3, 104, 25, 73}},
      {"CMDESCAPE", {16, 384, 113, 25}}, {"Check1", {16, 352, 49, 17}},
      {"Text3", {16, 424, 225, 18}},     {"CMDTIHUAN", {496, 424, 73, 17}},
  };
  for (const auto& [name, rect] : expected) {
    SCOPED_TRACE(std::string(name));
    EXPECT_EQ(Control(name)->geometry(), rect);
  }
  EXPECT_EQ(Control<QPushButton>("UTF8DEL")->text(), "UTF8_decode"); // told apart from UTF8EN
  EXPECT_EQ(Control<QPushButton>("UTF8乱码")->text(), Q("UTF8乱码"));
}

TEST_F(Window, TabOrderFollowsTheTableAndSkipsLabels) {
  std::vector<std::string> expected;
  std::map<QWidget*, std::string> named;
  for (const ControlSpec& entry : Controls()) {
    QWidget* control = Control(entry.name);
    named[control] = entry.name;
    if (entry.kind == ControlKind::Label) {
      EXPECT_EQ(control->focusPolicy(), Qt::NoFocus) << entry.name;
    } else {
      expected.emplace_back(entry.name);
    }
  }
  std::vector<std::string> chain;
  QWidget* start = Control("Text1");
  QWidget* widget = start;
  do {
    if (auto it = named.find(widget); it != named.end() && (widget->focusPolicy() & Qt::TabFocus)) {
      chain.push_back(it->second);
    }
    widget = widget->nextInFocusChain();
  } while (widget != start && chain.size() <= expected.size());
  EXPECT_EQ(chain, expected);
}

TEST_F(Window, TabKeyLeavesTheBigBoxesInsteadOfTypingATab) {
  auto* text1 = Control<QPlainTextEdit>("Text1");
  EXPECT_TRUE(text1->tabChangesFocus());
  EXPECT_TRUE(Control<QPlainTextEdit>("Text2")->tabChangesFocus());
}

TEST_F(Window, VerticalCaptionsReadTopToBottom) {
  // What is painted: the dark pixels of the caption form a column much taller than it is wide.
  for (const std::string_view name : {"Label1", "Label2", "Command1"}) {
    SCOPED_TRACE(std::string(name));
    const QImage image = Control(name)->grab().toImage();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (qGray(image.pixel(x, y)) < 96)
          ink |= QRect(x, y, 1, 1);
      }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 2 * ink.width());
  }
  EXPECT_EQ(Control<QLabel>("Label1")->text(), Q("要转换内容"));
  EXPECT_EQ(Control<QPushButton>("Command1")->text(), Q("上下值互换"));
}

TEST_F(Window, EveryButtonExplainsItselfInATooltip) {
  for (const ControlSpec& entry : Controls()) {
    if (entry.kind != ControlKind::Button)
      continue;
    SCOPED_TRACE(std::string(entry.name));
    EXPECT_FALSE(Control(entry.name)->toolTip().isEmpty());
  }
  for (const ControlSpec& entry : Controls()) {
    const auto operation = FindOperation(entry.operation);
    if (!operation)
      continue;
    SCOPED_TRACE(std::string(entry.name));
    const QString tip = Control(entry.name)->toolTip();
    EXPECT_TRUE(tip.contains(operation->get().writes == Text1 ? Q("上框") : Q("下框")));
    EXPECT_TRUE(tip.contains(operation->get().reads == Text1 ? Q("上框") : Q("下框")));
  }
}

// ---- the registry -------------------------------------------------------------------------------

// Every button runs a registry row under the row's own caption, or is one of the window's own.
TEST(WindowRegistry, EveryButtonHasARegistryRowOrIsTheWindowsOwn) {
  for (const ControlSpec& entry : Controls()) {
    if (entry.kind != ControlKind::Button)
      continue;
    SCOPED_TRACE(std::string(entry.name));
    if (entry.name == kSwapButton || entry.name == kReplaceButton || entry.name == kMoreButton) {
      EXPECT_TRUE(entry.operation.empty());
      continue;
    }
    std::vector<std::string_view> names = {entry.operation};
    if (!entry.alternate.empty())
      names.push_back(entry.alternate);
    for (const std::string_view name : names) {
      const auto operation = FindOperation(name);
      ASSERT_TRUE(operation) << name;
      EXPECT_EQ(operation->get().caption, entry.caption);
    }
  }
}

TEST(WindowRegistry, VbUnicodeCutsItsResultAtTheNul) {
  const auto operation = FindOperation("unicode-as-ansi");
  ASSERT_TRUE(operation);
  Form1 window;
  window.setShowMessage([](const Message&) {});
  WriteBox(window.findChild<QWidget*>("Text1"), u"AB");
  window.findChild<QPushButton*>("CMDUNICODE")->click();
  EXPECT_EQ(ReadBox(window.findChild<QWidget*>("Text2")), u"A");
}

// ---- state and clicks
// ----------------------------------------------------------------------------

TEST_F(Window, StartsAsTheTableSays) {
  EXPECT_EQ(m_window.windowTitle(), "OrvaneKelvaro");
  EXPECT_FALSE(m_window.windowIcon().isNull());
  EXPECT_TRUE(m_window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(m_window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(U8(Read("Text1")), "这里输入转换的内容\r\n");
  EXPECT_EQ(Read("Text2"), u"");
  EXPECT_EQ(Read("TxtBeiTiHuan"), u"");
  EXPECT_EQ(Read("TxtTiHuan"), u"");
  EXPECT_FALSE(Read("Text3").empty());
  EXPECT_FALSE(Control<QCheckBox>("Check1")->isChecked());
  EXPECT_EQ(Control("CMDGBBIG5")->property("Tag").toString(), "1");
}

// A long Text1 is replaced off the window's thread and written back as one step of its history;
// cancelled, it stays as it was.
TEST_F(Window, ALongReplaceIsOneStepOffTheWindowsThreadAndEscLeavesText1) {
  std::u16string text, replaced;
  while (text.size() < 2 * static_cast<std::size_t>(MultiLineBox::kSliceUnits)) {
    text += u"aXb中\r\n";
    replaced += u"a--b中\r\n";
  }
  Set("TxtBeiTiHuan", u"X");
  Set("TxtTiHuan", u"--");
  for (const bool cancel : {true, false}) {
    SCOPED_TRACE(cancel ? "cancelled" : "replaced");
    Set("Text1", text);
    QTest::mouseClick(Control<QAbstractButton>("CMDTIHUAN"), Qt::LeftButton);
    ASSERT_TRUE(m_window.isWorking());
    if (cancel) {
      m_window.cancelWork();
      m_window.waitForWorker();
      QTest::qWait(20);
      EXPECT_EQ(Read("Text1"), text);
      continue;
    }
    WaitUntilIdle();
    EXPECT_EQ(Read("Text1"), replaced);
    QTest::keyClick(Control("Text1"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Read("Text1"), text);
  }
}

// The first round pinned that nothing moved on resize; now the rows follow the bottom edge and
// keep their left position and size (the boxes' growth is pinned in window_life_test.cpp).
TEST_F(Window, ResizingMovesTheRowsDownAndKeepsTheirLeftAndSize) {
  const QRect before = Control("CMDTIHUAN")->geometry();
  m_window.resize(900, 700);
  QCoreApplication::processEvents();
  EXPECT_EQ(Control("CMDTIHUAN")->geometry(), before.translated(0, 700 - 508));
}

TEST_F(Window, SwapExchangesTheBoxesAndASecondSwapRestoresThem) {
  const std::u16string a = U16("上框\r\n第二行"), b = U16("下框 b");
  Set("Text1", a);
  Set("Text2", b);
  Click("Command1");
  EXPECT_EQ(Read("Text1"), b);
  EXPECT_EQ(Read("Text2"), a);
  Click("Command1");
  EXPECT_EQ(Read("Text1"), a);
  EXPECT_EQ(Read("Text2"), b);
}

// Long texts swap a slice at a time, each box written once with the other's blocks as they stand
// (a line of 400 000 units in continuation blocks, many short lines sharing blocks): ctrl+Z in
// either box brings back what that box held, and Esc half way leaves both as they were.
TEST_F(Window, ALongSwapIsOneStepInEachBoxAndEscLeavesBothBoxes) {
  // Text2 is written first, then Text1, which takes several slices.
  const std::u16string a(400'000, u'a');
  std::u16string b;
  while (b.size() < 2 * static_cast<std::size_t>(MultiLineBox::kSliceUnits))
    b += u"下框的长文字\r\n";
  for (const bool cancel : {true, false}) {
    SCOPED_TRACE(cancel ? "cancelled" : "swapped");
    Set("Text1", a);
    Set("Text2", b);
    QTest::mouseClick(Control<QAbstractButton>("Command1"), Qt::LeftButton);
    if (cancel) {
      auto* text1 = Control<MultiLineBox>("Text1");
      auto* text2 = Control<MultiLineBox>("Text2");
      ASSERT_TRUE(QTest::qWaitFor([&] { return text1->writing(); }, 60'000));
      EXPECT_FALSE(text2->writing());
      m_window.cancelWork();
      EXPECT_EQ(Read("Text1"), a);
      EXPECT_EQ(Read("Text2"), b);
      EXPECT_FALSE(text1->document()->isRedoAvailable());
      EXPECT_FALSE(text2->document()->isRedoAvailable());
      continue;
    }
    WaitUntilIdle();
    EXPECT_EQ(Read("Text1"), b);
    EXPECT_EQ(Read("Text2"), a);
    QTest::keyClick(Control("Text1"), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Control("Text2"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Read("Text1"), a);
    EXPECT_EQ(Read("Text2"), b);
  }
}

TEST_F(Window, ReplaceWorksOnText1Only) {
  struct ReplaceCase {
    std::u16string_view text, find, replacement, expected;
  };
  const ReplaceCase cases[] = {
      {u"aXbXc", u"X", u"--", u"a--b--c"},
      {u"aaa", u"aa", u"b", u"ba"},     // no overlap
      {u"aXbXc", u"", u"--", u"aXbXc"}, // empty find: unchanged
      {u"aXbXc", u"X", u"", u"abc"},    // empty replacement deletes
      {u"aXbxc", u"x", u"-", u"aXb-c"}, // case matters
      {u"ab", u"a", u"aa", u"aab"},     // the replacement is not scanned again
      {u"aaab", u"aab", u"-", u"a-"},
      {u"中文中", u"中", u"英", u"英文英"},
      {u"a\r\nb\r\n", u"b", u"c", u"a\r\nc\r\n"}, // line breaks survive
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(U8(c.text) + " / " + U8(c.find) + " / " + U8(c.replacement));
    Set("Text1", c.text);
    Set("Text2", u"untouched");
    Set("TxtBeiTiHuan", c.find);
    Set("TxtTiHuan", c.replacement);
    Click("CMDTIHUAN");
    EXPECT_EQ(Read("Text1"), c.expected);
    EXPECT_EQ(Read("Text2"), u"untouched");
  }
}

TEST_F(Window, ResultsPassTheTextBoxRule) {
  struct RuleCase {
    std::string_view button;
    std::u16string_view shown;
  };
  const RuleCase cases[] = {
      {"CMDUNICODE", u"A"},   // cut at the first U+0000
      {"CMDESCAPE", u"A\u0E01B"}, // a Thai letter GBK lacks stays itself
      {"CMDENDEURL", u"A?B"}, // nor is a lone surrogate
  };
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(std::string(c.button));
    Set("Text2", u"old");
    Click(c.button);
    EXPECT_EQ(Read("Text2"), c.shown);
  }
}

TEST_F(Window, WritesShowEveryKindOfLineBreakAsOne) {
  Click("UTF8EN"); // writes a\r\nb\rc\nd
  EXPECT_EQ(Read("Text2"), u"a\r\nb\r\nc\r\nd");
  // Short lines share a block: a block per line makes a text of megabytes cost seconds.
  EXPECT_EQ(Control<QPlainTextEdit>("Text2")->document()->blockCount(), 1);
}

TEST_F(Window, OperationsReadLineBreaksAsCrLf) {
  Control<QPlainTextEdit>("Text1")->setPlainText("one\ntwo\n");
  Click("CMDURLEN");
  ASSERT_TRUE(g_lastInput.has_value());
  EXPECT_EQ(*g_lastInput, u"one\r\ntwo\r\n");
  EXPECT_EQ(Read("Text2"), u"<one\r\ntwo\r\n>");
}

TEST_F(Window, EachButtonReadsAndWritesItsOwnBoxes) {
  Set("Text1", u"in1");
  Set("Text2", u"in2");
  Click("CMDRULDEL"); // Text1 -> Text1
  EXPECT_EQ(Read("Text1"), u"<in1>");
  EXPECT_EQ(Read("Text2"), u"in2");
  Click("CMDFAN16"); // Text2 -> Text2
  EXPECT_EQ(Read("Text1"), u"<in1>");
  EXPECT_EQ(Read("Text2"), u"<in2>");
}

TEST_F(Window, OnlyTheMd5ButtonsPassCheck1) {
  Click("CMD5_16");
  EXPECT_EQ(Read("Text2"), u"lower");
  Control<QCheckBox>("Check1")->setChecked(true);
  Click("CMD5_16");
  EXPECT_EQ(Read("Text2"), u"UPPER");
  Click("CMD5_32");
  ASSERT_TRUE(g_lastOptions.has_value());
  EXPECT_TRUE(g_lastOptions->upper);
  Click("CMDASCII");
  EXPECT_FALSE(g_lastOptions->upper);
}

TEST_F(Window, GbBig5AlternatesItsDirectionOnEveryClick) {
  Set("Text1", u"x");
  const std::pair<std::u16string_view, const char*> clicks[] = {
      {u"GB>BIG5 x", "2"}, {u"BIG5>GB x", "1"}, {u"GB>BIG5 x", "2"}};
  for (const auto& [shown, tagAfter] : clicks) {
    Click("CMDGBBIG5");
    EXPECT_EQ(Read("Text2"), shown);
    EXPECT_EQ(Control("CMDGBBIG5")->property("Tag").toString(), tagAfter);
  }
}

TEST_F(Window, GbBig5WithAnotherTagDoesNothing) {
  Control("CMDGBBIG5")->setProperty("Tag", "3");
  Set("Text2", u"kept");
  Click("CMDGBBIG5");
  EXPECT_EQ(Read("Text2"), u"kept");
  EXPECT_EQ(Control("CMDGBBIG5")->property("Tag").toString(), "3");
}

TEST_F(Window, RefusedInputKeepsTheBoxAndShowsTheMessage) {
  Set("Text2", u"previous");
  Click("CMDJIANTITOFANTI");
  EXPECT_EQ(Read("Text2"), u"previous");
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(U8(m_messages[0].text), "无法转换");
  EXPECT_EQ(m_messages[0].style, MessageStyle::Error);
}

TEST_F(Window, AConversionThatThrowsKeepsTheBoxAndTheProgramGoesOn) {
  Set("Text2", u"previous");
  Click("CMDGETTIME");
  EXPECT_EQ(Read("Text2"), u"previous");
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].style, MessageStyle::Error);
  Click("CMDURLEN"); // still answering
  EXPECT_EQ(Read("Text2"), U16("<这里输入转换的内容\r\n>"));
}

TEST_F(Window, AMessageAndAResultBothReachTheUser) {
  Set("Text1", u"host");
  Click("ERJINZHIBIG5");
  EXPECT_EQ(Read("Text2"), u"host");
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(U8(m_messages[0].title), "标题");
}

const FakeResolver kResolver;

class WindowWithResolver : public Window {
protected:
  WindowWithResolver() : Window(kFakes, OperationOptions{.resolver = &kResolver}) {}
};

TEST_F(WindowWithResolver, HandsItsResolverToEveryRun) {
  Click("CMDURLEN");
  ASSERT_TRUE(g_lastOptions.has_value());
  EXPECT_EQ(g_lastOptions->resolver, &kResolver);
}

// ---- typing and pasting ------------------------------------------------------------------------

TEST_F(Window, PastedTextPassesTheTextBoxRule) {
  struct PasteCase {
    std::string_view box;
    QString pasted;
    std::u16string_view shown;
  };
  const PasteCase cases[] = {
      {"Text1", QString::fromUtf16(u"a\0b", 3), u"xay"},
      {"Text1", QString::fromUtf16(u"a\u0E01b"), u"xa\u0E01by"}, // every character stays
      {"Text1", QString(QChar(0xDC00)), u"x?y"},
      {"Text1", QString(QChar(0x2029)), u"x?y"}, // Qt's own block separator is never content
      {"Text1", QString(QChar(0x2028)), u"x?y"}, // nor the line separator the box breaks lines with
      {"Text1", QString::fromUtf16(u"1\r\n2\r3\n4"), u"x1\r\n2\r\n3\r\n4y"},
      {"Text2", QString::fromUtf16(u"\u0E01\0zz", 4), u"x\u0E01y"},
      {"TxtBeiTiHuan", QString::fromUtf16(u"a\0b", 3), u"xay"},
      {"TxtTiHuan", QString::fromUtf16(u"\u0E01"), u"x\u0E01y"},
      {"Text3", QString(QChar(0xD800)), u"x?y"},
  };
  for (const PasteCase& c : cases) {
    SCOPED_TRACE(std::string(c.box) + " " + U8(UnitsOf(c.pasted)));
    Set(c.box, u"xy");
    Paste(c.box, c.pasted, 1);
    EXPECT_EQ(Read(c.box), c.shown);
  }
}

TEST_F(Window, TypedTextPassesTheTextBoxRule) {
  for (const std::string_view box : {"Text1", "TxtTiHuan"}) {
    SCOPED_TRACE(std::string(box));
    Set(box, u"");
    QWidget* control = Control(box);
    control->setFocus();
    Type(control, QString::fromUtf16(u"a\u0E01\u4E2D"));
    EXPECT_EQ(Read(box), u"a\u0E01\u4E2D"); // every character stays, whatever the charset
  }
}

TEST_F(Window, TypingKeepsTheRestOfABigBox) {
  std::u16string big;
  for (int line = 0; line < 2000; ++line)
    big += u"\u4E2D\u6587 line\r\n";
  Set("Text1", big);
  auto* text1 = Control<QPlainTextEdit>("Text1");
  text1->moveCursor(QTextCursor::End);
  text1->setFocus();
  Type(text1, QString::fromUtf16(u"\xDC00!"));
  EXPECT_EQ(Read("Text1"), big + u"?!");
}

} // namespace
} // namespace kelvaro::app

namespace kelvaro::app {
namespace {

// ---- long lines ---------------------------------------------------------------------------------

std::u16string LongLine(std::size_t size) {
  std::u16string line(size, u'Q');
  for (std::size_t i = 0; i < size; i += 7)
    line[i] = static_cast<char16_t>(u'a' + i % 26);
  return line;
}

TEST_F(Window, ALongLineReadsBackWhole) {
  const std::u16string line = LongLine(3 * MultiLineBox::kSoftLineUnits + 5);
  const std::u16string text = u"head\r\n" + line + u"\r\n" + LongLine(10) + u"\r\n";
  Set("Text2", text);
  EXPECT_EQ(Read("Text2"), text);
  Click("CMDFAN16"); // the operation gets the line whole
  ASSERT_TRUE(g_lastInput.has_value());
  EXPECT_EQ(*g_lastInput, text);
}

TEST_F(Window, EditingNextToASoftBreakActsOnTheText) {
  const std::u16string line = LongLine(2 * MultiLineBox::kSoftLineUnits);
  auto* text1 = Control<QPlainTextEdit>("Text1");
  Set("Text1", line);
  ASSERT_GT(text1->document()->blockCount(), 1);
  const int next = text1->document()->begin().next().position(); // first unit after the soft break
  const auto cut = static_cast<std::size_t>(next - 1);
  struct EditCase {
    Qt::Key key;
    int position;
    std::u16string expected;
  };
  const EditCase cases[] = {
      {Qt::Key_Backspace, next, line.substr(0, cut - 1) + line.substr(cut)},
      {Qt::Key_Delete, next - 1, line.substr(0, cut) + line.substr(cut + 1)},
      {Qt::Key_Return, next + 3, line.substr(0, cut + 3) + u"\r\n" + line.substr(cut + 3)},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.key);
    Set("Text1", line);
    QTextCursor cursor = text1->textCursor();
    cursor.setPosition(c.position);
    text1->setTextCursor(cursor);
    QTest::keyClick(text1, c.key);
    EXPECT_EQ(Read("Text1"), c.expected);
  }
}

TEST_F(Window, CopyingAcrossASoftBreakCopiesNoLineBreak) {
  const std::u16string line = LongLine(MultiLineBox::kSoftLineUnits + 100);
  Set("Text1", line + u"\r\nnext");
  auto* text1 = Control<QPlainTextEdit>("Text1");
  text1->selectAll();
  text1->copy();
  EXPECT_EQ(UnitsOf(QApplication::clipboard()->text()), line + u"\nnext");
}

} // namespace
} // namespace kelvaro::app

// ---- work off the window's thread -----------------------------------------------------------

namespace kelvaro::app {
namespace {

// A conversion that goes on until the test lets it end, as one of megabytes would.
std::atomic<bool> g_released{false};
Outcome Held(std::u16string_view input, const OperationOptions&) {
  while (!g_released.load())
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return Outcome::Converted(u"held " + std::u16string(input.substr(0, 4)));
}
// A result long enough to go into its box in several slices.
std::u16string LongResult() {
  std::u16string text;
  while (text.size() < 3 * static_cast<std::size_t>(MultiLineBox::kSliceUnits))
    text += u"长结果 line\r\n";
  return text;
}
// The input and the long result: the box's text, read on the worker, and the result, laid out and
// written, must each come through whole, long lines and short ones alike (their buffers go back
// to the system as they are read).
Outcome Long(std::u16string_view input, const OperationOptions&) {
  return Outcome::Converted(std::u16string(input) + LongResult());
}
const Operation kHeld[] = {
    Row("utf8-encode", Text1, Text2, Held),  // UTF8EN
    Row("host-to-ip", Text1, Text2, Held),   // ERJINZHIBIG5
    Row("base64-encode", Text1, Text2, Long), // CMDBASE64
};

class WindowAtWork : public Window {
protected:
  WindowAtWork() : Window(kHeld) {
    g_released = false;
    QApplication::setActiveWindow(&m_window);
  }
  ~WindowAtWork() override {
    g_released = true;
    m_window.waitForWorker();
  }
  QString Status() { return Control<QLabel>("LabelStatus")->text(); }
};

TEST_F(WindowAtWork, EscCancelsALongConversionAndLeavesBothBoxesAndTheirHistories) {
  // Longer than a conversion runs on the window's thread.
  const std::u16string big(300'000, u'中');
  Set("Text1", big);
  Set("Text2", u"earlier");
  Set("Text2", u"result");
  auto* text2 = Control<QPlainTextEdit>("Text2");
  const int undoSteps = text2->document()->availableUndoSteps();
  const Charset charset = m_window.charset();
  QTest::mouseClick(Control<QAbstractButton>("UTF8EN"), Qt::LeftButton);
  ASSERT_TRUE(m_window.isWorking());
  // Every button reads or writes a box being worked on, and the charset is the run's.
  for (const char* name : {"UTF8EN", "ERJINZHIBIG5", "Command1", "CMDTIHUAN", "ComboCharset"})
    EXPECT_FALSE(Control(name)->isEnabled()) << name;
  EXPECT_TRUE(text2->isReadOnly());
  // The window goes on handling events, and after a while tells what runs and for how long.
  ASSERT_TRUE(QTest::qWaitFor([&] { return Control("CancelWork")->isVisible(); }, 10'000));
  EXPECT_TRUE(Status().contains(Q("正在进行"))) << Status().toStdString();
  QTest::keyClick(&m_window, Qt::Key_Escape);
  EXPECT_FALSE(m_window.isWorking());
  EXPECT_FALSE(Control("CancelWork")->isVisible());
  EXPECT_TRUE(Status().contains(Q("已取消"))) << Status().toStdString();
  for (const char* name : {"UTF8EN", "Command1", "ComboCharset"})
    EXPECT_TRUE(Control(name)->isEnabled()) << name;
  EXPECT_FALSE(text2->isReadOnly());
  // The conversion ends in the background; its result is dropped.
  g_released = true;
  m_window.waitForWorker();
  QTest::qWait(50);
  EXPECT_EQ(Read("Text1"), big);
  EXPECT_EQ(Read("Text2"), u"result");
  EXPECT_EQ(m_window.charset(), charset);
  EXPECT_EQ(text2->document()->availableUndoSteps(), undoSteps);
  QTest::keyClick(text2, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), u"earlier");
}

TEST_F(WindowAtWork, ALongResultGoesInSliceBySliceAsOneStepAndEscTakesItBack) {
  const std::u16string input = std::u16string(300'000, u'中') + u"\r\n";
  const std::u16string result = input + LongResult();
  Set("Text1", input);
  Set("Text2", u"earlier");
  Set("Text2", u"result");
  auto* text2 = Control<MultiLineBox>("Text2");
  const int undoSteps = text2->document()->availableUndoSteps();
  // Written whole: the window turned between the slices, whose keys meet a read-only box, and one
  // ctrl+Z takes the write back.
  QTest::mouseClick(Control<QAbstractButton>("CMDBASE64"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return text2->writing(); }, 60'000));
  for (const Qt::Key key : {Qt::Key_Z, Qt::Key_Y})
    QTest::keyClick(text2, key, Qt::ControlModifier);
  WaitUntilIdle();
  EXPECT_EQ(Read("Text2"), result);
  EXPECT_FALSE(text2->isReadOnly());
  QTest::keyClick(text2, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), u"result");
  QTest::keyClick(text2, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), result);
  QTest::keyClick(text2, Qt::Key_Z, Qt::ControlModifier);
  // Cancelled half way: the box, its history and its redo are as they were.
  QTest::mouseClick(Control<QAbstractButton>("CMDBASE64"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return text2->writing(); }, 60'000));
  EXPECT_TRUE(text2->isReadOnly());
  EXPECT_FALSE(Control("CMDBASE64")->isEnabled());
  QTest::keyClick(&m_window, Qt::Key_Escape);
  EXPECT_FALSE(m_window.isWorking());
  EXPECT_FALSE(text2->writing());
  EXPECT_EQ(Read("Text2"), u"result");
  EXPECT_EQ(text2->document()->availableUndoSteps(), undoSteps);
  EXPECT_FALSE(text2->document()->isRedoAvailable());
  QTest::keyClick(text2, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), u"earlier");
}

TEST(StatusText, AWriteThatCanTellShowsHowMuchIsDone) {
  StatusState state;
  state.working = QStringLiteral("base64encode");
  state.workingMs = 1500;
  EXPECT_FALSE(StatusText(state).contains(QLatin1Char('%')));
  state.workingPercent = 42;
  EXPECT_TRUE(StatusText(state).contains(QStringLiteral("42%"))) << StatusText(state).toStdString();
}

TEST_F(WindowAtWork, TheCancelButtonStopsALookupAndTheNextClickRuns) {
  // A lookup runs off the window's thread whatever the text's length.
  Set("Text1", u"host");
  Set("Text2", u"result");
  QTest::mouseClick(Control<QAbstractButton>("ERJINZHIBIG5"), Qt::LeftButton);
  ASSERT_TRUE(m_window.isWorking());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Control("CancelWork")->isVisible(); }, 10'000));
  // One operation at a time: a disabled button does nothing.
  QTest::mouseClick(Control<QAbstractButton>("UTF8EN"), Qt::LeftButton);
  QTest::mouseClick(Control<QAbstractButton>("CancelWork"), Qt::LeftButton);
  EXPECT_FALSE(m_window.isWorking());
  EXPECT_EQ(Read("Text2"), u"result");
  // The next click waits for the cancelled run to end in the background, then writes its own.
  QTest::mouseClick(Control<QAbstractButton>("ERJINZHIBIG5"), Qt::LeftButton);
  ASSERT_TRUE(m_window.isWorking());
  g_released = true;
  WaitUntilIdle();
  EXPECT_EQ(Read("Text2"), u"held host");
}

} // namespace
} // namespace kelvaro::app

// ---- the vertical labels --------------------------------------------------------------------

namespace kelvaro::app {
namespace {

TEST(VerticalLabels, EveryCharacterOfTheColumnFitsItsLabelWhateverTheDefaultFont) {
  for (const ControlSpec& entry : Controls()) {
    if (entry.kind != ControlKind::Label || (entry.flags & kVerticalCaption) == 0)
      continue;
    const QSize area(TwipsToPixels(entry.width), TwipsToPixels(entry.height));
    const int characters = static_cast<int>(Q(entry.caption).size());
    for (double points = 7.0; points <= 20.0; points += 0.5) {
      SCOPED_TRACE(std::string(entry.name) + " at " + std::to_string(points) + " points");
      QFont font;
      font.setPointSizeF(points);
      const QFont fitted = ColumnFont(font, area, characters);
      EXPECT_LE(fitted.pointSizeF(), points);
      const QFontMetrics metrics(fitted);
      const int em = std::max(metrics.horizontalAdvance(QChar(0x4E2D)), metrics.ascent());
      if (fitted.pointSizeF() > kSmallestColumnPoints) {
        EXPECT_LE(em * characters, area.height());
        EXPECT_LE(em, area.width());
      }
      // A font that fits already is kept.
      if (const int wanted = std::max(QFontMetrics(font).horizontalAdvance(QChar(0x4E2D)),
                                      QFontMetrics(font).ascent());
          wanted * characters <= area.height() && wanted <= area.width()) {
        EXPECT_EQ(fitted, font);
      }
    }
  }
}

} // namespace
} // namespace kelvaro::app
