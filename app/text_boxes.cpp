#include "app/text_boxes.h"

#include "text/box_rule.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextOption>

namespace kelvaro::app {

std::u16string_view UnitsOf(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString KeptByTextBox(const QString& text) {
  const std::u16string kept = ApplyTextBoxRule(UnitsOf(text));
  if (UnitsOf(text) == kept) return text;
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

std::u16string MultiLineBox::boxText() const {
  // toPlainText() would turn no-break spaces into spaces; the raw text keeps every unit and marks
  // each block boundary with U+2029, which the box rule never lets into a box as content.
  const QString raw = document()->toRawText();
  std::u16string text;
  text.reserve(static_cast<std::size_t>(raw.size()) +
               static_cast<std::size_t>(document()->blockCount()));
  for (const char16_t unit : UnitsOf(raw)) {
    if (unit == u'\u2029') {
      text += u"\r\n";
    } else {
      text.push_back(unit);
    }
  }
  return text;
}

void MultiLineBox::setBoxText(std::u16string_view text) {
  // QTextCursor::insertText makes one block break of CR LF, of a lone CR and of a lone LF.
  setPlainText(ToQString(ApplyTextBoxRule(text)));
}

void MultiLineBox::keyPressEvent(QKeyEvent* event) {
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
  if (source == nullptr || !source->hasText()) return;
  QMimeData kept;
  kept.setText(KeptByTextBox(source->text()));
  QPlainTextEdit::insertFromMimeData(&kept);
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
  while (prefix < oldSize && prefix < newSize && m_accepted[prefix] == edited[prefix]) ++prefix;
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
  if (const auto* multi = qobject_cast<const MultiLineBox*>(box)) return multi->boxText();
  if (const auto* single = qobject_cast<const SingleLineBox*>(box)) return single->boxText();
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
