#include "app/text_boxes.h"

#include "app/memory.h"
#include "text/box_rule.h"

#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextOption>
#include <QUrl>
#include <algorithm>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace kelvaro::app {

std::u16string_view UnitsOf(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

QString ToQString(std::u16string_view text) {
  // Not QString::fromUtf16: it reads a leading U+FEFF as a byte order mark and drops it, and a
  // leading U+FFFE as a reversed one and swaps the bytes of every unit after it.
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

namespace {

constexpr char16_t kBlockSeparator = u'\u2029';
// What breaks a line inside a block.
constexpr char16_t kLineSeparator = u'\u2028';

// The box's rule in place: the text box rule, then "?" for the separators, which would otherwise
// come back as line breaks (a single-line box breaks no lines, and keeps U+2028).
BoxRuleChanges KeepInBox(std::u16string& text, BoxKind kind) {
  BoxRuleChanges changes = ApplyTextBoxRuleInPlace(text);
  const char16_t lineSeparator = kind == BoxKind::MultiLine ? kLineSeparator : kBlockSeparator;
  for (char16_t& unit : text) {
    if (unit == kBlockSeparator || unit == lineSeparator) {
      unit = u'?';
      ++changes.questionMarks;
    }
  }
  return changes;
}

// The block format property that marks a continuation block. A property of the format rather than
// the block's user state, because the undo history restores a removed block with its format only.
constexpr int kContinuationProperty = QTextFormat::UserProperty + 1;

QTextBlockFormat ContinuationFormat() {
  QTextBlockFormat format;
  format.setProperty(kContinuationProperty, true);
  return format;
}

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

// A text that has passed the box's rule, as one string for one insertText: a text document
// keeps a block per paragraph at a cost of microseconds each, so a text of short lines would cost
// seconds as a block per line. Short lines are therefore packed into blocks of up to
// kSoftLineUnits, a line separator between them; a line break that falls between two blocks is
// the block break. A longer line starts a block of its own and goes on in continuation blocks.
// The pages of `text` that have been laid out go back to the system as it goes: the caller frees
// the text afterwards, and a result of megabytes is never held twice.
void LayOut(const std::u16string& owned, PreparedText& laid) {
  // Every line is a view into the owned text, whose pages go back as they are read.
  const std::u16string_view text(owned);
  constexpr std::size_t kFull = MultiLineBox::kSoftLineUnits;
  laid.laid.reserve(static_cast<qsizetype>(text.size() + text.size() / kFull + 1));
  std::size_t blockUnits = 0;
  const auto endBlock = [&](bool continues) {
    laid.laid.append(QChar(kBlockSeparator));
    laid.continues.push_back(continues);
    blockUnits = 0;
  };
  const char16_t* forgotten = text.data();
  const auto append = [&](std::u16string_view units) {
    laid.laid.append(QStringView(units.data(), static_cast<qsizetype>(units.size())));
    blockUnits += units.size();
    const char16_t* read = units.data() + units.size();
    if (static_cast<std::size_t>(read - forgotten) >= kForgetUnits) {
      ForgetPages(forgotten, read);
      forgotten = read;
    }
  };
  bool firstLine = true;
  const auto addLine = [&](std::u16string_view line) {
    if (!firstLine) {
      if (blockUnits + 1 + line.size() <= kFull) {
        laid.laid.append(QChar(kLineSeparator));
        ++blockUnits;
      } else {
        endBlock(false);
      }
    }
    firstLine = false;
    if (line.size() <= kFull) {
      append(line);
      return;
    }
    while (line.size() > kFull) {
      const std::size_t end = SoftBreakBefore(line, kFull);
      append(line.substr(0, end));
      endBlock(true);
      line.remove_prefix(end);
    }
    append(line);
    // The line after a long one starts a block too.
    blockUnits = kFull;
  };
  std::size_t lineStartAt = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n')
      continue;
    addLine(text.substr(lineStartAt, i - lineStartAt));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
    lineStartAt = i + 1;
  }
  addLine(text.substr(lineStartAt));
}

// Gives the blocks a laid-out text started at `start` their marks. insertText gives every block it
// starts the format of the block it started in; each then gets its own, so that none inherits a
// continuation mark.
void MarkBlocks(const QTextDocument* document, int start, const std::vector<bool>& continues,
                std::size_t from, std::size_t count) {
  const QTextBlockFormat lineStart;
  const QTextBlockFormat continuation = ContinuationFormat();
  QTextBlock block = document->findBlock(start).next();
  for (std::size_t i = from; i < from + count && i < continues.size(); ++i) {
    const bool continuesLine = continues[i];
    if (!block.isValid())
      break;
    if (MultiLineBox::ContinuesLine(block) != continuesLine)
      QTextCursor(block).setBlockFormat(continuesLine ? continuation : lineStart);
    block = block.next();
  }
}

} // namespace

void InsertPrepared(QTextCursor& cursor, const PreparedText& laid) {
  const int start = cursor.position();
  cursor.insertText(laid.laid);
  MarkBlocks(cursor.document(), start, laid.continues, 0, laid.continues.size());
}

PreparedText PrepareForBox(std::u16string_view text) { return PrepareForBox(std::u16string(text)); }

PreparedText PrepareForBox(std::u16string&& text) {
  PreparedText prepared;
  prepared.changes = KeepInBox(text, BoxKind::MultiLine);
  prepared.units = text.size();
  LayOut(text, prepared);
  // The text is laid out: a result of megabytes is not held twice any longer than that.
  std::u16string().swap(text);
  return prepared;
}

BoxContent::BoxContent(const QPlainTextEdit& box) : raw(box.document()->toRawText()) {
  for (QTextBlock block = box.document()->begin().next(); block.isValid(); block = block.next())
    continues.push_back(MultiLineBox::ContinuesLine(block));
}

std::u16string BoxContent::takeText() {
  std::u16string text;
  const std::u16string_view units = UnitsOf(raw);
  text.reserve(units.size() + continues.size() +
               static_cast<std::size_t>(std::count(units.begin(), units.end(), kLineSeparator)));
  const char16_t* forgotten = units.data();
  const std::less_equal<const char16_t*> notAfter;
  forEachSlice([&](std::u16string_view part) {
    text += part;
    // The line breaks between the parts are no part of the raw text.
    const char16_t* read = part.data() + part.size();
    const bool inRaw = notAfter(units.data(), read) && notAfter(read, units.data() + units.size());
    if (inRaw && static_cast<std::size_t>(read - forgotten) >= kForgetUnits) {
      ForgetPages(forgotten, read);
      forgotten = read;
    }
  });
  *this = BoxContent();
  return text;
}

void BoxContent::forEachSlice(const std::function<void(std::u16string_view)>& take) const {
  // toPlainText() would turn no-break spaces into spaces; the raw text keeps every unit and marks
  // each block boundary with U+2029 and each line break within a block with U+2028, neither of
  // which the box's rule lets into a box as content.
  const std::u16string_view units = UnitsOf(raw);
  std::size_t from = 0;
  std::size_t block = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit != kLineSeparator && unit != kBlockSeparator)
      continue;
    take(units.substr(from, i - from));
    from = i + 1;
    if (unit == kBlockSeparator && block++ < continues.size() && continues[block - 1])
      continue;
    take(u"\r\n");
  }
  take(units.substr(from));
}

PreparedText PreparedFromBox(const QPlainTextEdit& box) {
  BoxContent content(box);
  PreparedText prepared;
  // The units the text reads back as: a line break inside a block or between blocks reads as CR
  // LF, a soft break between a block and its continuation as nothing.
  const std::u16string_view units = UnitsOf(content.raw);
  const auto lineBreaks = static_cast<std::size_t>(std::count(units.begin(), units.end(), kLineSeparator));
  const auto softBreaks =
      static_cast<std::size_t>(std::count(content.continues.begin(), content.continues.end(), true));
  prepared.units = units.size() + lineBreaks + content.continues.size() - 2 * softBreaks;
  prepared.laid = std::move(content.raw);
  prepared.continues = std::move(content.continues);
  return prepared;
}

Kept KeptByTextBox(const QString& text, BoxKind kind) {
  std::u16string units(UnitsOf(text));
  const BoxRuleChanges changes = KeepInBox(units, kind);
  if (units == UnitsOf(text))
    return {text, {}};
  return {ToQString(units), changes};
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

bool MultiLineBox::ContinuesLine(const QTextBlock& block) {
  return block.blockFormat().boolProperty(kContinuationProperty);
}

std::u16string MultiLineBox::boxText() const { return BoxContent(*this).takeText(); }

BoxRuleChanges MultiLineBox::setBoxText(std::u16string_view text) {
  return setPreparedText(PrepareForBox(text));
}

BoxRuleChanges MultiLineBox::setPreparedText(const PreparedText& text) {
  m_history.makeRoom(BoxHistory::Cost(text.units, text.continues.size() + 1));
  // One edit block: the whole replacement is one step of the undo history, and the document
  // tells its layout about the change once, at the end.
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.removeSelectedText();
  cursor.setBlockFormat(QTextBlockFormat());
  InsertPrepared(cursor, text);
  cursor.endEditBlock();
  cursor.movePosition(QTextCursor::Start);
  setTextCursor(cursor);
  return text.changes;
}

void MultiLineBox::noteChanges(const BoxRuleChanges& changes) {
  if (changes.cut || changes.questionMarks != 0)
    emit changedByRule(changes);
}

void MultiLineBox::setFileDropHandler(std::function<void(const QString&)> handler) {
  m_fileDropHandler = std::move(handler);
  setAcceptDrops(true);
}

QString MultiLineBox::droppedFile(const QMimeData* source) const {
  if (!m_fileDropHandler || source == nullptr || !source->hasUrls())
    return {};
  for (const QUrl& url : source->urls()) {
    if (url.isLocalFile())
      return url.toLocalFile();
  }
  return {};
}

bool MultiLineBox::canInsertFromMimeData(const QMimeData* source) const {
  return !droppedFile(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void MultiLineBox::dropEvent(QDropEvent* event) {
  const QString file = droppedFile(event->mimeData());
  if (file.isEmpty()) {
    QPlainTextEdit::dropEvent(event);
    return;
  }
  event->acceptProposedAction();
  // The drag's source waits for the drop to end; loading (and any message box) comes after it.
  QMetaObject::invokeMethod(
      this, [this, file] { m_fileDropHandler(file); }, Qt::QueuedConnection);
}

void MultiLineBox::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
  if (!m_extraActions.isEmpty()) {
    menu->addSeparator();
    menu->addActions(m_extraActions);
  }
  menu->exec(event->globalPos());
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
    if (block.position() > start && !ContinuesLine(block))
      copied.append(u'\n');
    if (to > from)
      copied.append(block.text().mid(from, to - from).replace(QChar(kLineSeparator), u'\n'));
  }
  auto* data = new QMimeData;
  data->setText(copied);
  return data;
}

void MultiLineBox::keyPressEvent(QKeyEvent* event) {
  const QKeyCombination combination = event->keyCombination();
  // Redo answers both of its usual keys whatever the platform's key bindings say.
  if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
      combination == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)) {
    // A read-only box may be in the middle of a write, whose edit block is still open.
    if (!isReadOnly())
      redo();
    event->accept();
    return;
  }
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  // A line break typed in a continuation block starts a real line: the new block must not
  // inherit the mark, as the editor's own Return would let it.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      modifiers == Qt::NoModifier) {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertBlock(QTextBlockFormat());
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    event->accept();
    return;
  }
  // Backspace or Delete next to a soft break removes the neighbouring character, as it would if
  // the line were one block; the soft break itself is not content.
  if ((event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) &&
      event->modifiers() == Qt::NoModifier && !textCursor().hasSelection()) {
    QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    const bool backOverSoftBreak =
        event->key() == Qt::Key_Backspace && cursor.atBlockStart() && ContinuesLine(block);
    const bool forwardOverSoftBreak = event->key() == Qt::Key_Delete && cursor.atBlockEnd() &&
                                      block.next().isValid() && ContinuesLine(block.next());
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
  // Typed text counts against the history's limit, but never makes it forget: the key may be
  // the one that undoes.
  m_history.countTyped(static_cast<std::size_t>(typed.size()));
  if (!typed.isEmpty()) {
    const Kept kept = KeptByTextBox(typed, BoxKind::MultiLine);
    if (kept.text != typed) {
      QKeyEvent filtered(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                         event->nativeVirtualKey(), event->nativeModifiers(), kept.text,
                         event->isAutoRepeat(), static_cast<quint16>(event->count()));
      QPlainTextEdit::keyPressEvent(&filtered);
      event->setAccepted(filtered.isAccepted());
      noteChanges(kept.changes);
      return;
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void MultiLineBox::inputMethodEvent(QInputMethodEvent* event) {
  const QString committed = event->commitString();
  m_history.countTyped(static_cast<std::size_t>(committed.size()));
  if (!committed.isEmpty()) {
    const Kept kept = KeptByTextBox(committed, BoxKind::MultiLine);
    if (kept.text != committed) {
      QInputMethodEvent filtered(event->preeditString(), event->attributes());
      filtered.setCommitString(kept.text, event->replacementStart(), event->replacementLength());
      QPlainTextEdit::inputMethodEvent(&filtered);
      event->setAccepted(filtered.isAccepted());
      noteChanges(kept.changes);
      return;
    }
  }
  QPlainTextEdit::inputMethodEvent(event);
}

void MultiLineBox::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText())
    return;
  QString pasted = source->text();
  if (m_largePasteHandler && static_cast<std::size_t>(pasted.size()) > kLargePasteUnits) {
    m_largePasteHandler(std::move(pasted));
    return;
  }
  insertPrepared(PrepareForBox(UnitsOf(pasted)));
}

void MultiLineBox::insertPrepared(const PreparedText& text) {
  m_history.makeRoom(BoxHistory::Cost(text.units, text.continues.size() + 1));
  // Pasted text goes in as setBoxText lays out a written text, soft breaks included: pasted whole,
  // a megabyte of Base64 would be one paragraph, which takes Qt minutes to lay out.
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  InsertPrepared(cursor, text);
  cursor.endEditBlock();
  setTextCursor(cursor);
  ensureCursorVisible();
  noteChanges(text.changes);
}

void MultiLineBox::startWrite(std::shared_ptr<const PreparedText> text, bool whole) {
  m_history.makeRoom(BoxHistory::Cost(text->units, text->continues.size() + 1));
  m_write = std::make_unique<SlicedWrite>();
  m_write->text = std::move(text);
  m_write->whole = whole;
  m_write->cursor = whole ? QTextCursor(document()) : textCursor();
  QTextCursor& cursor = m_write->cursor;
  // The edit block stays open from the first slice to the last: the whole write is one step of
  // the undo history, and the document tells its layout of it once.
  cursor.beginEditBlock();
  if (whole) {
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(QTextBlockFormat());
    // The caret waits at the start while the text goes in behind it. Carried along to the end, it
    // would have the last block laid out (a paragraph of up to 16 Ki units, tens of milliseconds
    // of the window's time) only to come back to the start when the write ends.
    QTextCursor caret(document());
    caret.setKeepPositionOnInsert(true);
    setTextCursor(caret);
  } else {
    cursor.removeSelectedText();
  }
}

bool MultiLineBox::writeSlice() {
  if (!m_write)
    return true;
  SlicedWrite& write = *m_write;
  const QString& laid = write.text->laid;
  auto end = std::min(write.written + kSliceUnits, laid.size());
  // A slice never ends inside a surrogate pair.
  if (end < laid.size() && laid[end - 1].isHighSurrogate())
    ++end;
  const QStringView slice = QStringView(laid).sliced(write.written, end - write.written);
  const auto blocks = static_cast<std::size_t>(slice.count(QChar(kBlockSeparator)));
  const int start = write.cursor.position();
  // The document copies what it inserts: the slice needs no copy of its own.
  write.cursor.insertText(QString::fromRawData(slice.data(), slice.size()));
  // What is in the box is not read from the prepared text again.
  ForgetPages(laid.constData(), laid.constData() + end);
  MarkBlocks(document(), start, write.text->continues, write.blocks, blocks);
  write.written = end;
  write.blocks += blocks;
  if (write.written < laid.size())
    return false;
  write.cursor.endEditBlock();
  if (write.whole)
    write.cursor.movePosition(QTextCursor::Start);
  setTextCursor(write.cursor);
  if (!write.whole)
    ensureCursorVisible();
  const bool pasted = !write.whole;
  const BoxRuleChanges changes = write.text->changes;
  m_write.reset();
  if (pasted)
    noteChanges(changes);
  return true;
}

int MultiLineBox::writtenPercent() const {
  if (!m_write || m_write->text->laid.isEmpty())
    return 100;
  return static_cast<int>(m_write->written * 100 / m_write->text->laid.size());
}

void MultiLineBox::abandonWrite() {
  if (!m_write)
    return;
  m_write->cursor.endEditBlock();
  m_write.reset();
  takeBackLastStep();
  // A caret that waited at the start goes along with what is typed again.
  QTextCursor caret = textCursor();
  caret.setKeepPositionOnInsert(false);
  setTextCursor(caret);
}

void MultiLineBox::takeBackLastStep() {
  // Undone, the write would wait on the redo stack for ctrl+Y: it never happened.
  document()->undo();
  document()->clearUndoRedoStacks(QTextDocument::RedoStack);
}

// ---- SingleLineBox ------------------------------------------------------------------------------

SingleLineBox::SingleLineBox(QWidget* parent) : QLineEdit(parent) {
  // A line edit cuts its text at 32767 units unless told otherwise; a find text cut short would
  // replace what the user never asked for.
  setMaxLength(std::numeric_limits<int>::max());
  connect(this, &QLineEdit::textEdited, this, &SingleLineBox::filterEdit);
  connect(this, &QLineEdit::selectionChanged, this, &SingleLineBox::rememberSelection);
  connect(this, &QLineEdit::cursorPositionChanged, this, &SingleLineBox::rememberSelection);
}

void SingleLineBox::rememberSelection() {
  if (hasSelectedText()) {
    m_editFrom = selectionStart();
    m_editTo = selectionEnd();
  } else {
    m_editFrom = m_editTo = cursorPosition();
  }
}

std::u16string SingleLineBox::boxText() const { return std::u16string(UnitsOf(text())); }

BoxRuleChanges SingleLineBox::setBoxText(std::u16string_view text) {
  std::u16string kept(text);
  const BoxRuleChanges changes = KeepInBox(kept, BoxKind::SingleLine);
  m_accepted = ToQString(kept);
  setText(m_accepted); // which ends the history
  m_historyUnits = 0;
  return changes;
}

void SingleLineBox::forgetHistory() {
  const int caret = cursorPosition();
  const int start = selectionStart();
  const int length = static_cast<int>(selectedText().size());
  // Setting the text, even the same text, is the one way a line edit lets go of its history.
  setText(text());
  if (length > 0) {
    setSelection(start, length);
  } else {
    setCursorPosition(caret);
  }
  m_historyUnits = 0;
}

void SingleLineBox::filterEdit(const QString& edited) {
  // What the edit inserted lies between the part it left alone at the start and at the end. A
  // paste or a keystroke replaces the selection as it stood: text pasted over the same text is
  // inserted all the same, and must pass the rule.
  const qsizetype oldSize = m_accepted.size();
  const qsizetype newSize = edited.size();
  const qsizetype from = m_editFrom;
  const qsizetype to = m_editTo;
  qsizetype prefix = 0;
  qsizetype suffix = 0;
  const bool replacedSelection =
      0 <= from && from <= to && to <= oldSize && newSize - (oldSize - (to - from)) >= 0 &&
      QStringView(edited).left(from) == QStringView(m_accepted).left(from) &&
      QStringView(edited).right(oldSize - to) == QStringView(m_accepted).right(oldSize - to);
  if (replacedSelection) {
    prefix = from;
    suffix = oldSize - to;
  } else {
    // Anything else (undo, redo, a drag within the box): the shortest difference.
    while (prefix < oldSize && prefix < newSize && m_accepted[prefix] == edited[prefix])
      ++prefix;
    while (suffix < oldSize - prefix && suffix < newSize - prefix &&
           m_accepted[oldSize - 1 - suffix] == edited[newSize - 1 - suffix]) {
      ++suffix;
    }
  }
  const QString inserted = edited.mid(prefix, newSize - prefix - suffix);
  m_historyUnits += static_cast<std::size_t>(inserted.size() + (oldSize - prefix - suffix));
  const Kept kept = KeptByTextBox(inserted, BoxKind::SingleLine);
  if (kept.text == inserted) {
    m_accepted = edited;
    if (m_historyUnits > kHistoryUnits)
      forgetHistory();
    return;
  }
  m_accepted = edited.left(prefix) + kept.text + edited.right(suffix);
  setText(m_accepted); // which ends the history
  m_historyUnits = 0;
  setCursorPosition(static_cast<int>(prefix + kept.text.size()));
  if (kept.changes.cut || kept.changes.questionMarks != 0)
    emit changedByRule(kept.changes);
}

// ---- either kind --------------------------------------------------------------------------------

std::u16string ReadBox(const QWidget* box) {
  if (const auto* multi = qobject_cast<const MultiLineBox*>(box))
    return multi->boxText();
  if (const auto* single = qobject_cast<const SingleLineBox*>(box))
    return single->boxText();
  return {};
}

BoxRuleChanges WriteBox(QWidget* box, std::u16string_view text) {
  if (auto* multi = qobject_cast<MultiLineBox*>(box))
    return multi->setBoxText(text);
  if (auto* single = qobject_cast<SingleLineBox*>(box))
    return single->setBoxText(text);
  return {};
}

} // namespace kelvaro::app
