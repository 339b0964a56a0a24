#pragma once
// The main window. It is built from the controls table, and its conversion buttons are wired from
// the operation registry; the window itself only reads a box, runs one operation and writes a box.

#include "registry/operations.h"

#include <QWidget>
#include <functional>
#include <span>

class QAbstractButton;

namespace kelvaro::app {

/// The caption of the window, and the title of a message box that brings none of its own.
inline constexpr char16_t kWindowCaption[] = u"OrvaneKelvaro";

class Form1 : public QWidget {
  Q_OBJECT
public:
  using MessageSink = std::function<void(const Message&)>;

  /// `operations` are the rows the buttons dispatch to, found by the operation names of the
  /// controls table; a button whose operation the table lacks does nothing (tests pass small tables
  /// of their own);
  /// `baseOptions` carries what every run shares, such as the host resolver.
  explicit Form1(std::span<const Operation> operations = Operations(),
                 OperationOptions baseOptions = {}, QWidget* parent = nullptr);

  /// Modal message box with an OK button and the icon of the message's style; an empty title shows
  /// the window's caption. Replaced through setShowMessage, so tests see messages without a modal
  /// loop.
  void ShowMessage(const Message& message);
  void setShowMessage(MessageSink sink);

private:
  void buildControls();
  void wireButtons();
  void runOperation(const Operation& operation);
  void runAlternating(QAbstractButton* button, const Operation* first, const Operation* second);
  [[nodiscard]] const Operation* operationNamed(std::string_view cliName) const;
  void swapBoxes();
  void replaceInText1();
  [[nodiscard]] QWidget* boxOf(Box box) const;

  std::span<const Operation> m_operations;
  OperationOptions m_baseOptions;
  MessageSink m_showMessage;
  QWidget* m_text1 = nullptr;
  QWidget* m_text2 = nullptr;
  QWidget* m_find = nullptr;
  QWidget* m_replacement = nullptr;
  QAbstractButton* m_check1 = nullptr;
};

/// The window icon, drawn from the program's SVG at the usual icon sizes.
[[nodiscard]] QIcon WindowIcon();

} // namespace kelvaro::app
