#pragma once
// The bounded undo history of a multi-line box. A text document keeps every text ever written,
// pasted or typed into it for as long as it has an undo history, so a long session of large texts
// would otherwise grow without end: this counts what came in since the history began and, when a
// write or paste would take it past the limit, first forgets the older steps.

#include <QTextDocument>
#include <cstddef>
#include <string_view>

class QPlainTextEdit;

namespace kelvaro::app {

class BoxHistory {
public:
  /// How much text the history may keep, in UTF-16 code units (64 MiB of text). The write itself
  /// is always one step that ctrl+Z undoes, however large.
  static constexpr std::size_t kDefaultLimit = std::size_t{32} << 20;
  /// What each block costs the history besides its text, in units: the block, and the records
  /// that remove and restore it (some 130 bytes).
  static constexpr std::size_t kUnitsPerLine = 64;

  explicit BoxHistory(QPlainTextEdit* box) : m_box(box) {}

  void setLimit(std::size_t units) { m_limit = units; }
  /// What came in since the history began, as counted against the limit: the content at that
  /// moment and every text written, pasted or typed since, each block at kUnitsPerLine more.
  [[nodiscard]] std::size_t units() const { return m_units; }

  /// What a text costs the history: its units, and the blocks it is laid out in.
  [[nodiscard]] static std::size_t Cost(std::size_t units, std::size_t blocks);
  /// Counts `incoming` units against the limit, forgetting the older steps first when they would
  /// not fit.
  void makeRoom(std::size_t incoming);
  /// Counts typed units, which never make the history forget: the key may be the one that undoes.
  void countTyped(std::size_t units) { m_units += units; }

private:
  /// Drops the undo history and the text the document keeps for it, keeping the content, its
  /// blocks and the caret exactly.
  void forget();

  QPlainTextEdit* m_box;
  std::size_t m_limit = kDefaultLimit;
  std::size_t m_units = 0;
};

} // namespace kelvaro::app
