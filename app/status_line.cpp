#include "app/status_line.h"

#include "app/text_boxes.h"
#include "text/utf.h"

#include <QFutureWatcher>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <algorithm>
#include <limits>

namespace kelvaro::app {
namespace {

constexpr int kCountDelayMs = 150;
constexpr int kCountAtOnceUnits = 1 << 20;
constexpr qint64 kSlowActionMs = 100;

// Code points: a surrogate pair is one character, as the user sees it.
qsizetype CharactersIn(std::u16string_view text) {
  qsizetype pairs = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (IsLowSurrogate(text[i]) && IsHighSurrogate(text[i - 1])) {
      ++pairs;
      ++i;
    }
  }
  return static_cast<qsizetype>(text.size()) - pairs;
}

// The size of the text's bytes in the charset, encoded a slice at a time so that a large box is
// never held as bytes too; a slice never ends inside a surrogate pair.
qsizetype EncodedSize(std::u16string_view text, Charset charset) {
  constexpr std::size_t kSlice = 1 << 16;
  qsizetype bytes = 0;
  while (!text.empty()) {
    std::size_t size = std::min(kSlice, text.size());
    if (size < text.size() && IsHighSurrogate(text[size - 1]))
      --size;
    bytes += static_cast<qsizetype>(EncodeText(text.substr(0, size), charset).size());
    text.remove_prefix(size);
  }
  return bytes;
}

// Characters and bytes of a box's text in one walk, a slice at a time, so that a large box is
// never held whole as text with CR LF breaks, nor as bytes.
BoxCount CountOf(const BoxContent& content, Charset charset) {
  BoxCount count{0, 0, charset};
  std::u16string slice;
  const auto flush = [&] {
    count.characters += CharactersIn(slice);
    count.bytes += EncodedSize(slice, charset);
    slice.clear();
  };
  content.forEachSlice([&](std::u16string_view part) {
    slice += part;
    // A slice never ends inside a surrogate pair.
    if (slice.size() >= (1u << 16) && !IsHighSurrogate(slice.back()))
      flush();
  });
  flush();
  return count;
}

} // namespace

// ---- StatusLabel --------------------------------------------------------------------------------

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent), m_cancel(new QToolButton(this)) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  m_cancel->setObjectName(QStringLiteral("CancelWork"));
  m_cancel->setText(tr("取消"));
  m_cancel->setToolTip(tr("停止正在进行的转换（Esc）；上下框保持原样"));
  m_cancel->setFocusPolicy(Qt::NoFocus);
  m_cancel->hide();
}

QAbstractButton* StatusLabel::cancelButton() const { return m_cancel; }

void StatusLabel::showCancelButton(bool shown) {
  if (shown == m_cancel->isVisible())
    return;
  m_cancel->setVisible(shown);
  // The line keeps clear of the button while it shows.
  setContentsMargins(0, 0, shown ? m_cancel->width() : 0, 0);
  update();
}

void StatusLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  const int width = std::max(m_cancel->sizeHint().width(), height() * 2);
  m_cancel->setGeometry(this->width() - width, 0, width, height());
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

// ---- the words ----------------------------------------------------------------------------------

QString NoteSeparator() { return QStringLiteral("  ·  "); }

int Count(std::size_t count) {
  return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

bool InEnglish() { return StatusLine::tr("上框") != QStringLiteral("上框"); }

QString MessageWords(const Message& message) {
  return ToQString(InEnglish() && !message.english.empty() ? message.english : message.text);
}

QString StatusText(const StatusState& state) {
  QStringList parts;
  if (state.workingMs && state.workingPercent) {
    parts << StatusLine::tr("%1：正在写入，已完成 %2%，已用 %3 秒（按 Esc 取消）")
                 .arg(state.working)
                 .arg(*state.workingPercent)
                 .arg(static_cast<double>(*state.workingMs) / 1000.0, 0, 'f', 1);
  } else if (state.workingMs) {
    parts << StatusLine::tr("%1：正在进行，已用 %2 秒（按 Esc 取消）")
                 .arg(state.working)
                 .arg(static_cast<double>(*state.workingMs) / 1000.0, 0, 'f', 1);
  } else if (!state.done.isEmpty()) {
    parts << state.done;
  }
  if (!state.notes.isEmpty())
    parts << state.notes;
  if (state.count) {
    parts << StatusLine::tr("%1：%2 个字符，%3 字节（%4）")
                 .arg(state.boxName)
                 .arg(state.count->characters)
                 .arg(state.count->bytes)
                 .arg(ToQString(InfoOf(state.count->charset).shown));
  }
  return parts.join(NoteSeparator());
}

QString CutNote(const CutAtNul& cut, CutOf what) {
  const int notShown = Count(cut.notShown);
  switch (what) {
  case CutOf::Input:
    return StatusLine::tr("输入在第 %1 个字符处有 U+0000，其后的 %n 个字符未转换", nullptr,
                          notShown)
        .arg(cut.position);
  case CutOf::Result:
    return StatusLine::tr("结果在第 %1 个字符处有 U+0000，其后的 %n 个字符未显示", nullptr,
                          notShown)
        .arg(cut.position);
  case CutOf::Inserted:
    break;
  }
  return StatusLine::tr("粘贴的文字在第 %1 个字符处有 U+0000，其后的 %n 个字符未放入", nullptr,
                        notShown)
      .arg(cut.position);
}

QString BoxRuleNote(const BoxRuleChanges& changes) {
  QStringList notes;
  if (changes.cut)
    notes << CutNote(*changes.cut, CutOf::Inserted);
  if (changes.questionMarks != 0)
    notes << StatusLine::tr("%n 个不成字符的码元已显示为 ?", nullptr, Count(changes.questionMarks));
  return notes.join(NoteSeparator());
}

// ---- StatusLine ---------------------------------------------------------------------------------

StatusLine::StatusLine(StatusLabel* label, BoxNamer boxName, QObject* parent)
    : QObject(parent), m_label(label), m_boxName(std::move(boxName)) {
  m_countTimer.setSingleShot(true);
  m_countTimer.setInterval(kCountDelayMs);
  connect(&m_countTimer, &QTimer::timeout, this, [this] { refresh(true); });
}

void StatusLine::report(const QString& done, const QString& notes, qint64 elapsedMs) {
  m_state.done = done;
  if (elapsedMs > kSlowActionMs)
    m_state.done += tr("，用时 %1 秒").arg(static_cast<double>(elapsedMs) / 1000.0, 0, 'f', 2);
  m_state.notes = notes;
  refresh();
}

void StatusLine::setNotes(const QString& notes) {
  m_state.notes = notes;
  refresh();
}

void StatusLine::setWorking(const QString& what, std::optional<qint64> elapsedMs,
                            std::optional<int> percent) {
  m_state.working = what;
  m_state.workingMs = elapsedMs;
  m_state.workingPercent = elapsedMs ? percent : std::nullopt;
  if (m_label != nullptr)
    m_label->showCancelButton(elapsedMs.has_value());
  refresh();
}

void StatusLine::setCharset(Charset charset) {
  m_charset = charset;
  refresh();
}

void StatusLine::countBox(QWidget* box) {
  if (box == m_countedBox)
    return;
  m_countedBox = box;
  refresh();
}

void StatusLine::boxChanged(QWidget* box) {
  m_counts.remove(box);
  ++m_changes[box];
  // Counting a box of megabytes on every keystroke would slow typing down; the count follows
  // once the user pauses.
  if (box == m_countedBox)
    m_countTimer.start();
}

void StatusLine::refresh(bool countLargeBox) {
  if (m_label == nullptr)
    return;
  m_state.count.reset();
  m_state.boxName.clear();
  if (m_countedBox != nullptr) {
    m_state.boxName = m_boxName(m_countedBox);
    auto count = m_counts.find(m_countedBox);
    const bool counted = count != m_counts.end() && count->charset == m_charset;
    const auto* multi = qobject_cast<const QPlainTextEdit*>(m_countedBox);
    const bool large =
        multi != nullptr && multi->document()->characterCount() > kCountAtOnceUnits;
    if (!counted && large && !countLargeBox) {
      // Until the timer counts it, the line leaves the count out.
      m_countTimer.start();
    } else if (!counted && large) {
      countOffThread(m_countedBox);
    } else {
      m_countTimer.stop();
      if (!counted) {
        const std::u16string text = ReadBox(m_countedBox);
        count = m_counts.insert(m_countedBox,
                                {CharactersIn(text), EncodedSize(text, m_charset), m_charset});
      }
      m_state.count = *count;
    }
  }
  m_label->setLine(StatusText(m_state));
}

} // namespace kelvaro::app

namespace kelvaro::app {

void StatusLine::countOffThread(QWidget* box) {
  const auto* multi = qobject_cast<const QPlainTextEdit*>(box);
  if (multi == nullptr || m_counting.contains(box))
    return;
  // The window's thread takes one copy of the text; the walk over it runs on a thread of its own,
  // and its count is dropped when the box has changed meanwhile.
  const quint64 change = m_changes.value(box);
  const Charset charset = m_charset;
  auto* watcher = new QFutureWatcher<BoxCount>(this);
  m_counting.insert(box);
  connect(watcher, &QFutureWatcher<BoxCount>::finished, this, [this, watcher, box, change] {
    watcher->deleteLater();
    m_counting.remove(box);
    if (m_changes.value(box) != change)
      return;
    m_counts.insert(box, watcher->result());
    refresh();
  });
  watcher->setFuture(QtConcurrent::run(
      [content = BoxContent(*multi), charset] { return CountOf(content, charset); }));
}

} // namespace kelvaro::app
