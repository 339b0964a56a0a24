#pragma once
// The main window. It is built from the controls table, and its conversion buttons are wired from
// the operation registry; the window itself only reads a box, runs one operation and writes a box.
// Around that it keeps the user's charset, the status line, the files and the window's size.

#include "app/files.h"
#include "app/status_line.h"
#include "registry/operations.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

class QAbstractButton;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSettings;
class QShortcut;

namespace kelvaro::app {

struct ControlSpec;
class DropDownButton;
class MultiLineBox;
struct PreparedText;
class StatusLabel;
class Work;

/// The caption of the window, and the title of a message box that brings none of its own.
inline constexpr char16_t kWindowCaption[] = u"OrvaneKelvaro";

/// The settings key of the charset choice.
inline constexpr char kCharsetKey[] = "charset";

class Form1 : public QWidget {
  Q_OBJECT
public:
  using MessageSink = std::function<void(const Message&)>;
  /// A yes-or-no question; true goes on.
  using QuestionSink = std::function<bool(const QString& question)>;
  /// Asks for a file: to open into Text1 (`forSaving` false) or to save Text2 to; an empty name
  /// when the user cancels.
  using FileChooser = std::function<QString(bool forSaving)>;

  /// `operations` are the rows the buttons dispatch to, found by the operation names of the
  /// controls table, and those without a button make up ComboMore; a button whose operation the
  /// table lacks does nothing (tests pass small tables of their own);
  /// `baseOptions` carries what every run shares, such as the host resolver (its charset is
  /// replaced by the one the user chooses);
  /// `settings` keeps the charset choice between runs; null uses the application's own settings.
  explicit Form1(std::span<const Operation> operations = Operations(),
                 OperationOptions baseOptions = {}, QSettings* settings = nullptr,
                 QWidget* parent = nullptr);
  ~Form1() override;

  /// Modal message box with an OK button and the icon of the message's style; an empty title shows
  /// the window's caption. Replaced through setShowMessage, so tests see messages without a modal
  /// loop. Messages of the status-line style go to the status line instead.
  void ShowMessage(const Message& message);
  void setShowMessage(MessageSink sink);
  /// Replaces the modal question (saving characters the charset cannot hold) and the file dialogs.
  void setAskQuestion(QuestionSink sink);
  void setChooseFile(FileChooser chooser);

  /// Loads a text file into Text1 as one undoable change, read in the charset its bytes show
  /// (ReadFileText: a byte order mark, valid UTF-8, else the charset whose reading looks most like
  /// real text, the chosen one winning ties), or in `as` when the user asks for it; the status
  /// line names the charset and why. A file that is missing, unreadable, larger than
  /// kLargestFileBytes, no text, or not valid in the charset asked for gives a message naming the
  /// file and the problem, and no box changes. Gives whether Text1 was loaded; a file larger than
  /// kLargeFileBytes is read off the window's thread as a conversion runs (see isWorking), and
  /// this gives whether its reading began.
  bool loadFile(const QString& path, std::optional<Charset> as = std::nullopt);
  /// Saves the text of Text2, line breaks as CR LF (the text the conversions read), in the chosen
  /// charset, without a byte order mark. When the charset cannot hold every character the user is
  /// asked first; a file that cannot be written gives a message. Gives whether the file was saved;
  /// a Text2 longer than kLargeSaveUnits is encoded and written off the window's thread as a
  /// conversion runs, the question coming once it is encoded, and this gives whether that began.
  bool saveFile(const QString& path);

  /// Whether a conversion or a host lookup runs off the window's thread (its buttons disabled).
  [[nodiscard]] bool isWorking() const;
  /// Cancels that run, as Esc or the status line's cancel button do: both boxes, their undo
  /// histories and the charset stay as they were, and the run's result is dropped.
  void cancelWork();
  /// Blocks until the worker is idle, a cancelled run included (for tests and benchmarks).
  void waitForWorker();

  /// The charset chosen in ComboCharset.
  [[nodiscard]] Charset charset() const { return m_charset; }

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void buildControls();
  void wireButtons();
  void fillCharsets();
  void fillMoreOperations();
  void wireStatusLine();
  void placeControls();
  /// What follows a run once its result is in the box; given the outcome (its text as the box
  /// received it).
  using AfterRun = std::function<void(Outcome& outcome)>;
  /// Reads the operation's box, runs it (off the window's thread when it may take a while),
  /// writes its box and tells the status line, then calls `after`; nothing when a run is going on.
  void runOperation(const Operation& operation, const QString& label, AfterRun after = {});
  /// `prepared`, when given, is the outcome's text made ready for its box off the window's thread.
  void showOutcome(const Operation& operation, const QString& label, Outcome& outcome,
                   Charset charset, qint64 elapsedMs, const PreparedText* prepared = nullptr,
                   bool written = false);
  /// A prepared text for a box, over its whole content or over its selection.
  struct SlicedWrite {
    MultiLineBox* box;
    std::shared_ptr<const PreparedText> text;
    bool whole;
  };
  /// Ends the run going on by writing these texts a slice at a time, one box after the other,
  /// then calls `done`; the run goes on (its controls disabled, Esc cancelling) until then.
  void writeInSlices(std::vector<SlicedWrite> writes, std::function<void()> done);
  void writeNextSlice();
  /// Writes a prepared text over the whole box as the end of the run going on: a slice at a time
  /// when it is long, else at once; then calls `done`.
  void writeWhole(MultiLineBox* box, std::shared_ptr<const PreparedText> text,
                  std::function<void()> done);
  void wireWork();
  /// Disables what the run may not meet changed, and lets Esc cancel it.
  void beginWork(const QString& label);
  void endWork(bool cancelled);
  /// Disables what reads or writes a box, the charset or a file while a job runs; Esc cancels.
  void lockWhileWorking(bool locked);
  /// A button with a drop-down: the click runs as any other, and the list then offers the
  /// outcome's other results.
  void runWithChoices(DropDownButton* button, const Operation& operation, const QString& label);
  /// Writes the reading the user chose from the drop-down's list.
  void chooseReading(std::size_t index);
  void showReadingsInList();
  void forgetReadings();
  void runAlternating(QAbstractButton* button, const Operation* first, const Operation* second);
  void runChosenOperation();
  [[nodiscard]] const Operation* operationNamed(std::string_view cliName) const;
  [[nodiscard]] bool hasButton(std::string_view cliName) const;
  void swapBoxes();
  /// A paste of a long text: laid out off the window's thread, then inserted where it was asked.
  void pasteLarge(MultiLineBox* box, QString pasted);
  void replaceInText1();
  void chooseCharset(int index);
  void refreshToolTips();
  void refreshMoreToolTip();
  [[nodiscard]] bool ask(const QString& question);
  /// Reports what a button did, with its notes and how long it took.
  void report(const QString& done, const QString& notes, qint64 elapsedMs = 0);
  [[nodiscard]] QString boxName(const QWidget* box) const;
  [[nodiscard]] QWidget* boxOf(Box box) const;

  std::span<const Operation> m_operations;
  OperationOptions m_baseOptions;
  Charset m_charset = Charset::Gbk;
  std::unique_ptr<QSettings> m_ownSettings;
  QSettings* m_settings = nullptr;
  MessageSink m_showMessage;
  QuestionSink m_askQuestion;
  FileChooser m_chooseFile;

  std::vector<std::pair<QWidget*, const ControlSpec*>> m_controls;
  QWidget* m_text1 = nullptr;
  QWidget* m_text2 = nullptr;
  QWidget* m_find = nullptr;
  QWidget* m_replacement = nullptr;
  QAbstractButton* m_check1 = nullptr;
  QAbstractButton* m_gbBig5 = nullptr;
  QComboBox* m_charsetList = nullptr;
  QComboBox* m_moreList = nullptr;
  std::unique_ptr<StatusLine> m_status;
  std::unique_ptr<Files> m_files;
  QMetaObject::Connection m_focusConnection;

  // The results of the last click of a button with a drop-down: the one the box shows and the
  // others its list offers, valid until the box the click read or the charset changes.
  struct Reading {
    std::u16string text;
    QString words; ///< how it came about, for the status line
  };
  DropDownButton* m_readingsButton = nullptr;
  QString m_readingsLabel;
  Box m_readingsBox = Box::Text2;
  std::vector<Reading> m_readings;
  std::size_t m_shownReading = 0;

  QShortcut* m_cancelKey = nullptr;
  QString m_working; ///< the label of the run going on off the window's thread
  QElapsedTimer m_workClock;
  struct SlicedWrites {
    std::vector<SlicedWrite> pending;
    std::vector<MultiLineBox*> written;
    std::function<void()> done;
    qsizetype units = 0;   ///< of all the writes
    qsizetype doneUnits = 0;
  };
  std::unique_ptr<SlicedWrites> m_writes;
  QPointer<QWidget> m_focusBeforeWork;
  /// Last, so that it goes first: a job still running may use what the window holds.
  std::unique_ptr<Work> m_work;
};

/// The window icon, drawn from the program's SVG at the usual icon sizes.
[[nodiscard]] QIcon WindowIcon();

} // namespace kelvaro::app
