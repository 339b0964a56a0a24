#pragma once
// The window's status line: one line of text that is never cut off. A line wider than the label is
// shortened in the middle, where it loses the least (what was done stays at the start, the counts
// at the end), and its tooltip always shows it whole.

#include <QLabel>

namespace kelvaro::app {

class StatusLabel : public QLabel {
  Q_OBJECT
public:
  explicit StatusLabel(QWidget* parent = nullptr);

  /// The whole line; text() gives it back whole, whatever is shown.
  void setLine(const QString& line);

  /// What the label shows at its present width.
  [[nodiscard]] QString shownText() const;

protected:
  void paintEvent(QPaintEvent* event) override;
};

} // namespace kelvaro::app
