#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace kelvaro::app {

Translations::Translations(const QLocale& locale) {
  auto qt = std::make_unique<QTranslator>();
  // Debian's qt6-translations-l10n puts them where the Qt libraries expect them.
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(qt.get())) {
    m_qt = std::move(qt);
  }
  if (locale.language() != QLocale::Chinese) {
    auto window = std::make_unique<QTranslator>();
    if (window->load(QStringLiteral(":/kelvaro/translations/kelvaro_en.qm")) &&
        QCoreApplication::installTranslator(window.get())) {
      m_window = std::move(window);
    }
  }
}

// A QTranslator takes itself off the application when it is destroyed.
Translations::~Translations() = default;

} // namespace kelvaro::app
