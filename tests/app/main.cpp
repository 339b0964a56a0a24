// The window tests need one QApplication for the whole run; without a display they use the
// offscreen platform (test discovery runs this too, outside ctest's environment). Settings go to a
// folder of the run's own under a test-only name, so no test reads or changes the user's choices.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("KelvaroTests"));
  QCoreApplication::setApplicationName(QStringLiteral("kelvaro-window-tests"));
  const QTemporaryDir settings;
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
