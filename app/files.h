#pragma once
// The window's files: a text file opened into Text1 (from the menu, ctrl+O or a drop), read again
// in another charset on request, Text2 saved to a file, and the folder the dialogs start in.

#include "registry/file_text.h"
#include "text/box_rule.h"
#include "text/charset.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QSettings;
class QWidget;

namespace kelvaro::app {

class StatusLine;
struct BoxContent;
struct PreparedText;

/// Files larger than this are not loaded into a box.
inline constexpr qint64 kLargestFileBytes = qint64{256} << 20;
/// Files larger than this are read off the window's thread.
inline constexpr qint64 kLargeFileBytes = qint64{1} << 20;

/// Texts of Text2 longer than this, in UTF-16 code units, are saved off the window's thread.
inline constexpr std::size_t kLargeSaveUnits = std::size_t{1} << 18;

/// The settings key of the folder the file dialogs start in.
inline constexpr char kFolderKey[] = "folder";

class Files : public QObject {
  Q_DECLARE_TR_FUNCTIONS(kelvaro::app::Form1)
public:
  /// What the files need of the window around them.
  struct Window {
    QWidget* widget = nullptr; ///< the dialogs' parent
    QWidget* text1 = nullptr;  ///< where files open
    QWidget* text2 = nullptr;  ///< what is saved
    QSettings* settings = nullptr;
    StatusLine* status = nullptr;
    std::function<Charset()> charset;
    /// Whether a run off the window's thread may still write a box: then no file opens and none
    /// is saved.
    std::function<bool()> busy;
    std::function<void(const QString& problem)> reportProblem;
    /// Runs a job off the window's thread as a conversion runs (its controls disabled, Esc
    /// cancelling); what the job gives back runs on the window's thread unless cancelled. Empty:
    /// every file is read on the window's thread.
    std::function<void(const QString& label, std::function<std::function<void()>()> job)>
        runOffThread;
    /// Writes a prepared text over Text1 as the end of that run, then calls `done`.
    std::function<void(std::shared_ptr<const PreparedText> text, std::function<void()> done)>
        writeText1;
    std::function<bool(const QString& question)> ask;
    /// The file the user chose instead of the dialogs (tests answer it); nothing when the
    /// dialogs ask.
    std::function<std::optional<QString>(bool forSaving)> chooseFile;
  };

  explicit Files(Window window, QObject* parent = nullptr);
  ~Files() override;

  /// See Form1::loadFile and Form1::saveFile.
  bool load(const QString& path, std::optional<Charset> as = std::nullopt);
  bool save(const QString& path);

  /// The question asked before saving characters the charset cannot hold.
  [[nodiscard]] static QString lossQuestion(std::size_t lost, Charset charset, const QString& path);

  /// Asks for a file and opens it into Text1, or saves Text2 to it.
  void open();
  void saveResult();

  [[nodiscard]] QAction* openAction() const { return m_openAction; }
  [[nodiscard]] QAction* saveAction() const { return m_saveAction; }

private:
  /// A file read and decoded, or the problem that stopped it, in words for the user.
  struct Loaded {
    std::optional<FileText> text;
    QString problem;
  };
  /// Reads a file as load does; touches no widget, so it may run off the window's thread.
  static Loaded Read(const QString& path, std::optional<Charset> as, Charset chosen);
  /// A long Text2, encoded and written off the window's thread.
  void saveOffThread(const QString& path, BoxContent content, Charset charset);
  /// Tells the status line that Text2 was saved, or the user what stopped it.
  void savedTo(const QString& path, Charset charset, const QString& problem);
  /// Tells the status line what was loaded.
  void loadedInto(const QString& path, const FileText& text, const BoxRuleChanges& changes);
  void fillReopenMenu();
  void reopenAs(Charset charset);
  void rememberFolder(const QString& path);

  Window m_window;
  QAction* m_openAction = nullptr;
  QAction* m_saveAction = nullptr;
  std::unique_ptr<QMenu> m_reopenMenu; ///< no child of the window: it is no control
  QString m_lastFile;                  ///< the file last opened, for "reopen as"
  QString m_lastFolder;                ///< where the file dialogs start
};

} // namespace kelvaro::app
