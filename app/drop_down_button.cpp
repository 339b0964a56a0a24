#include "app/drop_down_button.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace kelvaro::app {

DropDownButton::DropDownButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent), m_choices(new QMenu(this)) {
  // The arrow greys out and lights up with the list.
  m_choices->installEventFilter(this);
}

bool DropDownButton::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_choices &&
      (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionRemoved ||
       event->type() == QEvent::ActionChanged))
    update();
  return QPushButton::eventFilter(watched, event);
}

bool DropDownButton::hasChoices() const {
  const QList<QAction*> actions = m_choices->actions();
  return std::any_of(actions.begin(), actions.end(),
                     [](const QAction* action) { return action->isEnabled(); });
}

QRect DropDownButton::arrowRect() const {
  // The style's own size of a menu button's arrow, with a little room on either side.
  const int indicator = style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, this);
  const int width = std::min(std::max(indicator + 4, 14), this->width() / 3);
  return QRect(this->width() - width, 0, width, height());
}

void DropDownButton::showChoices() {
  if (!hasChoices())
    return;
  // popup(), not exec(): the window's event loop goes on, and a choice arrives as a signal.
  m_choices->popup(mapToGlobal(rect().bottomLeft()));
}

void DropDownButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  painter.drawControl(QStyle::CE_PushButtonBevel, option);
  const QRect arrow = arrowRect();
  QStyleOptionButton label = option;
  label.rect.setRight(arrow.left() - 1);
  painter.drawControl(QStyle::CE_PushButtonLabel, label);
  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
  // A thin line parts the arrow from the caption, as on the platform's split buttons.
  const int inset = std::min(4, height() / 4);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawLine(arrow.left(), arrow.top() + inset, arrow.left(), arrow.bottom() - inset);
  QStyleOption arrowOption;
  arrowOption.initFrom(this);
  arrowOption.rect = arrow.adjusted(2, 0, -2, 0);
  if (!hasChoices() || !isEnabled()) {
    arrowOption.state &= ~QStyle::State_Enabled;
    arrowOption.palette.setCurrentColorGroup(QPalette::Disabled);
  }
  painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrowOption);
}

void DropDownButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && arrowRect().contains(event->position().toPoint())) {
    event->accept();
    showChoices();
    return;
  }
  QPushButton::mousePressEvent(event);
}

void DropDownButton::keyPressEvent(QKeyEvent* event) {
  const QKeyCombination key = event->keyCombination();
  if (key == QKeyCombination(Qt::AltModifier, Qt::Key_Down) ||
      key == QKeyCombination(Qt::NoModifier, Qt::Key_F4)) {
    event->accept();
    showChoices();
    return;
  }
  QPushButton::keyPressEvent(event);
}

bool DropDownButton::hitButton(const QPoint& pos) const {
  return QPushButton::hitButton(pos) && !arrowRect().contains(pos);
}

} // namespace kelvaro::app
