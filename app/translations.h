#pragma once
// The window's languages. Qt's own texts (message box buttons, the boxes' context menus, the file
// dialogs) come in the user's language from the system's Qt translations; the window's own texts
// (tooltips, the status line, file dialogs and their messages) are written in Chinese and shown in
// English on every locale whose language is not Chinese. Captions, and every message of the
// registry, stay as they are in every locale.

#include <QLocale>
#include <QTranslator>
#include <memory>

namespace kelvaro::app {

class Translations {
public:
  /// Installs the translators for `locale` on the application; they stay installed while this
  /// object lives.
  explicit Translations(const QLocale& locale = QLocale());
  ~Translations();
  Translations(const Translations&) = delete;
  Translations& operator=(const Translations&) = delete;

  /// Whether Qt's own translations for the locale were found and installed.
  [[nodiscard]] bool qtTranslated() const { return m_qt != nullptr; }
  /// Whether the window's own texts are shown in English.
  [[nodiscard]] bool windowInEnglish() const { return m_window != nullptr; }

private:
  std::unique_ptr<QTranslator> m_qt;
  std::unique_ptr<QTranslator> m_window;
};

} // namespace kelvaro::app
