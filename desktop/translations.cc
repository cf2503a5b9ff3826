#include "desktop/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "zarvo/platform/localization.h"

namespace zarvo::desktop {

Translations::Translations(const QLocale& locale) : previous_(QLocale()) {
  QLocale::setDefault(locale);
  auto install = [this](const QLocale& locale, const QString& name, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder) || !QCoreApplication::installTranslator(translator.get())) {
      return false;
    }
    installed_.push_back(std::move(translator));
    return true;
  };
  translated_ = install(locale, QStringLiteral("zarvo-desktop"), QStringLiteral(":/i18n"));
  install(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (!translated_) return;
  // The library looks the format up by the ICU locale's name, then its language.
  const QString format = QCoreApplication::translate("TaskCount", "{0, plural, one {# task} other {# tasks}}",
                                                     "ICU MessageFormat: keep {0, plural, ...} and #");
  platform::registerLocalizedStrings(locale.name().toStdString(), {{"task_count", format.toStdString()}});
  platform::registerLocalizedStrings(QLocale::languageToCode(locale.language()).toStdString(),
                                     {{"task_count", format.toStdString()}});
}

Translations::~Translations() {
  for (const auto& translator : installed_) QCoreApplication::removeTranslator(translator.get());
  QLocale::setDefault(previous_);
}

}  // namespace zarvo::desktop
