// How the window lives around its table: the start, undo and redo of every kind of button, the
// size, the keyboard, the charset choice and its settings, ComboMore, the status line, files and
// the languages. The real registry, the real window on the offscreen platform, and settings in a
// file of each test's own.

#include "app/controls.h"
#include "app/form1.h"
#include "app/text_boxes.h"
#include "app/translations.h"
#include "live_window.h"
#include "support/text.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace kelvaro::app {
namespace {

using testing::U16;
using testing::U8;

// ---- start --------------------------------------------------------------------------------------

TEST_F(LiveWindow, StartsWithTheInitialTextSelectedSoTypingReplacesIt) {
  Activate();
  EXPECT_EQ(QApplication::focusWidget(), Control("Text1"));
  auto* text1 = Control<QPlainTextEdit>("Text1");
  EXPECT_EQ(text1->textCursor().selectionStart(), 0);
  EXPECT_EQ(text1->textCursor().selectionEnd(), text1->document()->characterCount() - 1);
  QTest::keyClicks(text1, QStringLiteral("12.5"));
  EXPECT_EQ(Read("Text1"), u"12.5");
  Click("CMDJIANTITOFANTI");
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(U8(Read("Text2")), "壹拾贰圆伍角");
}

// ---- undo ---------------------------------------------------------------------------------------

struct UndoCase {
  std::string_view button;
  std::vector<std::string_view> changedBoxes;
};

// Every kind of click: a result into Text2, rewrites of Text1 and of Text2 in place, the swap,
// the replace, GB-BIG5 and a ComboMore operation.
const UndoCase kUndoCases[] = {
    {"CMDBASE64", {"Text2"}},         {"CMDRULDEL", {"Text1"}}, {"CMD64DE", {"Text2"}},
    {"Command1", {"Text1", "Text2"}}, {"CMDTIHUAN", {"Text1"}}, {"CMDGBBIG5", {"Text2"}},
    {"CMDMORE", {"Text2"}},
};

TEST_F(LiveWindow, EveryButtonsChangeIsOneStepOfItsBoxsHistory) {
  for (const UndoCase& c : kUndoCases) {
    SCOPED_TRACE(std::string(c.button));
    Set("Text1", u"a%41 中文 b");
    Set("Text2", u"5Lit5paH");
    Set("TxtBeiTiHuan", u"a");
    Set("TxtTiHuan", u"xy");
    ChooseMore("fullwidth");
    const std::u16string before1 = Read("Text1"), before2 = Read("Text2");
    Click(c.button);
    const std::u16string after1 = Read("Text1"), after2 = Read("Text2");
    for (const std::string_view box : c.changedBoxes) {
      SCOPED_TRACE(std::string(box));
      const std::u16string before = box == "Text1" ? before1 : before2;
      const std::u16string after = box == "Text1" ? after1 : after2;
      ASSERT_NE(before, after);
      Key(box, Qt::Key_Z, Qt::ControlModifier);
      EXPECT_EQ(Read(box), before);
      Key(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
      EXPECT_EQ(Read(box), after);
      Key(box, Qt::Key_Z, Qt::ControlModifier);
      Key(box, Qt::Key_Y, Qt::ControlModifier);
      EXPECT_EQ(Read(box), after);
    }
  }
}

TEST_F(LiveWindow, TheContextMenuUndoesAndRedoesAButtonsChange) {
  Set("Text2", u"old");
  Set("Text1", u"new text");
  Click("CMDBASE64");
  auto* text2 = Control<QPlainTextEdit>("Text2");
  const std::unique_ptr<QMenu> menu(text2->createStandardContextMenu());
  auto* undo = menu->findChild<QAction*>(QStringLiteral("edit-undo"));
  auto* redo = menu->findChild<QAction*>(QStringLiteral("edit-redo"));
  ASSERT_NE(undo, nullptr);
  ASSERT_NE(redo, nullptr);
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());
  undo->trigger();
  EXPECT_EQ(Read("Text2"), u"old");
  const std::unique_ptr<QMenu> after(text2->createStandardContextMenu());
  redo = after->findChild<QAction*>(QStringLiteral("edit-redo"));
  ASSERT_NE(redo, nullptr);
  EXPECT_TRUE(redo->isEnabled());
  redo->trigger();
  EXPECT_EQ(Read("Text2"), u"bmV3IHRleHQ=");
}

TEST_F(LiveWindow, TheInitialTextIsNoStepToUndo) {
  EXPECT_FALSE(Control<QPlainTextEdit>("Text1")->document()->isUndoAvailable());
  EXPECT_FALSE(Control<QPlainTextEdit>("Text2")->document()->isUndoAvailable());
}

TEST_F(LiveWindow, UndoBringsBackALongLineWithItsSoftBreaks) {
  std::u16string line(3 * MultiLineBox::kSoftLineUnits + 7, u'Q');
  for (std::size_t i = 0; i < line.size(); i += 5)
    line[i] = u'a';
  const std::u16string text = u"head\r\n" + line + u"\r\ntail";
  Set("Text2", text);
  auto* text2 = Control<QPlainTextEdit>("Text2");
  const int blocks = text2->document()->blockCount();
  ASSERT_GT(blocks, 4);
  Set("Text1", u"short");
  Click("CMDBASE64");
  Key("Text2", Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), text);
  EXPECT_EQ(text2->document()->blockCount(), blocks);
  Key("Text2", Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), u"c2hvcnQ=");
}

// Regression: Return inside a continuation block once inherited the block's mark and read back as
// no line break at all.
TEST_F(LiveWindow, ReturnAfterASoftBreakStartsARealLine) {
  const std::u16string line(MultiLineBox::kSoftLineUnits + 100, u'x');
  Set("Text1", line);
  auto* text1 = Control<QPlainTextEdit>("Text1");
  text1->moveCursor(QTextCursor::End);
  Key("Text1", Qt::Key_Return);
  QTest::keyClicks(text1, QStringLiteral("y"));
  EXPECT_EQ(Read("Text1"), line + u"\r\ny");
}

TEST_F(LiveWindow, LoadingAFileKeepsTheHistory) {
  Set("Text1", u"typed before");
  m_chosenFile = WriteFile("plain.txt", "from the file");
  ASSERT_TRUE(m_window->loadFile(m_chosenFile));
  EXPECT_EQ(Read("Text1"), u"from the file");
  Key("Text1", Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Read("Text1"), u"typed before");
}

// ---- size ---------------------------------------------------------------------------------------

TEST_F(LiveWindow, AtTheDefaultSizeEveryControlStandsAtItsTablePlace) {
  EXPECT_EQ(m_window->size(), QSize(586, 508));
  for (const ControlSpec& entry : Controls()) {
    SCOPED_TRACE(std::string(entry.name));
    EXPECT_EQ(Control(entry.name)->geometry(),
              QRect(TwipsToPixels(entry.left), TwipsToPixels(entry.top), TwipsToPixels(entry.width),
                    TwipsToPixels(entry.height)));
  }
}

TEST_F(LiveWindow, AtTwiceTheSizeTheBoxesTakeTheRoomAndTheRowsFollowTheBottom) {
  m_window->resize(2 * 586, 2 * 508);
  QCoreApplication::processEvents();
  // Worked out by hand: 586 pixels wider, 508 taller, 254 of them for each box.
  const std::pair<std::string_view, QRect> expected[] = {
      {"Text1", {32, 8, 537 + 586, 129 + 254}},
      {"Text2", {32, 144 + 254, 537 + 586, 129 + 254}},
      {"Label1", {8, 16, 17, 65}},
      {"Label2", {8, 192 + 254, 17, 49}},
      {"Command1", {3, 104 + 254, 25, 73}},
      {"CMDURLEN", {16, 288 + 508, 81, 25}},
      {"CMDGBBIG5", {488, 384 + 508, 81, 25}},
      {"CMDTIHUAN", {496, 424 + 508, 73, 17}},
      {"ComboCharset", {72, 458 + 508, 104, 22}},
      {"CMDMORE", {416, 458 + 508, 65, 22}},
      {"LabelStatus", {16, 486 + 508, 554 + 586, 17}},
  };
  for (const auto& [name, rect] : expected) {
    SCOPED_TRACE(std::string(name));
    EXPECT_EQ(Control(name)->geometry(), rect);
  }
  // The swap button still spans the gap between the boxes, and every row is below them.
  const QRect swap = Control("Command1")->geometry();
  EXPECT_LT(swap.top(), Control("Text1")->geometry().bottom());
  EXPECT_GT(swap.bottom(), Control("Text2")->geometry().top());
  for (const ControlSpec& entry : Controls()) {
    if (entry.anchor == Anchor::BelowBoxes) {
      SCOPED_TRACE(std::string(entry.name));
      EXPECT_GT(Control(entry.name)->geometry().top(), Control("Text2")->geometry().bottom());
    }
  }
}

TEST_F(LiveWindow, CannotBecomeSmallerThanItsDefaultSize) {
  EXPECT_EQ(m_window->minimumSize(), QSize(586, 508));
  m_window->resize(300, 200);
  QCoreApplication::processEvents();
  EXPECT_EQ(m_window->size(), QSize(586, 508));
  EXPECT_EQ(Control("CMDTIHUAN")->geometry(), QRect(496, 424, 73, 17));
}

TEST(ControlPlaces, NegativeExtraCountsAsNone) {
  for (const ControlSpec& entry : Controls()) {
    SCOPED_TRACE(std::string(entry.name));
    EXPECT_EQ(PlaceControl(entry, -50, -80), PlaceControl(entry, 0, 0));
  }
}

// ---- keyboard -----------------------------------------------------------------------------------

TEST_F(LiveWindow, ReturnOrEnterOnAFocusedButtonPressesIt) {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    SCOPED_TRACE(key);
    Set("Text1", u"abc");
    Set("Text2", u"");
    Control("CMDBASE64")->setFocus();
    Key("CMDBASE64", key);
    EXPECT_EQ(Read("Text2"), u"YWJj");
  }
}

TEST_F(LiveWindow, ReturnInTheFindOrReplacementBoxRunsTheReplace) {
  for (const std::string_view box : {"TxtBeiTiHuan", "TxtTiHuan"}) {
    SCOPED_TRACE(std::string(box));
    Set("Text1", u"aXbXc");
    Set("TxtBeiTiHuan", u"X");
    Set("TxtTiHuan", u"--");
    Key(box, Qt::Key_Return);
    EXPECT_EQ(Read("Text1"), u"a--b--c");
  }
}

TEST_F(LiveWindow, TheFindAndReplacementBoxesExplainThemselves) {
  EXPECT_EQ(Control<QLineEdit>("TxtBeiTiHuan")->placeholderText(), Q("查找内容"));
  EXPECT_EQ(Control<QLineEdit>("TxtTiHuan")->placeholderText(), Q("替换为"));
  EXPECT_FALSE(Control("TxtBeiTiHuan")->toolTip().isEmpty());
  EXPECT_FALSE(Control("TxtTiHuan")->toolTip().isEmpty());
}

TEST_F(LiveWindow, GbBig5TellsTheNextDirectionAndTheStatusLineTheOneThatRan) {
  EXPECT_TRUE(Control("CMDGBBIG5")->toolTip().contains(Q("下一次：GB→BIG5")));
  Click("CMDGBBIG5");
  EXPECT_TRUE(Status().contains(Q("GB→BIG5"))) << Status().toStdString();
  EXPECT_TRUE(Control("CMDGBBIG5")->toolTip().contains(Q("下一次：BIG5→GB")));
  Click("CMDGBBIG5");
  EXPECT_TRUE(Status().contains(Q("BIG5→GB"))) << Status().toStdString();
  EXPECT_TRUE(Control("CMDGBBIG5")->toolTip().contains(Q("下一次：GB→BIG5")));
}

// ---- the charset --------------------------------------------------------------------------------

TEST_F(LiveWindow, TheCharsetListNamesEveryCharsetAndStartsWithGbk) {
  auto* list = Control<QComboBox>("ComboCharset");
  ASSERT_EQ(list->count(), static_cast<int>(Charsets().size()));
  for (int i = 0; i < list->count(); ++i)
    EXPECT_EQ(list->itemText(i), Q(Charsets()[static_cast<std::size_t>(i)].name));
  EXPECT_EQ(list->currentText(), "gbk");
  EXPECT_EQ(m_window->charset(), Charset::Gbk);
}

TEST_F(LiveWindow, TheChoiceIsRememberedForTheNextStart) {
  ChooseCharset("utf-8");
  EXPECT_EQ(m_settings.value(kCharsetKey).toString(), "utf-8");
  Open();
  EXPECT_EQ(Control<QComboBox>("ComboCharset")->currentText(), "utf-8");
  EXPECT_EQ(m_window->charset(), Charset::Utf8);
  m_settings.setValue(kCharsetKey, "no-such-charset");
  Open();
  EXPECT_EQ(Control<QComboBox>("ComboCharset")->currentText(), "gbk");
}

TEST_F(LiveWindow, TheCharsetListWorksWithTheKeyboard) {
  Activate();
  auto* list = Control<QComboBox>("ComboCharset");
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(list->currentText(), Q(Charsets()[1].name));
  EXPECT_EQ(m_settings.value(kCharsetKey).toString(), Q(Charsets()[1].name));
}

TEST_F(LiveWindow, ChoosingACharsetChangesNoBoxButTheNextConversionFollowsIt) {
  ChooseCharset("utf-8");
  Paste("Text1", QString::fromUtf16(u"😀"));
  const std::u16string withEmoji = Read("Text1");
  EXPECT_TRUE(withEmoji.ends_with(u"😀"));
  ChooseCharset("gbk");
  EXPECT_EQ(Read("Text1"), withEmoji);
  Set("Text1", u"中文");
  ChooseCharset("utf-8");
  EXPECT_EQ(Read("Text1"), u"中文");
  Click("CMDBASE64");
  EXPECT_EQ(Read("Text2"), u"5Lit5paH");
  ChooseCharset("gbk");
  Click("CMDBASE64");
  EXPECT_EQ(Read("Text2"), u"1tDOxA==");
}

TEST_F(LiveWindow, EveryByteOperationsTooltipNamesTheCharsetItWillUse) {
  for (const std::string_view charset : {"gbk", "utf-8", "shift_jis"}) {
    ChooseCharset(charset);
    const QString shown = ToQString(InfoOf(*CharsetNamed(charset)).shown);
    for (const ControlSpec& entry : Controls()) {
      const auto operation = FindOperation(entry.operation);
      if (!operation)
        continue;
      SCOPED_TRACE(std::string(charset) + " " + std::string(entry.name));
      const QString tip = Control(entry.name)->toolTip();
      EXPECT_FALSE(tip.contains(QLatin1String("%1")));
      if (operation->get().followsCharset) {
        EXPECT_TRUE(tip.contains(shown)) << tip.toStdString();
        EXPECT_TRUE(tip.contains(Q("随“字节编码”而变"))) << tip.toStdString();
      } else {
        EXPECT_TRUE(tip.contains(Q("不随“字节编码”而变"))) << tip.toStdString();
      }
    }
  }
}

// ---- ComboMore ----------------------------------------------------------------------------------

TEST_F(LiveWindow, ComboMoreListsEveryOperationWithoutAButtonThatTheWindowCanShow) {
  std::vector<std::string> expected;
  for (const Operation& operation : Operations()) {
    const bool hasButton =
        std::any_of(Controls().begin(), Controls().end(), [&](const ControlSpec& entry) {
          return entry.operation == operation.cliName || entry.alternate == operation.cliName;
        });
    if (!hasButton && !operation.commandLineOnly)
      expected.push_back(std::string(operation.cliName) + "  " + std::string(operation.caption));
  }
  ASSERT_FALSE(expected.empty());
  auto* list = Control<QComboBox>("ComboMore");
  std::vector<std::string> listed;
  for (int i = 0; i < list->count(); ++i)
    listed.push_back(list->itemText(i).toStdString());
  EXPECT_EQ(listed, expected);
  EXPECT_FALSE(list->isEditable());
  // The recogniser runs from its own button, and its report for the command line nowhere.
  for (const std::string_view left : {"auto", "detect"}) {
    SCOPED_TRACE(std::string(left));
    EXPECT_LT(list->findData(Q(left)), 0);
  }
}

TEST_F(LiveWindow, ComboMoreRunsTheChosenOperationThroughTheRegistry) {
  struct MoreCase {
    std::string_view operation;
    std::u16string_view input;
    bool upper;
    std::u16string_view shown;
  };
  const MoreCase cases[] = {
      {"unicode-escape", u"中a", false, u"\\u4e2da"},
      {"unicode-escape", u"中a", true, u"\\u4E2Da"},
      {"html-encode", u"<中>", false, u"&lt;&#20013;&gt;"},
      {"fullwidth", u"A 1", false, u"Ａ　１"},
      {"sha256", u"abc", false,
       u"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
  };
  for (const MoreCase& c : cases) {
    SCOPED_TRACE(std::string(c.operation));
    Set("Text1", c.input);
    Control<QCheckBox>("Check1")->setChecked(c.upper);
    ChooseMore(c.operation);
    Click("CMDMORE");
    EXPECT_EQ(Read("Text2"), c.shown);
    EXPECT_TRUE(Status().contains(Q(FindOperation(c.operation)->get().caption)));
  }
}

TEST_F(LiveWindow, ComboMoresTooltipDescribesTheChosenOperation) {
  for (const std::string_view name : {"html-decode", "sm3"}) {
    ChooseMore(name);
    const QString tip = Control("ComboMore")->toolTip();
    EXPECT_TRUE(tip.contains(Q(FindOperation(name)->get().description))) << tip.toStdString();
  }
}

// ---- the status line ----------------------------------------------------------------------------

TEST_F(LiveWindow, APasteKeepsEveryCharacterAndTellsWhereItWasCut) {
  Set("Text1", u"");
  Paste("Text1", QString::fromUtf16(u"a😀\u0E01\0tail", 9));
  EXPECT_EQ(Read("Text1"), u"a😀\u0E01");
  EXPECT_TRUE(Status().contains(Q("粘贴的文字在第 4 个字符处有 U+0000，其后的 4 个字符未放入")))
      << Status().toStdString();
}

TEST_F(LiveWindow, AResultKeepsEveryCharacterAndTellsWhatTheBytesLost) {
  Set("Text1", u"\\u0e01\\u0e02");
  ChooseMore("unicode-unescape");
  Click("CMDMORE");
  EXPECT_EQ(Read("Text2"), u"\u0E01\u0E02"); // in GBK too: no bytes were written
  EXPECT_FALSE(Status().contains(Q("?"))) << Status().toStdString();
  Set("Text1", u"a\\u0000b");
  Click("CMDMORE");
  EXPECT_EQ(Read("Text2"), u"a");
  EXPECT_TRUE(Status().contains(Q("结果在第 2 个字符处有 U+0000，其后的 1 个字符未显示")))
      << Status().toStdString();
  Set("Text1", u"\u0E01😀中");
  Click("CMDBASE64");
  EXPECT_EQ(Read("Text2"), u"Pz8/1tA=");
  EXPECT_TRUE(Status().contains(Q("2 个字符无法用 GBK 表示，已写成 ?"))) << Status().toStdString();
  ChooseCharset("utf-8");
  Click("CMDBASE64");
  EXPECT_FALSE(Status().contains(Q("?"))) << Status().toStdString();
}

TEST_F(LiveWindow, CountsTheCharactersAndBytesOfTheBoxWithTheFocus) {
  Activate();
  Set("Text1", u"中a😀");
  Set("Text2", u"xyz");
  Control("Text1")->setFocus();
  QTest::qWait(300); // a change is counted once the user pauses
  // The box keeps the emoji under GBK too; its bytes there are "??".
  EXPECT_TRUE(Status().contains(Q("上框：3 个字符，5 字节（GBK）"))) << Status().toStdString();
  Control("Text2")->setFocus();
  QCoreApplication::processEvents();
  EXPECT_TRUE(Status().contains(Q("下框：3 个字符，3 字节（GBK）"))) << Status().toStdString();
  ChooseCharset("utf-16le");
  EXPECT_TRUE(Status().contains(Q("下框：3 个字符，6 字节（UTF-16LE）"))) << Status().toStdString();
  // Typing recounts once the user pauses.
  QTest::keyClicks(Control("Text2"), QStringLiteral("!"));
  QTest::qWait(300);
  EXPECT_TRUE(Status().contains(Q("下框：4 个字符"))) << Status().toStdString();
}

// Counting megabytes inside a click would add to its time; the count follows when the user pauses.
TEST_F(LiveWindow, ABigBoxIsCountedAfterTheClickThatFilledIt) {
  Activate();
  Control("Text2")->setFocus();
  QCoreApplication::processEvents();
  Set("Text1", std::u16string(1 << 20, u'a'));
  Click("CMDURLEN"); // a result as long as its input
  EXPECT_TRUE(Status().startsWith(Q("URLencode：结果已写入下框"))) << Status().toStdString();
  EXPECT_FALSE(Status().contains(Q("下框："))) << Status().toStdString();
  QTest::qWait(400);
  EXPECT_TRUE(Status().contains(Q("下框：1048576 个字符，1048576 字节（GBK）")))
      << Status().toStdString();
  // Counted off the window's thread in one walk: a line break is two characters and two bytes, a
  // surrogate pair one character, which GBK writes as "??".
  std::u16string lines;
  for (int i = 0; i < 300'000; ++i)
    lines += u"ab\r\n\U0001F600";
  Set("Text2", lines);
  EXPECT_TRUE(QTest::qWaitFor(
      [this] { return Status().contains(Q("下框：1500000 个字符，1800000 字节（GBK）")); }, 10'000))
      << Status().toStdString();
}

TEST_F(LiveWindow, SaysWhatTheLastButtonDid) {
  Set("Text1", u"abc");
  Click("CMDBASE64");
  EXPECT_TRUE(Status().startsWith(Q("base64encode：结果已写入下框"))) << Status().toStdString();
  Click("Command1");
  EXPECT_TRUE(Status().startsWith(Q("上下值互换"))) << Status().toStdString();
}

Outcome NothingFound(std::u16string_view, const OperationOptions&) {
  return Outcome::Refused({u"未识别到可还原的编码", MessageStyle::StatusNote, {}});
}

const Operation kNoteRows[] = {
    {.cliName = "url-encode", .caption = "URLencode", .description = "fake", .run = NothingFound},
};

TEST_F(LiveWindow, AStatusNoteGoesToTheStatusLineInsteadOfAMessageBox) {
  Open(kNoteRows);
  Set("Text2", u"kept");
  Click("CMDURLEN");
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(Read("Text2"), u"kept");
  EXPECT_TRUE(Status().contains(Q("未识别到可还原的编码"))) << Status().toStdString();
}

// ---- files --------------------------------------------------------------------------------------

TEST_F(LiveWindow, LoadsAFileInTheCharsetItsBytesShow) {
  struct LoadCase {
    const char* name;
    QByteArray bytes;
    std::string_view charset;
    std::u16string_view shown;
  };
  const LoadCase cases[] = {
      {"gbk.txt", QByteArray("\xD6\xD0\xCE\xC4\r\nA"), "gbk", u"中文\r\nA"},
      {"utf8.txt", QByteArray("\xE4\xB8\xAD\xE6\x96\x87"), "utf-8", u"中文"},
      {"big5.txt", QByteArray("\xA4\xA4\xA4\xE5"), "big5", u"中文"},
      {"bom8.txt", QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD\n"), "gbk", u"中\r\n"},
      {"bom16le.txt", QByteArray("\xFF\xFE\x2D\x4E\x41\x00", 6), "gbk", u"中A"},
      {"bom16be.txt", QByteArray("\xFE\xFF\x4E\x2D\x00\x41", 6), "big5", u"中A"},
      // Without a mark a file is read in the charset its bytes show, whatever the choice.
      {"utf8-in-gbk.txt",
       QByteArray("\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE4\xB8\x96\xE7\x95\x8C\xE3\x80\x82\xE8"
                  "\xBF\x99\xE6\x98\xAF\xE4\xB8\x80\xE4\xB8\xAA\xE4\xB8\xAD\xE6\x96\x87\xE6\x96\x87"
                  "\xE4\xBB\xB6\xE3\x80\x82"),
       "gbk", u"你好，世界。这是一个中文文件。"},
      {"big5-in-gbk.txt",
       QByteArray("\xB3\x6F\xAC\x4F\xA4\x40\xAD\xD3\xC1\x63\xC5\xE9\xA4\xA4\xA4\xE5\xAA\xBA\xC0\xC9"
                  "\xAE\xD7\xA1\x41\xA4\xBA\xAE\x65\xA5\xCE\xA4\x6A\xA4\xAD\xBD\x58\xC0\x78\xA6\x73"
                  "\xA1\x43"),
       "gbk", u"這是一個繁體中文的檔案，內容用大五碼儲存。"},
      {"utf16le-in-gbk.txt",
       QByteArray("\x2D\x4E\x87\x65\x20\x00\x74\x00\x65\x00\x78\x00\x74\x00\x20\x00\x66\x00\x69\x00"
                  "\x6C\x00\x65\x00",
                  24),
       "gbk", u"中文 text file"},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    ChooseCharset(c.charset);
    Set("Text1", u"before");
    EXPECT_TRUE(m_window->loadFile(WriteFile(c.name, c.bytes)));
    EXPECT_EQ(Read("Text1"), c.shown);
  }
  EXPECT_TRUE(m_messages.empty());
  // The status line names the charset and why; the choice stays, and "reopen as" reads the file
  // in the charset asked for, or says why it cannot.
  EXPECT_TRUE(Status().contains(Q("UTF-16LE，按内容判断"))) << Status().toStdString();
  EXPECT_EQ(m_window->charset(), Charset::Gbk);
  const QString utf8 = WriteFile("again.txt", QByteArray("\xE4\xB8\xAD\xE6\x96\x87"));
  EXPECT_TRUE(m_window->loadFile(utf8));
  EXPECT_TRUE(Status().contains(Q("UTF-8，内容是有效的 UTF-8"))) << Status().toStdString();
  EXPECT_TRUE(m_window->loadFile(utf8, Charset::Gbk));
  EXPECT_EQ(Read("Text1"), u"涓\uE15F枃");
  EXPECT_FALSE(m_window->loadFile(utf8, Charset::Big5));
  EXPECT_EQ(Read("Text1"), u"涓\uE15F枃");
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(ToQString(m_messages[0].text).contains(Q("个字节起的内容不是有效的 BIG5 文字")))
      << U8(m_messages[0].text);
}

// A large file is read and written off the window's thread; cancelled, it leaves Text1 as it was,
// and a problem with it is told once the reading ends.
TEST_F(LiveWindow, ALargeFileLoadsOffTheWindowsThreadAndEscLeavesText1) {
  QByteArray bytes;
  std::u16string shown;
  while (bytes.size() <= 3 * kLargeFileBytes) {
    bytes += "\xE4\xB8\xAD\xE6\x96\x87 line\r\n";
    shown += u"中文 line\r\n";
  }
  const QString path = WriteFile("large.txt", bytes);
  for (const bool cancel : {true, false}) {
    SCOPED_TRACE(cancel ? "cancelled" : "loaded");
    Set("Text1", u"before");
    EXPECT_TRUE(m_window->loadFile(path));
    EXPECT_TRUE(m_window->isWorking());
    EXPECT_FALSE(m_window->loadFile(path)); // one run at a time
    if (cancel) {
      m_window->cancelWork();
      m_window->waitForWorker();
      QTest::qWait(20);
      EXPECT_EQ(Read("Text1"), u"before");
      continue;
    }
    WaitUntilIdle();
    EXPECT_EQ(Read("Text1"), shown);
    EXPECT_TRUE(Status().contains(Q("UTF-8，内容是有效的 UTF-8"))) << Status().toStdString();
    Key("Text1", Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Read("Text1"), u"before");
  }
  m_messages.clear();
  EXPECT_TRUE(m_window->loadFile(path, Charset::Big5));
  WaitUntilIdle();
  EXPECT_EQ(Read("Text1"), u"before");
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(ToQString(m_messages[0].text).contains(Q("不是有效的 BIG5 文字")));
}

TEST_F(LiveWindow, AFileThatCannotBeLoadedNamesTheProblemAndChangesNoBox) {
  const QString missing = m_folder.filePath("missing.txt");
  const QString picture = WriteFile("picture.png", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF", 17));
  const QString huge = m_folder.filePath("huge.txt");
  {
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(kLargestFileBytes + 1)); // sparse: no disk is written
  }
  struct ProblemCase {
    QString path;
    const char* problem;
  };
  const ProblemCase cases[] = {
      {missing, "没有这个文件"},
      {picture, "这不是文本文件"},
      {huge, "超过了 256 MiB 的上限"},
      {m_folder.path(), "没有这个文件"}, // a folder is no file to load
  };
  ChooseCharset("utf-8");
  for (const ProblemCase& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    m_messages.clear();
    Set("Text1", u"kept");
    Set("Text2", u"kept too");
    EXPECT_FALSE(m_window->loadFile(c.path));
    EXPECT_EQ(Read("Text1"), u"kept");
    EXPECT_EQ(Read("Text2"), u"kept too");
    ASSERT_EQ(m_messages.size(), 1u);
    const QString text = ToQString(m_messages[0].text);
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(c.path))) << text.toStdString();
    EXPECT_TRUE(text.contains(Q(c.problem))) << text.toStdString();
    EXPECT_EQ(m_messages[0].style, MessageStyle::Error);
  }
}

TEST_F(LiveWindow, CtrlOAndDroppingAFileLoadIntoText1) {
  Activate();
  m_chosenFile = WriteFile("opened.txt", "opened");
  Key("Text1", Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(Read("Text1"), u"opened");

  const QString dropped = WriteFile("dropped.txt", "dropped");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(dropped)});
  auto* text1 = Control<QPlainTextEdit>("Text1");
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(text1->viewport(), &enter); // a drop ends a drag that entered
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(text1->viewport(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  QCoreApplication::processEvents();
  EXPECT_EQ(Read("Text1"), u"dropped");
  Key("Text1", Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Read("Text1"), u"opened");
}

TEST_F(LiveWindow, CtrlSSavesText2InTheChosenCharset) {
  Activate();
  m_chosenFile = m_folder.filePath("saved.txt");
  Set("Text2", u"中文\r\nA");
  Key("Text1", Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadFile(m_chosenFile), QByteArray("\xD6\xD0\xCE\xC4\r\nA"));
  ChooseCharset("utf-16be");
  Key("Text2", Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadFile(m_chosenFile), QByteArray("\x4E\x2D\x65\x87\x00\x0D\x00\x0A\x00\x41", 10));
  EXPECT_TRUE(m_questions.empty());
}

TEST_F(LiveWindow, SavingCharactersTheCharsetLacksAsksFirst) {
  ChooseCharset("utf-8");
  Set("Text2", u"a😀");
  ChooseCharset("gbk");
  const QString path = m_folder.filePath("lossy.txt");
  m_answer = false;
  EXPECT_FALSE(m_window->saveFile(path));
  ASSERT_EQ(m_questions.size(), 1u);
  EXPECT_TRUE(m_questions[0].contains(Q("1 个字符无法用 GBK 表示"))) // a pair is one character
      << m_questions[0].toStdString();
  EXPECT_FALSE(QFile::exists(path));
  m_answer = true;
  EXPECT_TRUE(m_window->saveFile(path));
  EXPECT_EQ(ReadFile(path), QByteArray("a??"));
}

// A long Text2 is encoded and written off the window's thread; the question about characters the
// charset lacks comes once the text is encoded, and the bytes are written only when the user agrees.
TEST_F(LiveWindow, ALongText2SavesOffTheWindowsThreadAndAsksFirst) {
  std::u16string text;
  QByteArray gbk;
  while (text.size() <= 2 * kLargeSaveUnits) {
    text += u"中文😀\r\n";
    gbk += "\xD6\xD0\xCE\xC4??\r\n";
  }
  Set("Text2", text);
  const QString path = m_folder.filePath("long.txt");
  for (const bool agree : {false, true}) {
    SCOPED_TRACE(agree ? "agreed" : "declined");
    m_questions.clear();
    m_answer = agree;
    EXPECT_TRUE(m_window->saveFile(path));
    EXPECT_TRUE(m_window->isWorking());
    EXPECT_FALSE(m_window->saveFile(path)); // one run at a time
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_questions.empty(); }, 60'000));
    WaitUntilIdle();
    EXPECT_TRUE(m_questions[0].contains(Q("无法用 GBK 表示"))) << m_questions[0].toStdString();
    EXPECT_EQ(QFile::exists(path), agree);
  }
  EXPECT_EQ(ReadFile(path), gbk);
  EXPECT_TRUE(Status().contains(Q("下框已保存为 long.txt"))) << Status().toStdString();
  // Every character in the charset: no question, and the file is written by the first run.
  ChooseCharset("utf-8");
  m_questions.clear();
  EXPECT_TRUE(m_window->saveFile(path));
  WaitUntilIdle();
  EXPECT_TRUE(m_questions.empty());
  EXPECT_EQ(ReadFile(path), ToQString(text).toUtf8());
}

TEST_F(LiveWindow, AFileThatCannotBeWrittenNamesTheProblem) {
  Set("Text2", u"x");
  const QString path = m_folder.filePath("no-such-folder/out.txt");
  EXPECT_FALSE(m_window->saveFile(path));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(ToQString(m_messages[0].text).contains(QDir::toNativeSeparators(path)));
}

// ---- languages ----------------------------------------------------------------------------------

TEST(WindowLanguages, OnAChineseLocaleQtsOwnTextsAreChineseAndTheWindowsStayAsWritten) {
  const Translations translations(QLocale(QLocale::Chinese, QLocale::China));
  EXPECT_TRUE(translations.qtTranslated());
  EXPECT_FALSE(translations.windowInEnglish());
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), Q("确定"));
  Form1 window;
  auto* text1 = window.findChild<QPlainTextEdit*>("Text1");
  const std::unique_ptr<QMenu> menu(text1->createStandardContextMenu());
  auto* undo = menu->findChild<QAction*>(QStringLiteral("edit-undo"));
  ASSERT_NE(undo, nullptr);
  EXPECT_TRUE(undo->text().startsWith(Q("撤消"))) << undo->text().toStdString();
  EXPECT_TRUE(window.findChild<QWidget*>("CMDBASE64")->toolTip().startsWith(Q("把上框")));
}

TEST(WindowLanguages, OnOtherLocalesTheWindowsOwnTextsAreEnglishAndCaptionsStay) {
  const Translations translations(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_TRUE(translations.windowInEnglish());
  EXPECT_TRUE(translations.qtTranslated());
  Form1 window;
  window.setShowMessage([](const Message&) {});
  auto* base64 = window.findChild<QPushButton*>("CMDBASE64");
  EXPECT_EQ(base64->text(), "base64encode");
  EXPECT_TRUE(base64->toolTip().startsWith("Encode the GBK bytes of the upper box"))
      << base64->toolTip().toStdString();
  EXPECT_EQ(window.findChild<QLineEdit*>("TxtBeiTiHuan")->placeholderText(), "Find");
  // The window's own labels are English too; the vertical ones keep their Chinese, which an
  // English word would not fit, and tell it in their tooltips.
  EXPECT_EQ(window.findChild<QLabel*>("LabelCharset")->text(), "Charset");
  EXPECT_EQ(window.findChild<QLabel*>("Label3")->text(), "Replace");
  EXPECT_EQ(window.findChild<QCheckBox*>("Check1")->text(), "Upper");
  EXPECT_EQ(window.findChild<QLabel*>("Label1")->text(), Q("要转换内容"));
  EXPECT_TRUE(window.findChild<QLabel*>("Label1")->toolTip().startsWith("Upper box"));
  base64->click();
  EXPECT_TRUE(window.findChild<QLabel*>("LabelStatus")
                  ->text()
                  .startsWith("base64encode: result written to the lower box"));
}

TEST(WindowLanguages, EveryTextOfTheWindowHasAnEnglishTranslation) {
  QTranslator english;
  ASSERT_TRUE(english.load(QStringLiteral(":/kelvaro/translations/kelvaro_en.qm")));
  for (const ControlSpec& entry : Controls()) {
    for (const std::string_view text : {entry.toolTip, entry.placeholder}) {
      if (text.empty())
        continue;
      SCOPED_TRACE(std::string(text));
      EXPECT_FALSE(english.translate(kControlsContext, text.data()).isEmpty());
    }
  }
}

} // namespace
} // namespace kelvaro::app
