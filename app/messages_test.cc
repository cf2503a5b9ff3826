#include "app/messages.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <cstdlib>
#include <cstring>

namespace zarvo::app {
namespace {

TEST(MessagesTest, TheLanguageComesFromLanguageThenTheLocaleAndNeverUnderC) {
  struct Case {
    const char* locale;
    const char* languages;
    const char* catalogue;
  } cases[] = {
      {"de_DE.UTF-8", "", "de"},
      {"fr_CA.UTF-8", "", "fr"},
      {"es_MX", "", "es"},
      {"ja_JP.UTF-8", "", "ja"},
      {"zh_TW.UTF-8", "", "zh_CN"},
      {"zh_CN.UTF-8", "", "zh_CN"},
      {"de_AT@euro", "", "de"},
      {"en_GB.UTF-8", "", ""},
      {"pt_BR.UTF-8", "", ""},              // no catalogue: English
      {"C.UTF-8", "fr", "fr"},              // LANGUAGE chooses under any locale but C
      {"de_DE.UTF-8", "ja:de", "ja"},       // ... and before the locale
      {"de_DE.UTF-8", "pt:sv", "de"},       // languages without a catalogue are passed over
      {"de_DE.UTF-8", "en:fr", ""},         // English first means English
      {"C", "de", ""},                      // the C locale means untranslated, as gettext has it
      {"POSIX", "de", ""},
      {"", "de", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(chosenLanguage(c.locale, c.languages), c.catalogue) << c.locale << " / " << c.languages;
  }
}

// A person whose locale is not installed on this machine (no locale is named de_ZZ) still reads
// German, and ICU still takes German for the default locale, as it does from the same variables
// without the program's help. Run in a fresh process: both choices are made once per process.
TEST(MessagesTest, ALocaleThatIsNotInstalledStillChoosesTheLanguage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) ::unsetenv(name);
        ::setenv("LANG", "de_ZZ.UTF-8", 1);
        setUpMessages();
        const bool german = std::strcmp(tr("No tasks."), "Keine Aufgaben.") == 0 &&
                            std::strcmp(trc("weekday", "Fri"), "Fr") == 0 &&
                            trnf("{} day overdue", "{} days overdue", 2, 2) == "2 Tage überfällig";
        std::exit(german && std::strcmp(icu::Locale::getDefault().getLanguage(), "de") == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zarvo::app
