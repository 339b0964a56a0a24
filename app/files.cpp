#include "app/files.h"

#include "app/status_line.h"
#include "app/text_boxes.h"
#include "registry/file_text.h"
#include "text/box_rule.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QSaveFile>
#include <QSettings>
#include <QTimer>
#include <memory>

namespace kelvaro::app {

Files::Files(Window window, QObject* parent) : QObject(parent), m_window(std::move(window)) {
  m_openAction = new QAction(tr("打开文件到上框…"), this);
  m_openAction->setShortcut(QKeySequence::Open);
  m_openAction->setShortcutContext(Qt::WindowShortcut);
  connect(m_openAction, &QAction::triggered, this, &Files::open);
  m_saveAction = new QAction(tr("把下框保存为文件…"), this);
  m_saveAction->setShortcut(QKeySequence::Save);
  m_saveAction->setShortcutContext(Qt::WindowShortcut);
  connect(m_saveAction, &QAction::triggered, this, &Files::saveResult);
  m_window.widget->addAction(m_openAction);
  m_window.widget->addAction(m_saveAction);
  fillReopenMenu();
  for (QWidget* box : {m_window.text1, m_window.text2}) {
    if (auto* multi = qobject_cast<MultiLineBox*>(box)) {
      QList<QAction*> actions = {m_openAction};
      if (box == m_window.text1)
        actions << m_reopenMenu->menuAction();
      actions << m_saveAction;
      multi->setExtraContextActions(actions);
    }
  }
  m_lastFolder = m_window.settings->value(QLatin1String(kFolderKey)).toString();
  if (auto* text1 = qobject_cast<MultiLineBox*>(m_window.text1))
    text1->setFileDropHandler([this](const QString& path) { load(path); });
}

Files::~Files() = default;

void Files::open() {
  std::optional<QString> path = m_window.chooseFile(false);
  if (!path)
    path = QFileDialog::getOpenFileName(m_window.widget, tr("打开文件到上框"), m_lastFolder,
                                        tr("文本文件 (*.txt);;所有文件 (*)"));
  if (!path->isEmpty())
    load(*path);
}

void Files::saveResult() {
  std::optional<QString> path = m_window.chooseFile(true);
  if (!path)
    path = QFileDialog::getSaveFileName(m_window.widget, tr("把下框保存为文件"), m_lastFolder,
                                        tr("文本文件 (*.txt);;所有文件 (*)"));
  if (!path->isEmpty())
    save(*path);
}

void Files::rememberFolder(const QString& path) {
  m_lastFolder = QFileInfo(path).absolutePath();
  m_window.settings->setValue(QLatin1String(kFolderKey), m_lastFolder);
}

bool Files::load(const QString& path, std::optional<Charset> as) {
  if (m_window.busy())
    return false;
  const QString shownPath = QDir::toNativeSeparators(path);
  const QFileInfo info(path);
  rememberFolder(path);
  if (!info.exists() || !info.isFile()) {
    m_window.reportProblem(tr("无法打开 %1：没有这个文件。").arg(shownPath));
    return false;
  }
  if (info.size() > kLargestFileBytes) {
    m_window.reportProblem(tr("无法打开 %1：文件有 %2 MiB，超过了 256 MiB 的上限。")
                               .arg(shownPath)
                               .arg(static_cast<double>(info.size()) / (1 << 20), 0, 'f', 1));
    return false;
  }
  if (info.size() <= kLargeFileBytes || !m_window.runOffThread) {
    const Loaded loaded = Read(path, as, m_window.charset());
    if (!loaded.problem.isEmpty()) {
      m_window.reportProblem(loaded.problem);
      return false;
    }
    const BoxRuleChanges changes = WriteBox(m_window.text1, loaded.text->text);
    loadedInto(path, *loaded.text, changes);
    return true;
  }
  // A large file is read, decoded and laid out off the window's thread, and goes into Text1 a
  // slice at a time; a problem with it is told once the reading ends.
  const Charset chosen = m_window.charset();
  m_window.runOffThread(tr("打开文件"), [this, path, as, chosen]() -> std::function<void()> {
    auto loaded = std::make_shared<Loaded>(Read(path, as, chosen));
    std::shared_ptr<const PreparedText> prepared;
    if (loaded->text) {
      prepared = std::make_shared<const PreparedText>(PrepareForBox(std::move(loaded->text->text)));
    }
    return [this, path, loaded, prepared] {
      if (!loaded->problem.isEmpty()) {
        m_window.reportProblem(loaded->problem);
        return;
      }
      m_window.writeText1(prepared, [this, path, loaded, prepared] {
        loadedInto(path, *loaded->text, prepared->changes);
      });
    };
  });
  return true;
}

Files::Loaded Files::Read(const QString& path, std::optional<Charset> as, Charset chosen) {
  const QString shownPath = QDir::toNativeSeparators(path);
  Loaded loaded;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    loaded.problem = tr("无法读取 %1：%2").arg(shownPath, file.errorString());
    return loaded;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    loaded.problem = tr("无法读取 %1：%2").arg(shownPath, file.errorString());
    return loaded;
  }
  const std::string_view content(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  Result<FileText> text = as ? ReadFileTextAs(content, *as) : ReadFileText(content, chosen);
  if (!text) {
    if (text.error().code == ErrorCode::NotText) {
      loaded.problem = tr("无法打开 %1：这不是文本文件（任何字符集都读不出文字）。").arg(shownPath);
    } else {
      loaded.problem = tr("无法打开 %1：第 %2 个字节起的内容不是有效的 %3 文字。")
                           .arg(shownPath)
                           .arg(text.error().position + 1)
                           .arg(ToQString(InfoOf(*as).shown));
    }
    return loaded;
  }
  loaded.text = std::move(*text);
  return loaded;
}

void Files::loadedInto(const QString& path, const FileText& text, const BoxRuleChanges& changes) {
  m_lastFile = path;
  QString why;
  switch (text.reason) {
  case FileCharsetReason::ByteOrderMark:
    why = tr("按字节顺序标记");
    break;
  case FileCharsetReason::Utf8:
    why = tr("内容是有效的 UTF-8");
    break;
  case FileCharsetReason::Chosen:
    why = tr("内容只有 ASCII，按所选字节编码");
    break;
  case FileCharsetReason::Ranked:
    why = tr("按内容判断");
    break;
  case FileCharsetReason::AsAsked:
    why = tr("按所选");
    break;
  }
  m_window.status->report(tr("已打开 %1（%2，%3；可在上框的右键菜单中换一种编码重新打开）")
                              .arg(QFileInfo(path).fileName(),
                                   ToQString(InfoOf(text.charset).shown), why),
                          BoxRuleNote(changes));
  m_reopenMenu->setEnabled(true);
}

void Files::fillReopenMenu() {
  m_reopenMenu = std::make_unique<QMenu>(tr("以其他编码重新打开"));
  for (const CharsetInfo& info : Charsets()) {
    const Charset charset = info.charset;
    connect(m_reopenMenu->addAction(ToQString(info.shown)), &QAction::triggered, this,
            [this, charset] { reopenAs(charset); });
  }
  m_reopenMenu->setEnabled(false);
}

void Files::reopenAs(Charset charset) {
  if (!m_lastFile.isEmpty())
    load(m_lastFile, charset);
}

namespace {

// The problem in words when the bytes cannot be written; nothing when they were. Touches no
// widget, so it may run off the window's thread.
QString WriteBytes(const QString& path, const std::string& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size()) ||
      !file.commit()) {
    return Files::tr("无法保存 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString());
  }
  return {};
}

} // namespace

QString Files::lossQuestion(std::size_t lost, Charset charset, const QString& path) {
  return tr("%n 个字符无法用 %1 表示，保存到 %2 后会成为 ?。仍然保存吗？", nullptr, Count(lost))
      .arg(ToQString(InfoOf(charset).shown), QDir::toNativeSeparators(path));
}

void Files::savedTo(const QString& path, Charset charset, const QString& problem) {
  if (!problem.isEmpty()) {
    m_window.reportProblem(problem);
    return;
  }
  m_window.status->report(tr("下框已保存为 %1（%2）")
                              .arg(QFileInfo(path).fileName(), ToQString(InfoOf(charset).shown)),
                          m_window.status->state().notes);
}

bool Files::save(const QString& path) {
  // Text2 may be half written, or about to be.
  if (m_window.busy())
    return false;
  const Charset charset = m_window.charset();
  rememberFolder(path);
  const auto* text2 = qobject_cast<const QPlainTextEdit*>(m_window.text2);
  if (text2 != nullptr && m_window.runOffThread &&
      static_cast<std::size_t>(text2->document()->characterCount()) > kLargeSaveUnits) {
    saveOffThread(path, BoxContent(*text2), charset);
    return true;
  }
  const std::u16string text = ReadBox(m_window.text2);
  if (const std::size_t lost = CountUnencodable(text, charset); lost != 0) {
    if (!m_window.ask(lossQuestion(lost, charset, path)))
      return false;
  }
  const QString problem = WriteBytes(path, EncodeText(text, charset));
  savedTo(path, charset, problem);
  return problem.isEmpty();
}

void Files::saveOffThread(const QString& path, BoxContent content, Charset charset) {
  // The text is encoded, and written when the charset holds every character, off the window's
  // thread. Otherwise the question comes once that run has ended, and the bytes are written by a
  // run of their own when the user agrees.
  struct Encoded {
    std::string bytes;
    std::size_t lost = 0;
    QString problem;
  };
  auto taken = std::make_shared<BoxContent>(std::move(content));
  m_window.runOffThread(tr("保存文件"), [this, path, taken, charset]() -> std::function<void()> {
    auto encoded = std::make_shared<Encoded>();
    {
      const std::u16string text = taken->takeText();
      encoded->lost = CountUnencodable(text, charset);
      encoded->bytes = EncodeText(text, charset);
    }
    if (encoded->lost == 0) {
      encoded->problem = WriteBytes(path, encoded->bytes);
      std::string().swap(encoded->bytes);
    }
    return [this, path, charset, encoded] {
      if (encoded->lost == 0) {
        savedTo(path, charset, encoded->problem);
        return;
      }
      // After the run has ended, so that the question meets an unlocked window and the write
      // can be a run of its own.
      QTimer::singleShot(0, this, [this, path, charset, encoded] {
        if (!m_window.ask(lossQuestion(encoded->lost, charset, path)))
          return;
        m_window.runOffThread(tr("保存文件"), [this, path, charset, encoded]() -> std::function<void()> {
          const QString problem = WriteBytes(path, encoded->bytes);
          return [this, path, charset, problem] { savedTo(path, charset, problem); };
        });
      });
    };
  });
}

} // namespace kelvaro::app
