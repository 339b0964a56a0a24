#include "app/form1.h"

#include "app/controls.h"
#include "app/replace.h"
#include "app/text_boxes.h"
#include "app/vertical_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QSvgRenderer>
#include <algorithm>
#include <limits>

namespace kelvaro::app {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The wait cursor for as long as a click runs; every click runs to its end on the window's thread,
// so the cursor comes back before the next event is handled.
class WaitCursor {
public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

QWidget* MakeControl(const ControlSpec& entry, QWidget* parent) {
  const QString caption = FromUtf8(entry.caption);
  const bool vertical = (entry.flags & kVerticalCaption) != 0;
  switch (entry.kind) {
  case ControlKind::TextBox: {
    QWidget* box = (entry.flags & kMultiLine) != 0 ? static_cast<QWidget*>(new MultiLineBox(parent))
                                                   : new SingleLineBox(parent);
    WriteBox(box, UnitsOf(caption));
    return box;
  }
  case ControlKind::Label: {
    QLabel* label = vertical ? new VerticalLabel(caption, parent) : new QLabel(caption, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
  }
  case ControlKind::Button:
    return vertical ? new VerticalButton(caption, parent) : new QPushButton(caption, parent);
  case ControlKind::CheckBox:
    return new QCheckBox(caption, parent);
  }
  return nullptr;
}

// Room for a horizontal caption inside its control, by the style's own margins.
int CaptionRoom(const QWidget* control, ControlKind kind) {
  const QStyle* style = control->style();
  switch (kind) {
  case ControlKind::Button:
    return control->width() - style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control) -
           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control);
  case ControlKind::CheckBox:
    return control->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control) -
           style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
  case ControlKind::Label:
    return control->width();
  case ControlKind::TextBox:
    break;
  }
  return std::numeric_limits<int>::max();
}

// The layout was drawn for a narrow 9-point system font; a wider default font would clip the
// longest captions ("vbFormUnicode"). Such a caption alone gets the font just small enough to fit,
// and never below 7 points; every other control keeps the platform font.
void FitCaption(QWidget* control, const ControlSpec& entry, const QString& caption) {
  if (entry.kind == ControlKind::TextBox || (entry.flags & kVerticalCaption) != 0)
    return;
  const int room = CaptionRoom(control, entry.kind);
  QFont font = control->font();
  if (font.pointSizeF() <= 0)
    return;
  while (QFontMetrics(font).horizontalAdvance(caption) > room && font.pointSizeF() > 7.0) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  if (font != control->font())
    control->setFont(font);
}

QMessageBox::Icon IconOfStyle(MessageStyle style) {
  return style == MessageStyle::Error ? QMessageBox::Critical : QMessageBox::NoIcon;
}

} // namespace

QIcon WindowIcon() {
  QIcon icon;
  QSvgRenderer renderer(QStringLiteral(":/kelvaro/kelvaro.svg"));
  if (!renderer.isValid())
    return icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

Form1::Form1(std::span<const Operation> operations, OperationOptions baseOptions, QWidget* parent)
    : QWidget(parent), m_operations(operations), m_baseOptions(baseOptions) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf16(kWindowCaption));
  setWindowIcon(WindowIcon());
  // The client area; the frame stays sizable, but no layout manager moves the controls.
  resize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
  buildControls();
  wireButtons();
  // Load: the GB-BIG5 button starts in the GB2312-to-BIG5 direction.
  if (QWidget* gbBig5 = findChild<QWidget*>(QStringLiteral("CMDGBBIG5"))) {
    gbBig5->setProperty("Tag", QStringLiteral("1"));
  }
}

void Form1::buildControls() {
  QWidget* previous = nullptr;
  for (const ControlSpec& entry : Controls()) {
    QWidget* control = MakeControl(entry, this);
    control->setObjectName(FromUtf8(entry.name));
    control->setGeometry(TwipsToPixels(entry.left), TwipsToPixels(entry.top),
                         TwipsToPixels(entry.width), TwipsToPixels(entry.height));
    FitCaption(control, entry, FromUtf8(entry.caption));
    if (!entry.toolTip.empty())
      control->setToolTip(FromUtf8(entry.toolTip));
    if (control->focusPolicy() & Qt::TabFocus) {
      if (previous != nullptr)
        setTabOrder(previous, control);
      previous = control;
    }
  }
  m_text1 = findChild<QWidget*>(QStringLiteral("Text1"));
  m_text2 = findChild<QWidget*>(QStringLiteral("Text2"));
  m_find = findChild<QWidget*>(QStringLiteral("TxtBeiTiHuan"));
  m_replacement = findChild<QWidget*>(QStringLiteral("TxtTiHuan"));
  m_check1 = findChild<QAbstractButton*>(QStringLiteral("Check1"));
}

void Form1::wireButtons() {
  for (const ControlSpec& entry : Controls()) {
    if (entry.kind != ControlKind::Button)
      continue;
    auto* button = findChild<QAbstractButton*>(FromUtf8(entry.name));
    if (entry.name == kSwapButton) {
      connect(button, &QAbstractButton::clicked, this, &Form1::swapBoxes);
      continue;
    }
    if (entry.name == kReplaceButton) {
      connect(button, &QAbstractButton::clicked, this, &Form1::replaceInText1);
      continue;
    }
    const Operation* operation = operationNamed(entry.operation);
    if (operation == nullptr)
      continue;
    if (entry.alternate.empty()) {
      connect(button, &QAbstractButton::clicked, this,
              [this, operation] { runOperation(*operation); });
    } else if (const Operation* second = operationNamed(entry.alternate)) {
      connect(button, &QAbstractButton::clicked, this,
              [this, button, operation, second] { runAlternating(button, operation, second); });
    }
  }
}

const Operation* Form1::operationNamed(std::string_view cliName) const {
  for (const Operation& operation : m_operations) {
    if (operation.cliName == cliName)
      return &operation;
  }
  return nullptr;
}

QWidget* Form1::boxOf(Box box) const { return box == Box::Text1 ? m_text1 : m_text2; }

void Form1::runOperation(const Operation& operation) {
  OperationOptions options = m_baseOptions;
  options.upper = operation.readsUpper && m_check1 != nullptr && m_check1->isChecked();
  Outcome outcome;
  {
    const WaitCursor wait;
    outcome = RunOnBoxText(operation, ReadBox(boxOf(operation.reads)), options);
  }
  // The message comes while the conversion runs, before its result reaches the box.
  if (outcome.message)
    ShowMessage(*outcome.message);
  if (outcome.text) {
    const WaitCursor wait;
    WriteBox(boxOf(operation.writes), *outcome.text);
  }
}

void Form1::runAlternating(QAbstractButton* button, const Operation* first,
                           const Operation* second) {
  const QString tag = button->property("Tag").toString();
  // The direction flips before the conversion runs, whatever the conversion then does; any other
  // Tag selects neither and the click does nothing.
  if (tag == QLatin1String("1")) {
    button->setProperty("Tag", QStringLiteral("2"));
    runOperation(*first);
  } else if (tag == QLatin1String("2")) {
    button->setProperty("Tag", QStringLiteral("1"));
    runOperation(*second);
  }
}

void Form1::swapBoxes() {
  const WaitCursor wait;
  // Both texts are read before either box is written, so the two contents exchange exactly.
  const std::u16string first = ReadBox(m_text1);
  const std::u16string second = ReadBox(m_text2);
  WriteBox(m_text2, first);
  WriteBox(m_text1, second);
}

void Form1::replaceInText1() {
  const WaitCursor wait;
  WriteBox(m_text1, ReplaceAll(ReadBox(m_text1), ReadBox(m_find), ReadBox(m_replacement)));
}

void Form1::ShowMessage(const Message& message) {
  if (m_showMessage) {
    m_showMessage(message);
    return;
  }
  const QString title = message.title.empty() ? windowTitle() : ToQString(message.title);
  QMessageBox box(IconOfStyle(message.style), title, ToQString(message.text), QMessageBox::Ok,
                  this);
  box.exec();
}

void Form1::setShowMessage(MessageSink sink) { m_showMessage = std::move(sink); }

} // namespace kelvaro::app
