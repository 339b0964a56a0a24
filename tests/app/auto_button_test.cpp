// 自动识别 (CMDAUTO) in the real window over the real registry: what it writes, what the status
// line says, its drop-down of other readings, and the note when the box lost pasted characters.

#include "app/controls.h"
#include "app/drop_down_button.h"
#include "live_window.h"
#include "support/text.h"

#include <QMenu>
#include <QTimer>
#include <algorithm>

namespace kelvaro::app {
namespace {

using testing::U16;
using testing::U8;

class AutoButton : public LiveWindow {
protected:
  DropDownButton* Button() { return Control<DropDownButton>("CMDAUTO"); }
  QStringList Listed() {
    QStringList entries;
    for (const QAction* entry : Button()->choices()->actions())
      entries << entry->text();
    return entries;
  }
  void Choose(int entry) {
    const QList<QAction*> entries = Button()->choices()->actions();
    ASSERT_LT(entry, entries.size());
    entries[entry]->trigger();
    QCoreApplication::processEvents(); // the list's old entries go once the choice is handled
  }
  // Selects the whole of Text1 and pastes over it, as a user replacing what the box held.
  void PasteOver(const QString& text) {
    QApplication::clipboard()->setText(text);
    auto* text1 = Control<QPlainTextEdit>("Text1");
    text1->selectAll();
    text1->paste();
  }
  // What the registry itself gives for the text under the charset, for the words it uses.
  static Outcome Expected(std::u16string_view text, Charset charset) {
    return RunOnBoxText(*FindOperation("auto"), std::u16string(text),
                        OperationOptions{.charset = charset});
  }
};

TEST_F(AutoButton, StandsWhereTheLayoutLeftItsPlaceAndRunsTheRecogniser) {
  EXPECT_EQ(Button()->geometry(), QRect(488, 458, 81, 22)); // 7320, 6870, 1215, 330 twips
  EXPECT_EQ(Button()->text(), Q("自动识别"));
  const ControlSpec* entry = nullptr;
  for (const ControlSpec& control : Controls()) {
    if (control.name == "CMDAUTO")
      entry = &control;
  }
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->operation, "auto");
}

struct RecogniseCase {
  std::string_view charset;
  std::string_view pasted;
  std::string_view restored;
  std::string_view steps; // part of the status line's words
};

const RecogniseCase kRecognised[] = {
    {"gbk", "浣犲ソ", "你好", "UTF-8 被当作 GBK 读取，已还原"},
    {"utf-8", "ä¸­æ–‡", "中文", "UTF-8 被当作 Windows-1252 读取，已还原"},
    {"gb18030", "ÖÐÎÄ", "中文", "读取，已还原"},
    {"gbk", "%E4%B8%AD%E6%96%87", "中文", "%XX"},
    {"gbk", "\\u4e2d\\u6587", "中文", "\\uXXXX"},
    {"gbk", "5Lit5paH", "中文", "Base64"},
    {"gbk", "&#20013;&#25991;", "中文", "HTML"},
};

TEST_F(AutoButton, WritesTheBestReadingAndNamesItsStepsInTheStatusLine) {
  for (const RecogniseCase& c : kRecognised) {
    SCOPED_TRACE(std::string(c.charset) + " " + std::string(c.pasted));
    ChooseCharset(c.charset);
    PasteOver(Q(c.pasted));
    ASSERT_EQ(U8(Read("Text1")), c.pasted); // the charset keeps every character pasted
    Set("Text2", u"earlier");
    Click("CMDAUTO");
    EXPECT_EQ(U8(Read("Text2")), c.restored);
    const Outcome expected = Expected(U16(c.pasted), m_window->charset());
    ASSERT_TRUE(expected.message.has_value());
    EXPECT_TRUE(Status().contains(ToQString(expected.message->text))) << Status().toStdString();
    EXPECT_TRUE(Status().contains(Q(c.steps))) << Status().toStdString();
    EXPECT_TRUE(Status().startsWith(Q("自动识别：结果已写入下框"))) << Status().toStdString();
    EXPECT_FALSE(Status().contains(Q("?"))) << Status().toStdString();
    EXPECT_TRUE(m_messages.empty());
  }
}

TEST_F(AutoButton, IsOneStepOfTheResultBoxsHistory) {
  Set("Text1", U16("浣犲ソ"));
  Set("Text2", u"earlier");
  Click("CMDAUTO");
  EXPECT_EQ(U8(Read("Text2")), "你好");
  Key("Text2", Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), u"earlier");
  Key("Text2", Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(U8(Read("Text2")), "你好");
}

TEST_F(AutoButton, WhenNothingIsRecognisedTheStatusLineSaysSoAndText2Stays) {
  for (const std::u16string_view plain : {u"hello world", u"中文", u""}) {
    SCOPED_TRACE(U8(plain));
    Set("Text1", plain);
    Set("Text2", u"kept");
    const int steps = Control<QPlainTextEdit>("Text2")->document()->availableUndoSteps();
    Click("CMDAUTO");
    EXPECT_EQ(Read("Text2"), u"kept");
    EXPECT_TRUE(Status().contains(ToQString(MessageFor(ErrorCode::NothingRecognised).text)))
        << Status().toStdString();
    EXPECT_TRUE(m_messages.empty()); // a status note, not a message box
    EXPECT_FALSE(Button()->hasChoices());
    EXPECT_EQ(Control<QPlainTextEdit>("Text2")->document()->availableUndoSteps(), steps);
  }
}

TEST_F(AutoButton, TheDropDownListsTheOtherReadingsByTheirWords) {
  Set("Text1", u"5Lit5paH");
  Click("CMDAUTO");
  const Outcome expected = Expected(u"5Lit5paH", Charset::Gbk);
  ASSERT_FALSE(expected.alternatives.empty());
  ASSERT_TRUE(Button()->hasChoices());
  const QStringList listed = Listed();
  EXPECT_EQ(listed.size(), static_cast<qsizetype>(expected.alternatives.size()));
  for (qsizetype i = 0; i < listed.size(); ++i) {
    SCOPED_TRACE(listed[i].toStdString());
    const Alternative& alternative = expected.alternatives[static_cast<std::size_t>(i)];
    EXPECT_TRUE(listed[i].startsWith(ToQString(alternative.words)));
    EXPECT_TRUE(listed[i].contains(ToQString(alternative.text.substr(0, 8))));
  }
}

TEST_F(AutoButton, ChoosingAReadingWritesItToText2AsOneUndoStep) {
  Set("Text1", u"5Lit5paH");
  Set("Text2", u"earlier");
  Click("CMDAUTO");
  const Outcome expected = Expected(u"5Lit5paH", Charset::Gbk);
  ASSERT_FALSE(expected.alternatives.empty());
  const Alternative& second = expected.alternatives[0];
  Choose(0);
  EXPECT_EQ(Read("Text2"), second.text);
  EXPECT_TRUE(Status().contains(ToQString(second.words))) << Status().toStdString();
  EXPECT_TRUE(Status().startsWith(Q("自动识别：所选读法已写入下框"))) << Status().toStdString();
  // Now the best reading is one of the others, first in the list.
  ASSERT_FALSE(Listed().isEmpty());
  EXPECT_TRUE(Listed()[0].startsWith(ToQString(expected.message->text)));
  EXPECT_FALSE(Listed().join('\n').contains(ToQString(second.text)));
  Key("Text2", Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(U8(Read("Text2")), "中文");
  Key("Text2", Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), u"earlier");
  Key("Text2", Qt::Key_Y, Qt::ControlModifier);
  Key("Text2", Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Read("Text2"), second.text);
  Choose(0); // back to the best
  EXPECT_EQ(U8(Read("Text2")), "中文");
}

TEST_F(AutoButton, TheArrowOpensTheListAndTheCaptionRunsTheButton) {
  Set("Text1", u"5Lit5paH");
  auto* button = Button();
  // Before any reading the arrow opens nothing.
  QTest::mouseClick(button, Qt::LeftButton, {}, button->arrowRect().center());
  EXPECT_FALSE(button->choices()->isVisible());
  EXPECT_EQ(Read("Text2"), u"");
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, button->height() / 2));
  EXPECT_EQ(U8(Read("Text2")), "中文");
  ASSERT_TRUE(button->hasChoices());
  const std::u16string first = Expected(u"5Lit5paH", Charset::Gbk).alternatives[0].text;
  // A click on the arrow opens the list without running the button; Down and Return choose.
  QTest::mouseClick(button, Qt::LeftButton, {}, button->arrowRect().center());
  ASSERT_TRUE(button->choices()->isVisible());
  EXPECT_EQ(U8(Read("Text2")), "中文");
  QTest::keyClick(button->choices(), Qt::Key_Down);
  QTest::keyClick(button->choices(), Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_FALSE(button->choices()->isVisible());
  EXPECT_EQ(Read("Text2"), first);
}

TEST_F(AutoButton, TheKeyboardOpensTheList) {
  Set("Text1", u"5Lit5paH");
  Click("CMDAUTO");
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_F4, Qt::KeyboardModifiers()},
        std::pair{Qt::Key_Down, Qt::KeyboardModifiers(Qt::AltModifier)}}) {
    SCOPED_TRACE(key);
    QTest::keyClick(Button(), key, modifiers);
    EXPECT_TRUE(Button()->choices()->isVisible());
    QTest::keyClick(Button()->choices(), Qt::Key_Escape);
    EXPECT_FALSE(Button()->choices()->isVisible());
  }
  EXPECT_EQ(U8(Read("Text2")), "中文");
}

TEST_F(AutoButton, TheReadingsAreForgottenWhenText1OrTheCharsetChanges) {
  Set("Text1", u"5Lit5paH");
  Click("CMDAUTO");
  ASSERT_TRUE(Button()->hasChoices());
  QTest::keyClicks(Control("Text1"), QStringLiteral("x"));
  EXPECT_FALSE(Button()->hasChoices());
  Set("Text1", u"5Lit5paH");
  Click("CMDAUTO");
  ASSERT_TRUE(Button()->hasChoices());
  ChooseCharset("utf-8");
  EXPECT_FALSE(Button()->hasChoices());
}

// The boxes used to turn Latin letters GBK lacks into "?" on the way in, and auto could only
// suggest another charset; now they keep every character pasted, whatever the charset.
TEST_F(AutoButton, APasteUnderGbkKeepsGarbledLettersAndAutoRepairsThem) {
  ASSERT_EQ(m_window->charset(), Charset::Gbk);
  for (const QString& pasted : {Q("ÖÐÎÄ"), Q("ä¸­æ–‡")}) {
    PasteOver(pasted);
    ASSERT_EQ(ToQString(Read("Text1")), pasted);
    Click("CMDAUTO");
    EXPECT_EQ(U8(Read("Text2")), "中文") << pasted.toStdString();
    EXPECT_TRUE(m_messages.empty());
  }
  // Pasted into part of the box, a character GBK lacks stays itself too.
  Set("Text1", u"浣犲ソ ");
  Paste("Text1", QString::fromUtf16(u"\u0E01"));
  EXPECT_NE(Read("Text1").find(u'\u0E01'), std::u16string::npos);
  EXPECT_FALSE(Status().contains(Q("?"))) << Status().toStdString();
}

} // namespace
} // namespace kelvaro::app
