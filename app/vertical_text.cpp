#include "app/vertical_text.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace kelvaro::app {
namespace {

int Em(const QFontMetrics& metrics) {
  return std::max(metrics.horizontalAdvance(QChar(0x4E2D)), metrics.ascent());
}

// Draws `text` one character (one grapheme is not needed: captions are CJK) per cell, top to
// bottom inside `area`; cells are the font's line height, squeezed down to the em size when the
// whole column would not fit otherwise.
void PaintColumn(QPainter& painter, const QRect& area, const QString& text, bool centred) {
  if (text.isEmpty())
    return;
  const int count = static_cast<int>(text.size());
  painter.setFont(ColumnFont(painter.font(), area.size(), count));
  const QFontMetrics metrics = painter.fontMetrics();
  const int em = Em(metrics);
  const int step =
      std::max(std::min(metrics.height(), area.height() / count), std::min(em, metrics.height()));
  const int columnHeight = step * count;
  int y = area.top();
  if (centred)
    y += std::max(0, (area.height() - columnHeight) / 2);
  for (const QChar character : text) {
    painter.drawText(QRect(area.left(), y, area.width(), step), Qt::AlignCenter,
                     QString(character));
    y += step;
  }
}

} // namespace

QFont ColumnFont(const QFont& font, const QSize& area, int characters) {
  QFont fitted = font;
  if (fitted.pointSizeF() <= 0 || characters <= 0)
    return fitted;
  const auto fits = [&] {
    const int em = Em(QFontMetrics(fitted));
    return em * characters <= area.height() && em <= area.width();
  };
  while (!fits() && fitted.pointSizeF() > kSmallestColumnPoints)
    fitted.setPointSizeF(std::max(fitted.pointSizeF() - 0.5, kSmallestColumnPoints));
  return fitted;
}

void VerticalLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  PaintColumn(painter, contentsRect(), text(), false);
}

void VerticalButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  PaintColumn(painter, rect().adjusted(1, 2, -1, -2), text(), true);
}

} // namespace kelvaro::app
