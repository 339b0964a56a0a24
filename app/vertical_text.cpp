#include "app/vertical_text.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace kelvaro::app {
namespace {

// Draws `text` one character (one grapheme is not needed: captions are CJK) per cell, top to
// bottom inside `area`; cells are the font's line height, squeezed down to the em size when the
// whole column would not fit otherwise.
void PaintColumn(QPainter& painter, const QRect& area, const QString& text, bool centred) {
  if (text.isEmpty())
    return;
  const QFontMetrics metrics = painter.fontMetrics();
  const int count = static_cast<int>(text.size());
  const int em = std::max(metrics.horizontalAdvance(QChar(0x4E2D)), metrics.ascent());
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
