// The settings file: defaults for what it leaves out, and one error naming the file and line for
// anything it gets wrong.
#include "app/settings.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>

#include "app/command_error.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {
namespace {

using chrono::Language;

class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SettingsTest, AnEmptyFileMeansEveryCorrectionWithTheLocaleLanguage) {
  ScopedVariable all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "fr_CA.UTF-8");
  const Settings s = parseSettings("", "config.toml");
  EXPECT_EQ(s.quickEntry, QuickEntryOptions::everyCorrection({Language::french}));
  EXPECT_FALSE(s.defaultList);
  EXPECT_EQ(s.dateFormat, "%Y-%m-%d");
  EXPECT_EQ(s.firstWeekday, 2);
}

TEST(SettingsTest, LocaleLanguage) {
  struct Row {
    const char* all;
    const char* lang;
    std::set<Language> languages;
  };
  for (const Row& row : {Row{nullptr, "de_DE.UTF-8", {Language::german}}, Row{nullptr, "ja_JP", {Language::japanese}},
                         Row{"es", "de_DE.UTF-8", {Language::spanish}}, Row{nullptr, "zh_TW.UTF-8", {Language::chinese}},
                         Row{nullptr, "en_GB.UTF-8", {}}, Row{nullptr, "C.UTF-8", {}}, Row{nullptr, "POSIX", {}},
                         Row{nullptr, "nl_NL", {}}, Row{nullptr, "deu", {}}, Row{nullptr, nullptr, {}}}) {
    ScopedVariable all("LC_ALL", row.all), messages("LC_MESSAGES", nullptr), lang("LANG", row.lang);
    EXPECT_EQ(localeLanguages(), row.languages) << (row.lang ? row.lang : "(unset)");
  }
}

TEST(SettingsTest, EveryKeyIsRead) {
  const Settings s = parseSettings(R"(
[quick-entry]
languages = ["de", "japanese", "en"]
forward-dates = false
capital-time-zones = false
false-date-guard = false
afternoon-hours = false
clean-titles = false

[tasks]
default-list = "Arbeit"

[display]
date-format = "%d.%m.%Y"
week-starts-on = "sunday"
)",
                                   "config.toml");
  QuickEntryOptions literal;
  literal.languages = std::set<Language>{Language::german, Language::japanese};
  EXPECT_EQ(s.quickEntry, literal);
  EXPECT_EQ(s.defaultList, "Arbeit");
  EXPECT_EQ(s.dateFormat, "%d.%m.%Y");
  EXPECT_EQ(s.firstWeekday, 1);
}

TEST(SettingsTest, MistakesNameTheFileAndLine) {
  struct Row {
    const char* toml;
    const char* error;
  };
  for (const Row& row : {
           Row{"[quick-entry]\nforward-dates = yes\n", "/etc/z.toml:2:"},
           Row{"[quick-entry]\n\nforward-dates = \"true\"\n", "/etc/z.toml:3: 'quick-entry.forward-dates' must be true or false"},
           Row{"[quick-entry]\nforward-date = true\n", "/etc/z.toml:2: unknown setting 'quick-entry.forward-date'"},
           Row{"[quik-entry]\n", "/etc/z.toml:1: unknown setting 'quik-entry'"},
           Row{"quick-entry = 1\n", "/etc/z.toml:1: 'quick-entry' must be a table"},
           Row{"[quick-entry]\nlanguages = \"de\"\n", "/etc/z.toml:2: 'quick-entry.languages' must be a list"},
           Row{"[quick-entry]\nlanguages = [\n \"de\",\n \"klingon\"]\n", "/etc/z.toml:4: unknown language"},
           Row{"[tasks]\ndefault-list = 3\n", "/etc/z.toml:2: 'tasks.default-list' must be a string"},
           Row{"[display]\ndate-format = \"%Y-%Q\"\n", "/etc/z.toml:2: 'display.date-format' may use only"},
           Row{"[display]\nweek-starts-on = \"mon\"\n", "/etc/z.toml:2: 'display.week-starts-on' must be a day"},
           Row{"[tasks]\n[tasks]\n", "/etc/z.toml:2:"},
       }) {
    try {
      parseSettings(row.toml, "/etc/z.toml");
      ADD_FAILURE() << "accepted: " << row.toml;
    } catch (const UsageError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(row.error, 0), 0u) << e.what();
      EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << e.what();
    }
  }
}

TEST(SettingsTest, WhichFile) {
  ScopedVariable config("ZARVO_CONFIG", nullptr), xdg("XDG_CONFIG_HOME", "/x"), home("HOME", "/h");
  EXPECT_EQ(settingsFile(std::nullopt)->path, "/x/zarvo/config.toml");
  EXPECT_FALSE(settingsFile(std::nullopt)->required);
  {
    ScopedVariable noXdg("XDG_CONFIG_HOME", "");
    EXPECT_EQ(settingsFile(std::nullopt)->path, "/h/.config/zarvo/config.toml");
  }
  ScopedVariable named("ZARVO_CONFIG", "/named.toml");
  EXPECT_EQ(settingsFile(std::nullopt)->path, "/named.toml");
  EXPECT_TRUE(settingsFile(std::nullopt)->required);
  EXPECT_EQ(settingsFile(std::string("/option.toml"))->path, "/option.toml");
  EXPECT_THROW(loadSettings(std::string("/no/such/file.toml")), UsageError);
}

TEST(SettingsTest, DateFormats) {
  EXPECT_EQ(formatDate("%Y-%m-%d", 2024, 3, 5, 3), "2024-03-05");
  EXPECT_EQ(formatDate("%a %e %b %y, 100%%", 2024, 12, 5, 5), "Thu 5 Dec 24, 100%");
  EXPECT_EQ(formatDate("%d.%m.", 2024, 1, 31, 4), "31.01.");
  EXPECT_EQ(formatDate("%Y/%y", 5, 1, 1, 1), "0005/05");
  EXPECT_EQ(formatDate("%Y/%y", 12345, 1, 1, 1), "12345/45");
}

// Padding writes what fmt's "{:0N}" writes, for every width and sign of value.
TEST(SettingsTest, ZeroPaddingAgreesWithFmt) {
  for (const int64_t value : {int64_t{0}, int64_t{7}, int64_t{10}, int64_t{99}, int64_t{100}, int64_t{2024},
                              int64_t{123456789}, INT64_MAX, int64_t{-3}, int64_t{-2024}, INT64_MIN}) {
    for (const int digits : {1, 2, 4}) {
      std::string out = "x", expected = "x";
      platform::appendZeroPadded(out, value, digits);
      fmt::format_to(std::back_inserter(expected), "{:0{}}", value, digits);
      EXPECT_EQ(out, expected) << value << " in " << digits;
    }
  }
}

}  // namespace
}  // namespace zarvo::app
