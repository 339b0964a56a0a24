#pragma once
// The window's status line: what the last button or file did, the notes on it, and the counts of
// the text box the user works in. The label shows it on one line that is never cut off: a line
// wider than the label is shortened in the middle, where it loses the least (what was done stays
// at the start, the counts at the end), and its tooltip always shows it whole.

#include "registry/operations.h"
#include "text/box_rule.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <optional>

class QAbstractButton;
class QToolButton;

namespace kelvaro::app {

class StatusLabel : public QLabel {
  Q_OBJECT
public:
  explicit StatusLabel(QWidget* parent = nullptr);

  /// The whole line; text() gives it back whole, whatever is shown.
  void setLine(const QString& line);

  /// What the label shows at its present width.
  [[nodiscard]] QString shownText() const;

  /// The button at the line's right end that cancels a run off the window's thread; shown while
  /// the line tells of one.
  [[nodiscard]] QAbstractButton* cancelButton() const;
  void showCancelButton(bool shown);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QToolButton* m_cancel;
};

/// How many characters and bytes a box holds.
struct BoxCount {
  qsizetype characters = 0;
  qsizetype bytes = 0;
  Charset charset = Charset::Gbk;
};

/// Everything the status line says, as one value.
struct StatusState {
  QString done;  ///< what the last button or file did
  QString notes; ///< what the box rule or the operation noted on it
  /// The box the user works in, by its name, and its count once it has been counted.
  QString boxName;
  std::optional<BoxCount> count;
  /// A run off the window's thread that has gone on for a while: what runs, and for how long.
  QString working;
  std::optional<qint64> workingMs;
  std::optional<int> workingPercent; ///< how much is done, where the run can tell
};

/// The line a state reads as.
[[nodiscard]] QString StatusText(const StatusState& state);

/// The separator between a line's parts, and between notes.
[[nodiscard]] QString NoteSeparator();

/// A number of things as Qt's plural forms take it.
[[nodiscard]] int Count(std::size_t count);
/// Whether the window speaks English: its own translation is installed (see Translations).
[[nodiscard]] bool InEnglish();
/// A message's words in the window's language.
[[nodiscard]] QString MessageWords(const Message& message);

enum class CutOf { Input, Result, Inserted };
/// Where the text box rule cut a text at U+0000, and how much it left out.
[[nodiscard]] QString CutNote(const CutAtNul& cut, CutOf what);
/// What the box rule did to typed, pasted or loaded text; empty when it did nothing.
[[nodiscard]] QString BoxRuleNote(const BoxRuleChanges& changes);

/// Keeps the state of the status line and shows it. The count of the box the user works in is
/// kept until that box changes; a box of megabytes is counted once the click or keystroke has
/// shown its result, not inside it.
class StatusLine : public QObject {
  Q_DECLARE_TR_FUNCTIONS(kelvaro::app::Form1)
public:
  using BoxNamer = std::function<QString(const QWidget* box)>;

  StatusLine(StatusLabel* label, BoxNamer boxName, QObject* parent = nullptr);

  /// What was done and its notes, together; an action that took longer than a glance says how
  /// long.
  void report(const QString& done, const QString& notes, qint64 elapsedMs = 0);
  /// A note alone, what was done staying as it is.
  void setNotes(const QString& notes);
  /// Tells that `what` has been running for `elapsedMs` (with the cancel button), and how much of
  /// it is done where it can tell; or with nothing, that no run goes on.
  void setWorking(const QString& what, std::optional<qint64> elapsedMs,
                  std::optional<int> percent = std::nullopt);
  /// The charset the byte counts are in.
  void setCharset(Charset charset);
  /// Counts this box from now on.
  void countBox(QWidget* box);
  [[nodiscard]] const QWidget* countedBox() const { return m_countedBox; }
  /// The box changed: its count goes, and comes back once the user pauses.
  void boxChanged(QWidget* box);
  /// Shows the line; the count of a large box waits for the count timer unless asked for.
  void refresh(bool countLargeBox = false);

  [[nodiscard]] const StatusState& state() const { return m_state; }
  [[nodiscard]] StatusLabel* label() const { return m_label; }

private:
  /// Counts a large box off the window's thread; the line shows the count once it is in.
  void countOffThread(QWidget* box);

  StatusLabel* m_label;
  BoxNamer m_boxName;
  StatusState m_state;
  Charset m_charset = Charset::Gbk;
  QWidget* m_countedBox = nullptr;
  QHash<const QWidget*, BoxCount> m_counts; ///< valid until the box changes
  QHash<const QWidget*, quint64> m_changes; ///< how often each box has changed
  QSet<const QWidget*> m_counting;          ///< boxes being counted off the window's thread
  QTimer m_countTimer;
};

} // namespace kelvaro::app
