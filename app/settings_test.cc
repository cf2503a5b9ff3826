// The settings file: defaults for what it leaves out, and one error naming the file and line for
// anything it gets wrong.
#include "app/settings.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
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

// Each key written alone switches its own option and nothing else.
TEST(SettingsTest, EveryKeySwitchesItsOwnOption) {
  ScopedVariable all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "C");
  const Settings defaults = parseSettings("", "config.toml");
  struct Row {
    const char* toml;
    std::function<void(Settings&)> expected;  // the defaults with this key's change
  };
  const Row rows[] = {
      {"[quick-entry]\nforward-dates = false", [](Settings& s) { s.quickEntry.forwardDates = false; }},
      {"[quick-entry]\ncapital-time-zones = false", [](Settings& s) { s.quickEntry.capitalTimeZonesOnly = false; }},
      {"[quick-entry]\nfalse-date-guard = false", [](Settings& s) { s.quickEntry.falseDateGuard = false; }},
      {"[quick-entry]\nafternoon-hours = false", [](Settings& s) { s.quickEntry.afternoonSmallHours = false; }},
      {"[quick-entry]\nclean-titles = false", [](Settings& s) { s.quickEntry.cleanTitles = false; }},
      {"[quick-entry]\nlanguages = [\"de\", \"japanese\", \"en\"]",
       [](Settings& s) { s.quickEntry.languages = std::set<Language>{Language::german, Language::japanese}; }},
      {"[tasks]\ndefault-list = \"Arbeit\"", [](Settings& s) { s.defaultList = "Arbeit"; }},
      {"[display]\ndate-format = \"%d.%m.%Y\"", [](Settings& s) { s.dateFormat = "%d.%m.%Y"; }},
      {"[display]\nweek-starts-on = \"sunday\"", [](Settings& s) { s.firstWeekday = 1; }},
      {"[display]\nweek-starts-on = \"saturday\"", [](Settings& s) { s.firstWeekday = 7; }},
  };
  for (const Row& row : rows) {
    Settings expected = defaults;
    row.expected(expected);
    const Settings s = parseSettings(row.toml, "config.toml");
    EXPECT_EQ(s.quickEntry, expected.quickEntry) << row.toml;
    EXPECT_EQ(s.defaultList, expected.defaultList) << row.toml;
    EXPECT_EQ(s.dateFormat, expected.dateFormat) << row.toml;
    EXPECT_EQ(s.firstWeekday, expected.firstWeekday) << row.toml;
  }
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
