#include "app/text_boxes.h"

#include "text/box_rule.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <vector>

namespace kelvaro::app {

std::u16string_view UnitsOf(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString KeptByTextBox(const QString& text) {
  const std::u16string kept = ApplyTextBoxRule(UnitsOf(text));
  if (UnitsOf(text) == kept)
    return text;
  return ToQString(kept);
}

// ---- MultiLineBox -------------------------------------------------------------------------------

MultiLineBox::MultiLineBox(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Long runs without spaces (Base64, hex) still wrap, as a Windows edit box does.
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tab moves on to the next control instead of typing a tab character.
  setTabChangesFocus(true);
}

namespace {

// Where a soft break may end a block: after a space or an ideograph, so that a word is not cut
// in two when the line offers a better place within its last units.
bool IsSoftBreakAfter(char16_t unit) { return unit == u' ' || unit >= 0x2E80; }

std::size_t SoftBreakBefore(std::u16string_view line, std::size_t limit) {
  constexpr std::size_t kLookBack = 256;
  for (std::size_t end = limit; end > limit - kLookBack; --end) {
    if (IsSoftBreakAfter(line[end - 1]))
      return end;
  }
  return limit;
}

} // namespace

std::u16string MultiLineBox::boxText() const {
  // toPlainText() would turn no-break spaces into spaces; the raw text keeps every unit and marks
  // each block boundary with U+2029, which the box rule never lets into a box as content.
  const QString raw = document()->toRawText();
  std::u16string text;
  text.reserve(static_cast<std::size_t>(raw.size()) +
               static_cast<std::size_t>(document()->blockCount()));
  QTextBlock block = document()->begin();
  for (const char16_t unit : UnitsOf(raw)) {
    if (unit != u'\u2029') {
      text.push_back(unit);
      continue;
    }
    block = block.next();
    if (block.userState() != kContinuation)
      text += u"\r\n";
  }
  return text;
}

void MultiLineBox::setBoxText(std::u16string_view text) {
  const std::u16string kept = ApplyTextBoxRule(text);
  // One '\n' per line break, whatever its form, plus the soft breaks of long lines; the blocks that
  // follow a soft break are remembered by their index.
  QString shown;
  shown.reserve(static_cast<qsizetype>(kept.size() + kept.size() / kSoftLineUnits + 1));
  std::vector<int> continuations;
  int blockIndex = 0;
  std::size_t lineStart = 0;
  const auto appendLine = [&](std::u16string_view line) {
    while (line.size() > kSoftLineUnits) {
      const std::size_t end = SoftBreakBefore(line, kSoftLineUnits);
      shown.append(ToQString(line.substr(0, end)));
      shown.append(u'\n');
      continuations.push_back(++blockIndex);
      line.remove_prefix(end);
    }
    shown.append(ToQString(line));
  };
  const std::u16string_view all = kept;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] != u'\r' && all[i] != u'\n')
      continue;
    appendLine(all.substr(lineStart, i - lineStart));
    if (all[i] == u'\r' && i + 1 < all.size() && all[i + 1] == u'\n')
      ++i;
    shown.append(u'\n');
    ++blockIndex;
    lineStart = i + 1;
  }
  appendLine(all.substr(lineStart));
  setPlainText(shown);

  QTextBlock block = document()->begin();
  int index = 0;
  for (const int continuation : continuations) {
    for (; index < continuation && block.isValid(); ++index)
      block = block.next();
    block.setUserState(kContinuation);
  }
}

QMimeData* MultiLineBox::createMimeDataFromSelection() const {
  // Copied and dragged text carries the real line breaks only, not the soft ones.
  const QTextCursor cursor = textCursor();
  const int start = cursor.selectionStart();
  const int end = cursor.selectionEnd();
  QString copied;
  for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() <= end;
       block = block.next()) {
    const int from = std::max(start, block.position()) - block.position();
    const int to = std::min(end, block.position() + block.length() - 1) - block.position();
    if (block.position() > start && block.userState() != kContinuation)
      copied.append(u'\n');
    if (to > from)
      copied.append(block.text().mid(from, to - from));
  }
  auto* data = new QMimeData;
  data->setText(copied);
  return data;
}

void MultiLineBox::keyPressEvent(QKeyEvent* event) {
  // Backspace or Delete next to a soft break removes the neighbouring character, as it would if
  // the line were one block; the soft break itself is not content.
  if ((event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) &&
      event->modifiers() == Qt::NoModifier && !textCursor().hasSelection()) {
    QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    const bool backOverSoftBreak = event->key() == Qt::Key_Backspace && cursor.atBlockStart() &&
                                   block.userState() == kContinuation;
    const bool forwardOverSoftBreak = event->key() == Qt::Key_Delete && cursor.atBlockEnd() &&
                                      block.next().userState() == kContinuation;
    if (backOverSoftBreak || forwardOverSoftBreak) {
      cursor.movePosition(backOverSoftBreak ? QTextCursor::PreviousCharacter
                                            : QTextCursor::NextCharacter);
      if (backOverSoftBreak) {
        cursor.deletePreviousChar();
      } else {
        cursor.deleteChar();
      }
      setTextCursor(cursor);
      event->accept();
      return;
    }
  }
  const QString typed = event->text();
  if (!typed.isEmpty()) {
    const QString kept = KeptByTextBox(typed);
    if (kept != typed) {
      QKeyEvent filtered(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                         event->nativeVirtualKey(), event->nativeModifiers(), kept,
                         event->isAutoRepeat(), static_cast<quint16>(event->count()));
      QPlainTextEdit::keyPressEvent(&filtered);
      event->setAccepted(filtered.isAccepted());
      return;
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void MultiLineBox::inputMethodEvent(QInputMethodEvent* event) {
  const QString committed = event->commitString();
  if (!committed.isEmpty()) {
    const QString kept = KeptByTextBox(committed);
    if (kept != committed) {
      QInputMethodEvent filtered(event->preeditString(), event->attributes());
      filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
      QPlainTextEdit::inputMethodEvent(&filtered);
      event->setAccepted(filtered.isAccepted());
      return;
    }
  }
  QPlainTextEdit::inputMethodEvent(event);
}

void MultiLineBox::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText())
    return;
  const QString kept = KeptByTextBox(source->text());
  if (static_cast<std::size_t>(kept.size()) <= kSoftLineUnits) {
    QMimeData small;
    small.setText(kept);
    QPlainTextEdit::insertFromMimeData(&small);
    return;
  }
  // A long paste goes in as setBoxText lays out a long text, soft breaks included: pasted whole,
  // a megabyte of Base64 would be one paragraph, which takes Qt minutes to lay out.
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  const auto insertLine = [&](std::u16string_view line) {
    while (line.size() > kSoftLineUnits) {
      const std::size_t end = SoftBreakBefore(line, kSoftLineUnits);
      cursor.insertText(ToQString(line.substr(0, end)));
      cursor.insertBlock();
      cursor.block().setUserState(kContinuation);
      line.remove_prefix(end);
    }
    cursor.insertText(ToQString(line));
  };
  const std::u16string_view all = UnitsOf(kept);
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] != u'\r' && all[i] != u'\n')
      continue;
    insertLine(all.substr(lineStart, i - lineStart));
    if (all[i] == u'\r' && i + 1 < all.size() && all[i + 1] == u'\n')
      ++i;
    cursor.insertBlock();
    cursor.block().setUserState(-1); // a real line break starts this block
    lineStart = i + 1;
  }
  insertLine(all.substr(lineStart));
  cursor.endEditBlock();
  setTextCursor(cursor);
}

// ---- SingleLineBox ------------------------------------------------------------------------------

SingleLineBox::SingleLineBox(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, &SingleLineBox::filterEdit);
}

std::u16string SingleLineBox::boxText() const { return std::u16string(UnitsOf(text())); }

void SingleLineBox::setBoxText(std::u16string_view text) {
  m_accepted = ToQString(ApplyTextBoxRule(text));
  setText(m_accepted);
}

void SingleLineBox::filterEdit(const QString& edited) {
  // What the edit inserted lies between the part it left alone at the start and at the end.
  const qsizetype oldSize = m_accepted.size();
  const qsizetype newSize = edited.size();
  qsizetype prefix = 0;
  while (prefix < oldSize && prefix < newSize && m_accepted[prefix] == edited[prefix])
    ++prefix;
  qsizetype suffix = 0;
  while (suffix < oldSize - prefix && suffix < newSize - prefix &&
         m_accepted[oldSize - 1 - suffix] == edited[newSize - 1 - suffix]) {
    ++suffix;
  }
  const QString inserted = edited.mid(prefix, newSize - prefix - suffix);
  const QString kept = KeptByTextBox(inserted);
  if (kept == inserted) {
    m_accepted = edited;
    return;
  }
  m_accepted = edited.left(prefix) + kept + edited.right(suffix);
  setText(m_accepted);
  setCursorPosition(static_cast<int>(prefix + kept.size()));
}

// ---- either kind --------------------------------------------------------------------------------

std::u16string ReadBox(const QWidget* box) {
  if (const auto* multi = qobject_cast<const MultiLineBox*>(box))
    return multi->boxText();
  if (const auto* single = qobject_cast<const SingleLineBox*>(box))
    return single->boxText();
  return {};
}

void WriteBox(QWidget* box, std::u16string_view text) {
  if (auto* multi = qobject_cast<MultiLineBox*>(box)) {
    multi->setBoxText(text);
  } else if (auto* single = qobject_cast<SingleLineBox*>(box)) {
    single->setBoxText(text);
  }
}

} // namespace kelvaro::app
