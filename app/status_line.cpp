#include "app/status_line.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace kelvaro::app {

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
}

void StatusLabel::setLine(const QString& line) {
  setText(line);
  setToolTip(line);
}

QString StatusLabel::shownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void StatusLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOption option;
  option.initFrom(this);
  style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), option.palette,
                        isEnabled(), shownText(), foregroundRole());
}

} // namespace kelvaro::app
