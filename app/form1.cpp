#include "app/form1.h"

#include "app/controls.h"
#include "app/drop_down_button.h"
#include "app/replace.h"
#include "app/status_line.h"
#include "app/text_boxes.h"
#include "app/vertical_text.h"
#include "app/work.h"
#include "registry/file_text.h"
#include "text/utf.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>
#include <QSettings>
#include <QStyle>
#include <QSvgRenderer>
#include <QTimer>
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

QString Translated(std::string_view text) {
  return QCoreApplication::translate(kControlsContext, text.data());
}

// The layout's captions stay as they are in every language; the window's own words do not.
QString CaptionOf(const ControlSpec& entry) {
  return (entry.flags & kTranslatedCaption) != 0 ? Translated(entry.caption)
                                                 : FromUtf8(entry.caption);
}

QWidget* MakeControl(const ControlSpec& entry, QWidget* parent) {
  const QString caption = CaptionOf(entry);
  const bool vertical = (entry.flags & kVerticalCaption) != 0;
  switch (entry.kind) {
  case ControlKind::TextBox: {
    QWidget* box = (entry.flags & kMultiLine) != 0 ? static_cast<QWidget*>(new MultiLineBox(parent))
                                                   : new SingleLineBox(parent);
    WriteBox(box, UnitsOf(caption));
    return box;
  }
  case ControlKind::Label: {
    QLabel* label = vertical                      ? new VerticalLabel(caption, parent)
                    : entry.name == kStatusLine ? new StatusLabel(parent)
                                                  : new QLabel(caption, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
  }
  case ControlKind::Button:
    if (vertical)
      return new VerticalButton(caption, parent);
    if ((entry.flags & kDropDown) != 0)
      return new DropDownButton(caption, parent);
    return new QPushButton(caption, parent);
  case ControlKind::CheckBox:
    return new QCheckBox(caption, parent);
  case ControlKind::ComboBox: {
    auto* combo = new QComboBox(parent);
    combo->setEditable(false);
    return combo;
  }
  }
  return nullptr;
}

// Room for a horizontal caption inside its control, by the style's own margins.
int CaptionRoom(const QWidget* control, ControlKind kind) {
  const QStyle* style = control->style();
  switch (kind) {
  case ControlKind::Button: {
    int room = control->width() - style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control) -
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control);
    if (const auto* dropDown = qobject_cast<const DropDownButton*>(control))
      room -= dropDown->arrowRect().width();
    return room;
  }
  case ControlKind::CheckBox:
    return control->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control) -
           style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
  case ControlKind::Label:
    return control->width();
  case ControlKind::TextBox:
  case ControlKind::ComboBox:
    break;
  }
  return std::numeric_limits<int>::max();
}

// The layout was drawn for a narrow 9-point system font; a wider default font would clip the
// longest captions ("vbFormUnicode"). Such a caption alone gets the font just small enough to fit,
// and never below 7 points; every other control keeps the platform font.
void FitCaption(QWidget* control, const ControlSpec& entry, const QString& caption) {
  if (entry.kind == ControlKind::TextBox || entry.kind == ControlKind::ComboBox ||
      (entry.flags & kVerticalCaption) != 0)
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

Message ErrorMessage(const QString& text) {
  return {std::u16string(UnitsOf(text)), MessageStyle::Error, {}};
}

// How a drop-down's list names a reading: its words, then its first characters on one line, so
// that readings with the same steps can be told apart.
QString ReadingInList(const QString& words, std::u16string_view text) {
  constexpr std::size_t kShownUnits = 24;
  QString preview;
  std::size_t i = 0;
  for (; i < text.size() && i < kShownUnits; ++i) {
    const char16_t unit = text[i];
    if (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
      continue;
    preview.append(unit == u'\r' || unit == u'\n' ? QChar(0x21B5)
                   : unit < 0x20                  ? QChar(u' ')
                                                  : QChar(unit));
  }
  // Never end the preview inside a surrogate pair.
  if (!preview.isEmpty() && preview.back().isHighSurrogate())
    preview.chop(1);
  if (i < text.size())
    preview.append(QChar(0x2026));
  QString shown = words + QStringLiteral("：") + preview;
  // A menu reads "&" as the mark of a shortcut letter.
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return shown;
}

// Conversions of texts longer than this run off the window's thread. It is set well below where
// a click reaches 100 ms (自动识别 on 2.2 M units of escapes, box writes included, took about
// 110 ms in kelvaro-window-bench), because some conversions are slower per unit. A host lookup
// always runs there: its time does not depend on the text.
constexpr std::size_t kBackgroundUnits = std::size_t{1} << 18;

bool RunsInBackground(const Operation& operation) { return operation.cliName == "host-to-ip"; }

// A text this long goes into its box a slice at a time, the window turning between slices.
bool WrittenInSlices(const PreparedText& text) {
  return text.laid.size() > MultiLineBox::kSliceUnits;
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

Form1::Form1(std::span<const Operation> operations, OperationOptions baseOptions,
             QSettings* settings, QWidget* parent)
    : QWidget(parent), m_operations(operations), m_baseOptions(baseOptions), m_settings(settings) {
  if (m_settings == nullptr) {
    m_ownSettings = std::make_unique<QSettings>();
    m_settings = m_ownSettings.get();
  }
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf16(kWindowCaption));
  setWindowIcon(WindowIcon());
  // The default client area is also the smallest: below it the rows of buttons would be cut off.
  const QSize defaultSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
  setMinimumSize(defaultSize);
  resize(defaultSize);
  buildControls();
  wireButtons();
  fillCharsets();
  fillMoreOperations();
  wireStatusLine();
  wireWork();
  m_files = std::make_unique<Files>(
      Files::Window{.widget = this,
                    .text1 = m_text1,
                    .text2 = m_text2,
                    .settings = m_settings,
                    .status = m_status.get(),
                    .charset = [this] { return m_charset; },
                    .busy = [this] { return isWorking(); },
                    .reportProblem = [this](const QString& problem) { ShowMessage(ErrorMessage(problem)); },
                    .runOffThread =
                        [this](const QString& label, Work::Job job) {
                          beginWork(label);
                          m_work->start(std::move(job));
                        },
                    .writeText1 =
                        [this](std::shared_ptr<const PreparedText> text, std::function<void()> done) {
                          writeWhole(qobject_cast<MultiLineBox*>(m_text1), std::move(text),
                                     std::move(done));
                        },
                    .ask = [this](const QString& question) { return ask(question); },
                    .chooseFile = [this](bool forSaving) -> std::optional<QString> {
                      if (m_chooseFile)
                        return m_chooseFile(forSaving);
                      return std::nullopt;
                    }});
  // Load: the GB-BIG5 button starts in the GB2312-to-BIG5 direction.
  if (m_gbBig5 != nullptr)
    m_gbBig5->setProperty("Tag", QStringLiteral("1"));
  refreshToolTips();
  // The first keystroke or paste replaces the initial text instead of running into it.
  if (auto* text1 = qobject_cast<QPlainTextEdit*>(m_text1)) {
    text1->selectAll();
    text1->setFocus();
  }
  m_status->refresh();
}

Form1::~Form1() {
  // A job still running may use what the window holds: it ends first.
  m_work.reset();
  // Closing the window moves the focus after the members are gone.
  disconnect(m_focusConnection);
}

void Form1::buildControls() {
  QWidget* previous = nullptr;
  for (const ControlSpec& entry : Controls()) {
    QWidget* control = MakeControl(entry, this);
    control->setObjectName(FromUtf8(entry.name));
    const PixelRect place = PlaceControl(entry, 0, 0);
    control->setGeometry(place.left, place.top, place.width, place.height);
    FitCaption(control, entry, CaptionOf(entry));
    if (auto* single = qobject_cast<QLineEdit*>(control); single && !entry.placeholder.empty())
      single->setPlaceholderText(Translated(entry.placeholder));
    // The initial text is where the history starts, not a step the user can undo.
    if (auto* multi = qobject_cast<QPlainTextEdit*>(control))
      multi->document()->clearUndoRedoStacks();
    // Return on a focused button presses it, as Space does.
    if (auto* button = qobject_cast<QPushButton*>(control))
      button->setAutoDefault(true);
    if (control->focusPolicy() & Qt::TabFocus) {
      if (previous != nullptr)
        setTabOrder(previous, control);
      previous = control;
    }
    m_controls.emplace_back(control, &entry);
  }
  m_text1 = findChild<QWidget*>(QStringLiteral("Text1"));
  m_text2 = findChild<QWidget*>(QStringLiteral("Text2"));
  m_find = findChild<QWidget*>(QStringLiteral("TxtBeiTiHuan"));
  m_replacement = findChild<QWidget*>(QStringLiteral("TxtTiHuan"));
  m_check1 = findChild<QAbstractButton*>(QStringLiteral("Check1"));
  m_gbBig5 = findChild<QAbstractButton*>(QStringLiteral("CMDGBBIG5"));
  m_charsetList = findChild<QComboBox*>(FromUtf8(kCharsetList));
  m_moreList = findChild<QComboBox*>(FromUtf8(kMoreList));
  m_status = std::make_unique<StatusLine>(findChild<StatusLabel*>(FromUtf8(kStatusLine)),
                                          [this](const QWidget* box) { return boxName(box); });
  m_status->countBox(m_text1);
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
      // Return in the find box or the replacement box runs the replace too.
      for (QWidget* box : {m_find, m_replacement}) {
        if (auto* line = qobject_cast<QLineEdit*>(box))
          connect(line, &QLineEdit::returnPressed, button, &QAbstractButton::click);
      }
      continue;
    }
    if (entry.name == kMoreButton) {
      connect(button, &QAbstractButton::clicked, this, &Form1::runChosenOperation);
      continue;
    }
    const Operation* operation = operationNamed(entry.operation);
    if (operation == nullptr)
      continue;
    if (auto* dropDown = qobject_cast<DropDownButton*>(button)) {
      const QString label = FromUtf8(entry.caption);
      connect(button, &QAbstractButton::clicked, this,
              [this, dropDown, operation, label] { runWithChoices(dropDown, *operation, label); });
      // The readings belong to the text the click read.
      if (auto* read = qobject_cast<QPlainTextEdit*>(boxOf(operation->reads))) {
        connect(read, &QPlainTextEdit::textChanged, this, [this, dropDown] {
          if (m_readingsButton == dropDown)
            forgetReadings();
        });
      }
      continue;
    }
    if (entry.alternate.empty()) {
      const QString label = FromUtf8(entry.caption);
      connect(button, &QAbstractButton::clicked, this,
              [this, operation, label] { runOperation(*operation, label); });
    } else if (const Operation* second = operationNamed(entry.alternate)) {
      connect(button, &QAbstractButton::clicked, this,
              [this, button, operation, second] { runAlternating(button, operation, second); });
    }
  }
}

void Form1::fillCharsets() {
  if (m_charsetList == nullptr)
    return;
  for (const CharsetInfo& info : Charsets()) {
    m_charsetList->addItem(FromUtf8(info.name));
    m_charsetList->setItemData(m_charsetList->count() - 1, ToQString(info.shown), Qt::ToolTipRole);
  }
  // A first run, or a name this version no longer knows, starts with GBK.
  const QString remembered = m_settings->value(QLatin1String(kCharsetKey)).toString();
  const std::optional<Charset> chosen = CharsetNamed(remembered.toStdString());
  const int index = m_charsetList->findText(FromUtf8(InfoOf(chosen.value_or(Charset::Gbk)).name));
  m_charsetList->setCurrentIndex(std::max(index, 0));
  chooseCharset(m_charsetList->currentIndex());
  connect(m_charsetList, &QComboBox::currentIndexChanged, this, [this](int chosenIndex) {
    chooseCharset(chosenIndex);
    m_settings->setValue(QLatin1String(kCharsetKey), m_charsetList->currentText());
  });
}

void Form1::chooseCharset(int index) {
  const std::optional<Charset> chosen = CharsetNamed(m_charsetList->itemText(index).toStdString());
  m_charset = chosen.value_or(Charset::Gbk);
  // The boxes keep every character: the charset changes only the bytes of the next conversion.
  // Readings found under another charset would not be what the button gives now.
  forgetReadings();
  refreshToolTips();
  m_status->setCharset(m_charset);
}

bool Form1::hasButton(std::string_view cliName) const {
  return std::any_of(Controls().begin(), Controls().end(), [cliName](const ControlSpec& entry) {
    return entry.operation == cliName || entry.alternate == cliName;
  });
}

void Form1::fillMoreOperations() {
  if (m_moreList == nullptr)
    return;
  for (const Operation& operation : m_operations) {
    // A button's operation runs from its button, and a report for the command line is no text
    // for a box.
    if (hasButton(operation.cliName) || operation.commandLineOnly)
      continue;
    // The name first, so that typing its first letters selects it.
    m_moreList->addItem(FromUtf8(operation.cliName) + QStringLiteral("  ") +
                            FromUtf8(operation.caption),
                        FromUtf8(operation.cliName));
  }
  connect(m_moreList, &QComboBox::currentIndexChanged, this, &Form1::refreshMoreToolTip);
}

void Form1::refreshToolTips() {
  const QString shown = ToQString(InfoOf(m_charset).shown);
  for (const auto& [control, entry] : m_controls) {
    if (entry->toolTip.empty() || entry->name == kMoreList)
      continue;
    QString tip = Translated(entry->toolTip);
    if (tip.contains(QLatin1String("%1")))
      tip = tip.arg(shown);
    if (const Operation* operation = operationNamed(entry->operation)) {
      tip += QLatin1Char('\n');
      tip += operation->followsCharset ? tr("随“字节编码”而变，现在按 %1").arg(shown)
                                       : tr("不随“字节编码”而变");
    }
    if (control == m_gbBig5) {
      const bool gbFirst = m_gbBig5->property("Tag").toString() != QLatin1String("2");
      tip += QLatin1Char('\n');
      tip += gbFirst ? tr("下一次：GB→BIG5") : tr("下一次：BIG5→GB");
    }
    control->setToolTip(tip);
  }
  refreshMoreToolTip();
}

void Form1::refreshMoreToolTip() {
  if (m_moreList == nullptr)
    return;
  const ControlSpec* entry = nullptr;
  for (const auto& [control, row] : m_controls) {
    if (control == m_moreList)
      entry = row;
  }
  QString tip = entry != nullptr ? Translated(entry->toolTip) : QString();
  const Operation* operation = operationNamed(m_moreList->currentData().toString().toStdString());
  if (operation != nullptr) {
    // The registry's own words, which stay as they are in every language.
    tip += QLatin1Char('\n') + FromUtf8(operation->cliName) + QStringLiteral(": ") +
           FromUtf8(operation->description);
    tip += QLatin1Char('\n');
    tip += operation->followsCharset
               ? tr("随“字节编码”而变，现在按 %1").arg(ToQString(InfoOf(m_charset).shown))
               : tr("不随“字节编码”而变");
  }
  m_moreList->setToolTip(tip);
}

const Operation* Form1::operationNamed(std::string_view cliName) const {
  if (cliName.empty())
    return nullptr;
  for (const Operation& operation : m_operations) {
    if (operation.cliName == cliName)
      return &operation;
  }
  return nullptr;
}

QWidget* Form1::boxOf(Box box) const { return box == Box::Text1 ? m_text1 : m_text2; }

void Form1::runOperation(const Operation& operation, const QString& label, AfterRun after) {
  // One operation at a time: the buttons are disabled while one runs, and nothing else starts one.
  if (isWorking())
    return;
  QElapsedTimer clock;
  clock.start();
  OperationOptions options = m_baseOptions;
  options.upper = operation.readsUpper && m_check1 != nullptr && m_check1->isChecked();
  options.charset = m_charset;
  const auto* reads = qobject_cast<const QPlainTextEdit*>(boxOf(operation.reads));
  const bool large = reads != nullptr && reads->document()->characterCount() >
                                             static_cast<int>(kBackgroundUnits);
  if (!large && !RunsInBackground(operation)) {
    Outcome outcome;
    {
      const WaitCursor wait;
      outcome = RunOnBoxText(operation, ReadBox(boxOf(operation.reads)), options);
    }
    showOutcome(operation, label, outcome, options.charset, clock.elapsed());
    if (after)
      after(outcome);
    return;
  }
  // The window's thread takes one copy of the box's text; the worker makes the text of it, runs
  // the operation and lays the result out, so that the box only has to take it in.
  auto content = std::make_shared<BoxContent>(reads != nullptr ? BoxContent(*reads)
                                                               : BoxContent());
  if (reads == nullptr)
    content->raw = ToQString(ReadBox(boxOf(operation.reads)));
  const bool prepare = qobject_cast<MultiLineBox*>(boxOf(operation.writes)) != nullptr;
  beginWork(label);
  m_work->start([this, &operation, label, content, options, clock, prepare,
                 after = std::move(after)]() mutable -> Work::Finish {
    std::u16string input = content->takeText();
    content.reset();
    auto outcome = std::make_shared<Outcome>(RunOnBoxText(operation, std::move(input), options));
    std::shared_ptr<const PreparedText> prepared;
    if (prepare && outcome->text) {
      // Only a drop-down's readings need the result's text once it is laid out.
      prepared = std::make_shared<const PreparedText>(
          after ? PrepareForBox(std::u16string_view(*outcome->text))
                : PrepareForBox(std::move(*outcome->text)));
      if (!after)
        outcome->text.emplace();
    }
    return [this, &operation, label, outcome, prepared, charset = options.charset, clock, after] {
      auto* box = qobject_cast<MultiLineBox*>(boxOf(operation.writes));
      if (prepared == nullptr || box == nullptr || !WrittenInSlices(*prepared)) {
        showOutcome(operation, label, *outcome, charset, clock.elapsed(), prepared.get());
        if (after)
          after(*outcome);
        return;
      }
      // The result goes in a slice at a time; what follows it waits until it is all in.
      writeInSlices({{box, prepared, true}}, [this, &operation, label, outcome, charset, clock,
                                              after] {
        showOutcome(operation, label, *outcome, charset, clock.elapsed(), nullptr, true);
        if (after)
          after(*outcome);
      });
    };
  });
}

void Form1::showOutcome(const Operation& operation, const QString& label, Outcome& outcome,
                        Charset charset, qint64 elapsedMs, const PreparedText* prepared,
                        bool written) {
  // The message comes while the conversion runs, before its result reaches the box; a note for
  // the status line goes beside what the box rule says.
  QStringList notes;
  if (outcome.message && outcome.message->style == MessageStyle::StatusNote)
    notes << MessageWords(*outcome.message);
  else if (outcome.message)
    ShowMessage(*outcome.message);
  if (outcome.inputCut)
    notes << CutNote(*outcome.inputCut, CutOf::Input);
  if (!outcome.text) {
    report(tr("%1：未转换，%2保持原样").arg(label, boxName(boxOf(operation.writes))),
           notes.join(NoteSeparator()));
    return;
  }
  if (!written) {
    const WaitCursor wait;
    auto* multi = qobject_cast<MultiLineBox*>(boxOf(operation.writes));
    if (prepared != nullptr && multi != nullptr) {
      multi->setPreparedText(*prepared);
    } else {
      WriteBox(boxOf(operation.writes), *outcome.text);
    }
  }
  if (outcome.resultCut)
    notes << CutNote(*outcome.resultCut, CutOf::Result);
  if (outcome.questionMarks != 0)
    notes << tr("%n 个字符无法用 %1 表示，已写成 ?", nullptr, Count(outcome.questionMarks))
                 .arg(ToQString(InfoOf(charset).shown));
  report(tr("%1：结果已写入%2").arg(label, boxName(boxOf(operation.writes))),
         notes.join(NoteSeparator()), elapsedMs);
}

// ---- work off the window's thread ---------------------------------------------------------------

void Form1::wireWork() {
  m_work = std::make_unique<Work>();
  m_cancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  m_cancelKey->setContext(Qt::WindowShortcut);
  m_cancelKey->setEnabled(false);
  connect(m_cancelKey, &QShortcut::activated, this, &Form1::cancelWork);
  if (StatusLabel* label = m_status->label())
    connect(label->cancelButton(), &QAbstractButton::clicked, this, &Form1::cancelWork);
  connect(m_work.get(), &Work::stillRunning, this, [this](qint64 elapsedMs) {
    m_status->setWorking(m_working, elapsedMs);
  });
  connect(m_work.get(), &Work::ended, this, [this](bool cancelled) {
    // A run whose result goes in a slice at a time ends with its last slice.
    if (!cancelled && m_writes)
      return;
    endWork(cancelled);
  });
  for (QWidget* box : {m_text1, m_text2}) {
    if (auto* multi = qobject_cast<MultiLineBox*>(box))
      multi->setLargePasteHandler([this, multi](QString pasted) { pasteLarge(multi, std::move(pasted)); });
  }
}

bool Form1::isWorking() const { return m_work->busy() || m_writes != nullptr; }

void Form1::cancelWork() {
  if (!m_writes) {
    m_work->cancel();
    return;
  }
  // Every box the run wrote, or began to write, is taken back to what it was.
  for (const SlicedWrite& write : m_writes->pending) {
    if (write.box->writing())
      write.box->abandonWrite();
  }
  for (MultiLineBox* box : m_writes->written)
    box->takeBackLastStep();
  m_writes.reset();
  endWork(true);
}

void Form1::writeInSlices(std::vector<SlicedWrite> writes, std::function<void()> done) {
  m_writes = std::make_unique<SlicedWrites>();
  m_writes->pending = std::move(writes);
  m_writes->done = std::move(done);
  m_writes->units = 0;
  for (const SlicedWrite& write : m_writes->pending)
    m_writes->units += write.text->laid.size();
  writeNextSlice();
}

void Form1::writeWhole(MultiLineBox* box, std::shared_ptr<const PreparedText> text,
                       std::function<void()> done) {
  if (box != nullptr && WrittenInSlices(*text)) {
    writeInSlices({{box, std::move(text), true}}, std::move(done));
    return;
  }
  if (box != nullptr)
    box->setPreparedText(*text);
  done();
}

void Form1::writeNextSlice() {
  if (!m_writes)
    return;
  SlicedWrite& write = m_writes->pending.front();
  if (!write.box->writing())
    write.box->startWrite(write.text, write.whole);
  if (write.box->writeSlice()) {
    m_writes->doneUnits += write.text->laid.size();
    m_writes->written.push_back(write.box);
    m_writes->pending.erase(m_writes->pending.begin());
  }
  if (m_writes->pending.empty()) {
    const std::function<void()> done = std::move(m_writes->done);
    m_writes.reset();
    done();
    endWork(false);
    return;
  }
  const SlicedWrite& next = m_writes->pending.front();
  const qsizetype inNext =
      next.box->writing() ? next.text->laid.size() * next.box->writtenPercent() / 100 : 0;
  if (m_workClock.elapsed() >= Work::kShowAfterMs) {
    m_status->setWorking(m_working, m_workClock.elapsed(),
                         static_cast<int>((m_writes->doneUnits + inNext) * 100 /
                                          std::max<qsizetype>(m_writes->units, 1)));
  }
  // The next slice waits until the window has handled what came meanwhile, painting included.
  QTimer::singleShot(0, this, &Form1::writeNextSlice);
}

void Form1::waitForWorker() { m_work->waitForWorker(); }

void Form1::beginWork(const QString& label) {
  m_working = label;
  m_workClock.start();
  // Every button reads or writes one of the big boxes, and the charset is the run's: none may
  // change until the result is in. The focus waits on the window, where Esc cancels.
  m_focusBeforeWork = QApplication::focusWidget();
  setFocus(Qt::OtherFocusReason);
  lockWhileWorking(true);
}

void Form1::lockWhileWorking(bool locked) {
  for (const auto& [control, entry] : m_controls) {
    if (entry->kind == ControlKind::Button || entry->kind == ControlKind::ComboBox)
      control->setEnabled(!locked);
  }
  for (QWidget* box : {m_text1, m_text2}) {
    if (auto* multi = qobject_cast<QPlainTextEdit*>(box))
      multi->setReadOnly(locked);
  }
  m_files->openAction()->setEnabled(!locked);
  m_files->saveAction()->setEnabled(!locked);
  m_cancelKey->setEnabled(locked);
}

void Form1::endWork(bool cancelled) {
  lockWhileWorking(false);
  if (m_focusBeforeWork != nullptr && QApplication::focusWidget() == this)
    m_focusBeforeWork->setFocus(Qt::OtherFocusReason);
  m_focusBeforeWork = nullptr;
  m_status->setWorking({}, std::nullopt);
  if (cancelled)
    report(tr("%1：已取消，上下框保持原样").arg(m_working), {});
}

void Form1::runWithChoices(DropDownButton* button, const Operation& operation,
                           const QString& label) {
  runOperation(operation, label, [this, button, &operation, label](Outcome& outcome) {
    forgetReadings();
    if (!outcome.text)
      return;
    m_readingsButton = button;
    m_readingsLabel = label;
    m_readingsBox = operation.writes;
    const bool worded = outcome.message && outcome.message->style == MessageStyle::StatusNote;
    m_readings.push_back({std::move(*outcome.text), worded ? MessageWords(*outcome.message) : QString()});
    // Only readings that give the box something new: an empty text, or one the box rule made the
    // same as an earlier reading, would be no choice.
    for (Alternative& alternative : outcome.alternatives) {
      const bool known =
          std::any_of(m_readings.begin(), m_readings.end(),
                      [&](const Reading& reading) { return reading.text == alternative.text; });
      if (!alternative.text.empty() && !known)
        m_readings.push_back(
            {std::move(alternative.text),
             MessageWords({std::move(alternative.words), MessageStyle::StatusNote, {},
                          std::move(alternative.english)})});
    }
    m_shownReading = 0;
    showReadingsInList();
  });
}

void Form1::showReadingsInList() {
  if (m_readingsButton == nullptr)
    return;
  QMenu* list = m_readingsButton->choices();
  // The list may be the sender of the choice that brings us here: its old entries go once the
  // choice has been handled.
  for (QAction* entry : list->actions()) {
    list->removeAction(entry);
    entry->deleteLater();
  }
  for (std::size_t i = 0; i < m_readings.size(); ++i) {
    if (i == m_shownReading)
      continue;
    QAction* entry = list->addAction(ReadingInList(m_readings[i].words, m_readings[i].text));
    connect(entry, &QAction::triggered, this, [this, i] { chooseReading(i); });
  }
}

void Form1::forgetReadings() {
  m_readings.clear();
  m_shownReading = 0;
  showReadingsInList();
  m_readingsButton = nullptr;
}

void Form1::chooseReading(std::size_t index) {
  if (index >= m_readings.size() || index == m_shownReading)
    return;
  {
    const WaitCursor wait;
    WriteBox(boxOf(m_readingsBox), m_readings[index].text);
  }
  m_shownReading = index;
  showReadingsInList();
  report(tr("%1：所选读法已写入%2").arg(m_readingsLabel, boxName(boxOf(m_readingsBox))),
         m_readings[index].words);
}

void Form1::runAlternating(QAbstractButton* button, const Operation* first,
                           const Operation* second) {
  const QString tag = button->property("Tag").toString();
  // The direction flips before the conversion runs, whatever the conversion then does; any other
  // Tag selects neither and the click does nothing.
  if (tag == QLatin1String("1")) {
    button->setProperty("Tag", QStringLiteral("2"));
    refreshToolTips();
    runOperation(*first, tr("GB-BIG5（GB→BIG5）"));
  } else if (tag == QLatin1String("2")) {
    button->setProperty("Tag", QStringLiteral("1"));
    refreshToolTips();
    runOperation(*second, tr("GB-BIG5（BIG5→GB）"));
  }
}

void Form1::runChosenOperation() {
  if (m_moreList == nullptr)
    return;
  const Operation* operation = operationNamed(m_moreList->currentData().toString().toStdString());
  if (operation != nullptr)
    runOperation(*operation, FromUtf8(operation->caption));
}

void Form1::swapBoxes() {
  if (isWorking())
    return;
  QElapsedTimer clock;
  clock.start();
  auto* first = qobject_cast<MultiLineBox*>(m_text1);
  auto* second = qobject_cast<MultiLineBox*>(m_text2);
  const auto units = [](const MultiLineBox* box) {
    return static_cast<std::size_t>(box->document()->characterCount());
  };
  if (first == nullptr || second == nullptr ||
      std::max(units(first), units(second)) <= kBackgroundUnits) {
    const WaitCursor wait;
    // Both texts are read before either box is written, so the two contents exchange exactly.
    const std::u16string one = ReadBox(m_text1);
    const std::u16string two = ReadBox(m_text2);
    WriteBox(m_text2, one);
    WriteBox(m_text1, two);
    report(tr("上下值互换：已交换上框和下框"), {}, clock.elapsed());
    return;
  }
  // Each box is written once, as one step of its own history, a slice at a time. What a box holds
  // is laid out already, so each goes into the other as it stands: nothing runs off the window's
  // thread, and the only copy is the one of each box taken here.
  auto toSecond = std::make_shared<const PreparedText>(PreparedFromBox(*first));
  auto toFirst = std::make_shared<const PreparedText>(PreparedFromBox(*second));
  beginWork(tr("上下值互换"));
  writeInSlices({{second, std::move(toSecond), true}, {first, std::move(toFirst), true}},
                [this, clock] { report(tr("上下值互换：已交换上框和下框"), {}, clock.elapsed()); });
}

void Form1::pasteLarge(MultiLineBox* box, QString pasted) {
  if (isWorking())
    return;
  // The box is read-only until the text is in, but its selection may still move: the text goes
  // where the paste was asked for.
  // (A text cursor belongs to its document's thread: the worker gets only the positions.)
  const int anchor = box->textCursor().anchor();
  const int position = box->textCursor().position();
  beginWork(tr("粘贴"));
  m_work->start([this, box, anchor, position, pasted = std::move(pasted)]() mutable -> Work::Finish {
    auto prepared = std::make_shared<const PreparedText>(PrepareForBox(UnitsOf(pasted)));
    pasted.clear();
    return [this, box, anchor, position, prepared] {
      QTextCursor at(box->document());
      at.setPosition(anchor);
      at.setPosition(position, QTextCursor::KeepAnchor);
      box->setTextCursor(at);
      writeInSlices({{box, prepared, false}}, [] {});
    };
  });
}

void Form1::replaceInText1() {
  if (isWorking())
    return;
  QElapsedTimer clock;
  clock.start();
  const auto done = [this, clock] { report(tr("替换：结果已写回上框"), {}, clock.elapsed()); };
  auto* text1 = qobject_cast<MultiLineBox*>(m_text1);
  if (text1 == nullptr ||
      static_cast<std::size_t>(text1->document()->characterCount()) <= kBackgroundUnits) {
    {
      const WaitCursor wait;
      WriteBox(m_text1, ReplaceAll(ReadBox(m_text1), ReadBox(m_find), ReadBox(m_replacement)));
    }
    done();
    return;
  }
  // As a conversion of Text1 into Text1: one copy of the box taken here, the text made of it,
  // replaced and laid out on the worker, and written back a slice at a time.
  auto content = std::make_shared<BoxContent>(*text1);
  beginWork(tr("替换"));
  m_work->start([this, text1, content, find = ReadBox(m_find), replacement = ReadBox(m_replacement),
                 done]() mutable -> Work::Finish {
    std::u16string replaced;
    {
      const std::u16string text = content->takeText();
      content.reset();
      replaced = ReplaceAll(text, find, replacement);
    }
    auto prepared = std::make_shared<const PreparedText>(PrepareForBox(std::move(replaced)));
    return [this, text1, prepared, done] { writeWhole(text1, prepared, done); };
  });
}

bool Form1::loadFile(const QString& path, std::optional<Charset> as) {
  return m_files->load(path, as);
}

bool Form1::saveFile(const QString& path) { return m_files->save(path); }

bool Form1::ask(const QString& question) {
  if (m_askQuestion)
    return m_askQuestion(question);
  return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

// ---- the status line ----------------------------------------------------------------------------

void Form1::wireStatusLine() {
  m_status->setCharset(m_charset);
  for (const auto& [control, entry] : m_controls) {
    if (entry->kind != ControlKind::TextBox)
      continue;
    QWidget* box = control;
    const auto noteRule = [this](const BoxRuleChanges& changes) {
      m_status->setNotes(BoxRuleNote(changes));
    };
    if (auto* multi = qobject_cast<MultiLineBox*>(box)) {
      connect(multi, &QPlainTextEdit::textChanged, this, [this, box] { m_status->boxChanged(box); });
      connect(multi, &MultiLineBox::changedByRule, this, noteRule);
    } else if (auto* single = qobject_cast<SingleLineBox*>(box)) {
      connect(single, &QLineEdit::textChanged, this, [this, box] { m_status->boxChanged(box); });
      connect(single, &SingleLineBox::changedByRule, this, noteRule);
    }
  }
  m_focusConnection =
      connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        const bool isBox = std::any_of(m_controls.begin(), m_controls.end(), [now](const auto& c) {
          return c.first == now && c.second->kind == ControlKind::TextBox;
        });
        if (isBox)
          m_status->countBox(now);
      });
}

void Form1::report(const QString& done, const QString& notes, qint64 elapsedMs) {
  m_status->report(done, notes, elapsedMs);
}

QString Form1::boxName(const QWidget* box) const {
  if (box == m_text1)
    return tr("上框");
  if (box == m_text2)
    return tr("下框");
  if (box == m_find)
    return tr("查找框");
  if (box == m_replacement)
    return tr("替换框");
  return tr("说明框");
}

// ---- size ---------------------------------------------------------------------------------------

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeControls();
}

void Form1::placeControls() {
  const int extraWidth = width() - TwipsToPixels(kClientWidthTwips);
  const int extraHeight = height() - TwipsToPixels(kClientHeightTwips);
  for (const auto& [control, entry] : m_controls) {
    const PixelRect place = PlaceControl(*entry, extraWidth, extraHeight);
    control->setGeometry(place.left, place.top, place.width, place.height);
  }
}

// ---- messages -----------------------------------------------------------------------------------

void Form1::ShowMessage(const Message& message) {
  if (message.style == MessageStyle::StatusNote) {
    m_status->setNotes(ToQString(message.text));
    return;
  }
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
void Form1::setAskQuestion(QuestionSink sink) { m_askQuestion = std::move(sink); }
void Form1::setChooseFile(FileChooser chooser) { m_chooseFile = std::move(chooser); }

} // namespace kelvaro::app
