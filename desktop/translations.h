// The interface in the person's language: English, German, Spanish, French, Japanese or Chinese
// (simplified), chosen from the locale (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), English for any other.
//
// A Translations object, while it lives, translates the app's texts (the catalogues built from
// desktop/i18n/*.ts, in the program's resources) and Qt's own (the standard buttons, where Debian's
// Qt translations are installed), makes `locale` the default for dates and numbers, and gives the
// library the "task_count" format of that language, which the sidebar's counts are written in.
//
// Threads: the UI thread, before the window is made (texts are translated when widgets are built).
#pragma once

#include <QLocale>
#include <QTranslator>

#include <memory>
#include <vector>

namespace zarvo::desktop {

class Translations {
 public:
  explicit Translations(const QLocale& locale = QLocale::system());
  // Takes the catalogues out again and restores the default locale.
  ~Translations();
  Translations(const Translations&) = delete;
  Translations& operator=(const Translations&) = delete;

  // Whether the app's own catalogue for the locale was found (English has none: it is the source).
  bool translated() const { return translated_; }

 private:
  QLocale previous_;
  std::vector<std::unique_ptr<QTranslator>> installed_;
  bool translated_ = false;
};

}  // namespace zarvo::desktop
