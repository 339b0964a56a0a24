#pragma once
// A split button: the caption part presses the button as any push button does, and an arrow part
// at its right edge opens a list of choices under it. The recogniser's button lists its other
// readings there.

#include <QPushButton>

class QMenu;

namespace kelvaro::app {

/// Push button with an arrow part at its right edge. A click on the caption part (or Space, or
/// Return) presses the button; a click on the arrow part, or Alt+Down or F4 while the button has
/// the focus, opens the list of choices under the button without waiting for a choice (the
/// chosen action's triggered signal says which). The arrow is greyed out while the list is empty.
class DropDownButton : public QPushButton {
  Q_OBJECT
public:
  explicit DropDownButton(const QString& caption, QWidget* parent = nullptr);

  /// The list the arrow part opens; the owner fills it with actions.
  [[nodiscard]] QMenu* choices() const { return m_choices; }
  /// Whether the list holds an action to choose.
  [[nodiscard]] bool hasChoices() const;
  /// The arrow part, in the button's coordinates.
  [[nodiscard]] QRect arrowRect() const;
  /// Opens the list under the button; does nothing while it is empty.
  void showChoices();

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  [[nodiscard]] bool hitButton(const QPoint& pos) const override;

private:
  QMenu* m_choices = nullptr;
};

} // namespace kelvaro::app
