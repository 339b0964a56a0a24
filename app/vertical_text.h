#pragma once
// Captions that read top to bottom, one character wide. Qt's own line breaking would space the
// characters by the font's full line height, which does not fit the narrow controls of the layout,
// so these paint one character per cell themselves. text() keeps the plain caption.

#include <QLabel>
#include <QPushButton>

namespace kelvaro::app {

/// The smallest font a column of characters shrinks to.
inline constexpr double kSmallestColumnPoints = 6.0;

/// The font for a column of `characters` in `area`: `font` itself when every character fits a
/// whole cell, else the largest smaller one that does (a default font larger than the layout
/// was drawn for would cut off the last character), never below kSmallestColumnPoints.
[[nodiscard]] QFont ColumnFont(const QFont& font, const QSize& area, int characters);

/// Label whose caption runs down from its top edge.
class VerticalLabel : public QLabel {
  Q_OBJECT
public:
  using QLabel::QLabel;

protected:
  void paintEvent(QPaintEvent* event) override;
};

/// Push button whose caption runs down its middle.
class VerticalButton : public QPushButton {
  Q_OBJECT
public:
  using QPushButton::QPushButton;

protected:
  void paintEvent(QPaintEvent* event) override;
};

} // namespace kelvaro::app
