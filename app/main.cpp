// kelvaro: the main window.
//
//   kelvaro                      opens the window
//   kelvaro --screenshot FILE    shows the window, saves a picture of it to FILE (PNG) and exits

#include "app/form1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvaro"));
  QApplication::setApplicationVersion(QStringLiteral(KELVARO_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Converts Chinese text between encodings, escapes and notations."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Save a picture of the window and exit."),
                                      QStringLiteral("FILE"));
  parser.addOption(screenshot);
  parser.process(application);

  QApplication::setWindowIcon(kelvaro::app::WindowIcon());
  kelvaro::app::Form1 window;
  window.show();

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
