// kelvaro: the main window.
//
//   kelvaro                      opens the window
//   kelvaro FILE...              opens the window with the first file in the upper box
//   kelvaro --screenshot FILE    shows the window, saves a picture of it to FILE (PNG) and exits
//   kelvaro --help | --version   prints the usage or the version, with or without a display

#include "app/form1.h"
#include "app/memory.h"
#include "app/translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <optional>

namespace {

/// The window's options, in the order the usage lists them; gives the one that takes a value.
QCommandLineOption AddOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Converts Chinese text between encodings, escapes and notations."));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                QStringLiteral("Save a picture of the window and exit."),
                                QStringLiteral("FILE"));
  parser.addOption(screenshot);
  parser.addPositionalArgument(QStringLiteral("file"),
                               QStringLiteral("A text file to open in the upper box (of several, "
                                              "the first)."),
                               QStringLiteral("[file...]"));
  return screenshot;
}

/// Answers --version and --help, with the texts QCommandLineParser::process gives, before a
/// QApplication exists: creating one needs a display, and whoever asks a shell for the usage may
/// have none. Gives the exit status, or nothing when the window is to start.
std::optional<int> AnswerWithoutDisplay(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i)
    arguments << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  AddOptions(parser);
  // Qt's own arguments (-platform, -style, ...) fail this parse; the QApplication takes them out
  // and the parse after it answers everything, --help-all with Qt's options among them.
  if (!parser.parse(arguments))
    return std::nullopt;
  // process() answers --version first when both are given.
  if (parser.isSet(QStringLiteral("version"))) {
    std::fputs(qPrintable(QCoreApplication::applicationName() + QLatin1Char(' ') +
                          QCoreApplication::applicationVersion() + QLatin1Char('\n')),
               stdout);
    return 0;
  }
  if (parser.isSet(QStringLiteral("help"))) {
    // Without an application object the parser cannot know the program's name; process() names
    // it as it was called.
    QString usage = parser.helpText();
    usage.replace(QStringLiteral("<executable_name>"), arguments.constFirst());
    std::fputs(qPrintable(usage), stdout);
    return 0;
  }
  return std::nullopt;
}

} // namespace

int main(int argc, char* argv[]) {
  QApplication::setApplicationName(QStringLiteral("kelvaro"));
  // Where the charset choice is kept: ~/.config/Kelvaro/kelvaro.conf on Linux.
  QApplication::setOrganizationName(QStringLiteral("Kelvaro"));
  QApplication::setApplicationVersion(QStringLiteral(KELVARO_VERSION));
  if (const std::optional<int> status = AnswerWithoutDisplay(argc, argv))
    return *status;

  kelvaro::app::ReturnLargeBuffersToTheSystem();
  QApplication application(argc, argv);
  QCommandLineParser parser;
  const QCommandLineOption screenshot = AddOptions(parser);
  parser.process(application);

  const kelvaro::app::Translations translations;
  QApplication::setWindowIcon(kelvaro::app::WindowIcon());
  kelvaro::app::Form1 window;
  window.show();
  // The desktop entry passes every file chosen; one upper box takes the first.
  if (!parser.positionalArguments().isEmpty())
    window.loadFile(parser.positionalArguments().constFirst());

  if (parser.isSet(screenshot)) {
    const QString file = parser.value(screenshot);
    int status = 0;
    // Once the event loop has run, the window has been laid out and painted.
    QTimer::singleShot(200, &window, [&] {
      status = window.grab().save(file, "PNG") ? 0 : 1;
      QApplication::quit();
    });
    QApplication::exec();
    return status;
  }
  return QApplication::exec();
}
