#include "app/box_history.h"

#include "app/text_boxes.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <utility>
#include <vector>

namespace kelvaro::app {

std::size_t BoxHistory::Cost(std::size_t units, std::size_t blocks) {
  return units + blocks * kUnitsPerLine;
}

void BoxHistory::makeRoom(std::size_t incoming) {
  const QTextDocument* doc = m_box->document();
  const auto content = static_cast<std::size_t>(doc->characterCount()) +
                       static_cast<std::size_t>(doc->blockCount()) * kUnitsPerLine;
  // Forgetting gains nothing when the document keeps no more than its content.
  if (m_units + incoming > m_limit && m_units > content)
    forget();
  m_units += incoming;
}

void BoxHistory::forget() {
  QTextDocument* doc = m_box->document();
  const QTextCursor caret = m_box->textCursor();
  const int anchor = caret.anchor();
  const int position = caret.position();
  // The content as it stands, blocks and soft breaks included, so that every position stays
  // exactly where it was; it goes back in as one insertion.
  const PreparedText content = PreparedFromBox(*m_box);
  // Clearing the stacks alone would keep the removed texts: the document drops the text it
  // keeps for its history only when it is cleared, or compacts it while it has no history.
  doc->setUndoRedoEnabled(false);
  doc->clear();
  QTextCursor cursor(doc);
  InsertPrepared(cursor, content);
  doc->setUndoRedoEnabled(true);
  QTextCursor restored(doc);
  restored.setPosition(anchor);
  restored.setPosition(position, QTextCursor::KeepAnchor);
  m_box->setTextCursor(restored);
  m_units = static_cast<std::size_t>(doc->characterCount()) +
            static_cast<std::size_t>(doc->blockCount()) * kUnitsPerLine;
}

} // namespace kelvaro::app
