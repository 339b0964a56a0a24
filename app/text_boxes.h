#pragma once
// The window's text boxes. They keep every character, whatever the charset: whatever is written,
// typed or pasted into them passes the text box rule (cut at U+0000, "?" for a lone surrogate),
// and reading a multi-line box gives Windows line breaks (CR LF).

#include "app/box_history.h"
#include "text/box_rule.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTextBlock;

namespace kelvaro::app {

/// A QString's UTF-16 code units, without a copy (valid while the QString lives unchanged).
[[nodiscard]] std::u16string_view UnitsOf(const QString& text);
/// A QString of exactly these UTF-16 code units (a lone surrogate stays a lone surrogate, and a
/// leading U+FEFF or U+FFFE is a character like any other).
[[nodiscard]] QString ToQString(std::u16string_view text);

enum class BoxKind { SingleLine, MultiLine };

/// What a box keeps of a text: the text box rule, and "?" for U+2029 and U+2028, the separators
/// the box keeps between its blocks and between lines within one, which are never content.
struct Kept {
  QString text;
  BoxRuleChanges changes; ///< what was cut, and what became "?"
};
/// The box's rule on a QString; gives back the same QString when nothing changes.
[[nodiscard]] Kept KeptByTextBox(const QString& text, BoxKind kind);

/// A text made ready for a multi-line box: the box's rule applied, and the text laid out in
/// blocks (see MultiLineBox). Making it is the costly part of writing a big text and touches no
/// widget, so a worker thread may make it.
struct PreparedText {
  /// Line breaks as U+2028, block breaks as U+2029. A write a slice at a time gives its pages back
  /// to the system once they are in the box: from then on only its size may be read.
  QString laid;
  std::vector<bool> continues; ///< for each block after the first: whether it continues a line
  std::size_t units = 0;       ///< the text's units after the rule
  BoxRuleChanges changes;      ///< what the rule changed
};
[[nodiscard]] PreparedText PrepareForBox(std::u16string_view text);
/// The same, taking the text and letting it go once it is laid out.
[[nodiscard]] PreparedText PrepareForBox(std::u16string&& text);

/// Inserts a prepared text at the cursor, in one insertion, its blocks marked as they were laid.
void InsertPrepared(QTextCursor& cursor, const PreparedText& text);

/// What a multi-line box holds, taken on the window's thread at the cost of one copy of its
/// text; the text itself (line breaks as CR LF) may then be made on any thread.
struct BoxContent {
  BoxContent() = default;
  explicit BoxContent(const QPlainTextEdit& box);
  /// The text, leaving the content empty; the raw text's pages go back to the system as they are
  /// read, so that a box of megabytes is not held twice while its text is made.
  [[nodiscard]] std::u16string takeText();
  /// The text in consecutive parts, without making it whole.
  void forEachSlice(const std::function<void(std::u16string_view)>& take) const;

  QString raw;                 ///< the document's raw text
  std::vector<bool> continues; ///< for each block after the first: whether it continues a line
};

/// What a multi-line box holds, as a text prepared for another box: a box's content is already
/// laid out and has passed the rule, so it goes into another box as it stands, with no text made
/// of it and no second layout. Costs one copy of the box's text.
[[nodiscard]] PreparedText PreparedFromBox(const QPlainTextEdit& box);

/// Multi-line box with a vertical scroll bar and word wrap (Text1, Text2). Only the inserted text
/// is filtered on typing and pasting, so an edit costs the same in a box holding megabytes.
///
/// Qt lays out a whole paragraph at once, and a paragraph of megabytes (one line of Base64 or hex)
/// takes seconds; a text document also pays microseconds for every block it holds, so a text of
/// megabytes in short lines takes seconds as a block per line. A written or pasted text is
/// therefore held in blocks of up to kSoftLineUnits: short lines share a block, broken by U+2028
/// within it, and a longer line goes on in continuation blocks. A continuation is marked (in its
/// block format, so that undo and redo bring the mark back with the block), reads back without a
/// line break, and is copied without one. Only the visible blocks are ever laid out.
class MultiLineBox : public QPlainTextEdit {
  Q_OBJECT
public:
  explicit MultiLineBox(QWidget* parent = nullptr);

  /// The text as shown, each line break as CR LF.
  [[nodiscard]] std::u16string boxText() const;
  /// Replaces the whole content through the box's rule as one step of the undo history, so that
  /// ctrl+Z brings the previous content back; CR LF, a lone CR and a lone LF each become one line
  /// break. The caret goes to the start. Gives what the rule changed.
  BoxRuleChanges setBoxText(std::u16string_view text);
  /// The same with a text prepared beforehand.
  BoxRuleChanges setPreparedText(const PreparedText& text);
  /// Inserts a prepared text over the selection as one step of the undo history, as a paste does.
  void insertPrepared(const PreparedText& text);

  /// Writes a prepared text a slice at a time, the event loop turning between slices: over the
  /// whole content (`whole`) or over the selection, as one step of the undo history. The caller
  /// keeps the box read-only until writeSlice tells that the write has ended.
  void startWrite(std::shared_ptr<const PreparedText> text, bool whole);
  /// Writes the next slice; gives whether the write has ended.
  bool writeSlice();
  [[nodiscard]] bool writing() const { return m_write != nullptr; }
  /// How much of the write is in, in per cent.
  [[nodiscard]] int writtenPercent() const;
  /// Ends a write half way and takes back what it wrote: the box is as it was before it.
  void abandonWrite();
  /// Takes back the last step of the history for good (a write that is cancelled after it ended).
  void takeBackLastStep();
  /// Units written in one slice.
  static constexpr qsizetype kSliceUnits = qsizetype{1} << 20;

  /// Units above which a paste goes to the handler instead of into the box: it prepares the text
  /// off the window's thread and hands it to insertPrepared. Without a handler a paste goes in
  /// at once.
  static constexpr std::size_t kLargePasteUnits = std::size_t{1} << 18;
  void setLargePasteHandler(std::function<void(QString pasted)> handler) {
    m_largePasteHandler = std::move(handler);
  }

  /// Called with the path of a local file dropped on the box, instead of inserting its name.
  void setFileDropHandler(std::function<void(const QString&)> handler);
  /// Actions the box's context menu offers after the standard ones (open, save).
  void setExtraContextActions(QList<QAction*> actions) { m_extraActions = std::move(actions); }

  /// Whether the block continues the line of the block before it (a soft break).
  [[nodiscard]] static bool ContinuesLine(const QTextBlock& block);

  /// Units after which a written line continues in a block of its own.
  static constexpr std::size_t kSoftLineUnits = 16384;

  /// How much text the undo history may keep, in UTF-16 code units (see BoxHistory).
  static constexpr std::size_t kHistoryUnits = BoxHistory::kDefaultLimit;
  static constexpr std::size_t kHistoryUnitsPerLine = BoxHistory::kUnitsPerLine;
  /// Sets the limit (tests use a small one); the default is kHistoryUnits.
  void setHistoryLimit(std::size_t units) { m_history.setLimit(units); }
  /// What came in since the history began, as counted against the limit.
  [[nodiscard]] std::size_t historyUnits() const { return m_history.units(); }

signals:
  /// Typing, pasting or dropping text was cut at a U+0000, or put "?" in place of what is no
  /// character.
  void changedByRule(const kelvaro::BoxRuleChanges& changes);

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  [[nodiscard]] bool canInsertFromMimeData(const QMimeData* source) const override;
  [[nodiscard]] QMimeData* createMimeDataFromSelection() const override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

private:
  [[nodiscard]] QString droppedFile(const QMimeData* source) const;
  void noteChanges(const BoxRuleChanges& changes);

  std::function<void(const QString&)> m_fileDropHandler;
  std::function<void(QString)> m_largePasteHandler;
  struct SlicedWrite {
    std::shared_ptr<const PreparedText> text;
    bool whole = true;
    QTextCursor cursor;
    qsizetype written = 0;  ///< units of text->laid in the box
    std::size_t blocks = 0; ///< blocks started so far
  };
  std::unique_ptr<SlicedWrite> m_write;
  QList<QAction*> m_extraActions;
  BoxHistory m_history{this};
};

/// Single-line box (Text3, TxtBeiTiHuan, TxtTiHuan).
class SingleLineBox : public QLineEdit {
  Q_OBJECT
public:
  explicit SingleLineBox(QWidget* parent = nullptr);

  [[nodiscard]] std::u16string boxText() const;
  /// Replaces the content through the box's rule; gives what the rule changed.
  BoxRuleChanges setBoxText(std::u16string_view text);

  /// How much editing the undo history may hold, in code units inserted and removed (256 Ki).
  /// A line edit keeps a record of some 32 bytes for every unit an edit inserts or removes, so
  /// pasting a megabyte over a megabyte costs 64 MiB; an edit that takes the history past this
  /// limit ends it: that edit and those before it can no longer be undone.
  static constexpr std::size_t kHistoryUnits = std::size_t{1} << 18;
  /// Units inserted and removed since the history began.
  [[nodiscard]] std::size_t historyUnits() const { return m_historyUnits; }

signals:
  void changedByRule(const kelvaro::BoxRuleChanges& changes);

private:
  void filterEdit(const QString& edited);
  void rememberSelection();
  /// Ends the undo history, keeping the text, the caret and the selection.
  void forgetHistory();

  QString m_accepted; ///< the content before the user's edit, to find what the edit inserted
  /// The selection, or the caret, as it stands before the next edit: what a paste or a keystroke
  /// replaces. The line edit tells of an edit before it tells of the selection it leaves.
  qsizetype m_editFrom = 0;
  qsizetype m_editTo = 0;
  std::size_t m_historyUnits = 0;
};

/// The content of a text box (either kind) as the click handlers read it; empty for other widgets.
[[nodiscard]] std::u16string ReadBox(const QWidget* box);
/// Writes a whole text box (either kind) through its rule; gives what the rule changed.
BoxRuleChanges WriteBox(QWidget* box, std::u16string_view text);

} // namespace kelvaro::app
