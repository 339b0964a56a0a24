#pragma once
// The real window over the real registry on the offscreen platform, with settings in a file of
// each test's own, its message boxes, questions and file dialogs answered by the test, and the
// helpers that click, type, paste and read as a user would.

#include "app/form1.h"
#include "app/text_boxes.h"
#include "window_controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace kelvaro::app {

class LiveWindow : public ::testing::Test, protected DrivesControls {
protected:
  LiveWindow() : m_settings(m_folder.filePath("settings.ini"), QSettings::IniFormat) { Open(); }

  void Open(std::span<const Operation> operations = Operations()) {
    m_window = std::make_unique<Form1>(operations, m_baseOptions, &m_settings);
    m_window->setShowMessage([this](const Message& message) { m_messages.push_back(message); });
    m_window->setAskQuestion([this](const QString& question) {
      m_questions.push_back(question);
      return m_answer;
    });
    m_window->setChooseFile([this](bool) { return m_chosenFile; });
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
  }
  void Activate() {
    QApplication::setActiveWindow(m_window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  }

  QWidget* Driven() override { return m_window.get(); }
  void Key(std::string_view box, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Control(box), key, modifiers);
  }
  void Paste(std::string_view box, const QString& text) {
    QApplication::clipboard()->setText(text);
    auto* multi = Control<QPlainTextEdit>(box);
    multi->moveCursor(QTextCursor::End);
    multi->paste();
  }
  void ChooseCharset(std::string_view name) {
    auto* list = Control<QComboBox>("ComboCharset");
    list->setCurrentIndex(list->findText(Q(name)));
  }
  void ChooseMore(std::string_view cliName) {
    auto* list = Control<QComboBox>("ComboMore");
    const int index = list->findData(Q(cliName));
    ASSERT_GE(index, 0) << cliName;
    list->setCurrentIndex(index);
  }
  QString Status() { return Control<QLabel>("LabelStatus")->text(); }
  QString WriteFile(const char* name, const QByteArray& bytes) {
    const QString path = m_folder.filePath(QLatin1String(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QByteArray ReadFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }

  QTemporaryDir m_folder;
  QSettings m_settings;
  OperationOptions m_baseOptions; ///< what Open gives the window (a resolver, say)
  std::unique_ptr<Form1> m_window;
  std::vector<Message> m_messages;
  std::vector<QString> m_questions;
  bool m_answer = false;
  QString m_chosenFile;
};

} // namespace kelvaro::app
