// The settings file: defaults for what it leaves out, one error naming the file and line for anything
// it gets wrong, and only a regular file of bounded size is ever read.
#include "zarvo/home/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "zarvo/testing/files.h"
#include "zarvo/testing/scoped_env.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using chrono::Language;
using testing::ScopedEnv;

TEST(SettingsTest, AnEmptyFileMeansEveryCorrectionWithTheLocaleLanguage) {
  ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "fr_CA.UTF-8");
  const auto s = parseSettings("", "config.toml");
  ASSERT_TRUE(s) << s.error().message();
  EXPECT_EQ(s->quickEntry, QuickEntryOptions::recommended({Language::french}, Language::french));
  EXPECT_FALSE(s->defaultList);
  EXPECT_EQ(s->dateFormat, "%Y-%m-%d");
  EXPECT_EQ(s->firstWeekday, 2);
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
    ScopedEnv all("LC_ALL", row.all), messages("LC_MESSAGES", nullptr), lang("LANG", row.lang);
    EXPECT_EQ(localeLanguages(), row.languages) << (row.lang ? row.lang : "(unset)");
  }
}

// Each key written alone switches its own option and nothing else.
TEST(SettingsTest, EveryKeySwitchesItsOwnOption) {
  ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "C");
  const Settings defaults = Settings::defaults();
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
      {"[display]\nreport = [\"flagged\", \"no-due\", \"flagged\"]", [](Settings& s) { s.report = {"flagged", "no-due"}; }},
      {"[display]\nreport = []", [](Settings& s) { s.report = {}; }},
      {"[quick-entry]\ndate-order = \"day-first\"",
       [](Settings& s) { s.quickEntry.numericDateOrder = chrono::ReaderOptions::NumericDateOrder::dayFirst; }},
      {"[quick-entry]\ndefault-time = \"08:30\"",
       [](Settings& s) { s.quickEntry.defaultTime = QuickEntryOptions::TimeOfDay{8, 30}; }},
      {"[sync]\nconnect-timeout = 5", [](Settings& s) { s.syncTimeouts.connect = std::chrono::seconds(5); }},
      {"[sync]\nidle-timeout = 600", [](Settings& s) { s.syncTimeouts.idle = std::chrono::minutes(10); }},
      {"[sync]\ninterval = 900", [](Settings& s) { s.syncInterval = std::chrono::minutes(15); }},
      {"[quick-entry]\nreminders = false", [](Settings& s) { s.remindMePhrases = false; }},
      {"[quick-entry]\nreminders = true", [](Settings& s) { s.remindMePhrases = true; }},
      {"[reminders]\nat-due-time = true", [](Settings& s) { s.reminders.atDueTime = true; }},
      {"[reminders]\nsnooze = [\"5m\", \"999d\", \"tomorrow\", \"2h\"]",
       [](Settings& s) { s.reminders.snooze = {"5m", "999d", "tomorrow", "2h"}; }},
      {"[reminders]\nsnooze = []", [](Settings& s) { s.reminders.snooze.clear(); }},
  };
  for (const Row& row : rows) {
    Settings expected = defaults;
    row.expected(expected);
    const auto s = parseSettings(row.toml, "config.toml");
    ASSERT_TRUE(s) << s.error().message();
    EXPECT_EQ(s->quickEntry, expected.quickEntry) << row.toml;
    EXPECT_EQ(s->defaultList, expected.defaultList) << row.toml;
    EXPECT_EQ(s->dateFormat, expected.dateFormat) << row.toml;
    EXPECT_EQ(s->firstWeekday, expected.firstWeekday) << row.toml;
    EXPECT_EQ(s->report, expected.report) << row.toml;
    EXPECT_EQ(s->syncTimeouts.connect, expected.syncTimeouts.connect) << row.toml;
    EXPECT_EQ(s->syncTimeouts.idle, expected.syncTimeouts.idle) << row.toml;
    EXPECT_EQ(s->syncInterval, expected.syncInterval) << row.toml;
    EXPECT_EQ(s->remindMePhrases, expected.remindMePhrases) << row.toml;
    EXPECT_EQ(s->reminders.atDueTime, expected.reminders.atDueTime) << row.toml;
    EXPECT_EQ(s->reminders.snooze, expected.reminders.snooze) << row.toml;
  }
}

// Each true/false key of [quick-entry] turns off its own option and no other.
TEST(SettingsTest, EachQuickEntryKeySwitchesItsOwnOption) {
  using Field = bool QuickEntryOptions::*;
  for (const auto& [key, field] : {std::pair<const char*, Field>{"forward-dates", &QuickEntryOptions::forwardDates},
                                   {"capital-time-zones", &QuickEntryOptions::capitalTimeZonesOnly},
                                   {"false-date-guard", &QuickEntryOptions::falseDateGuard},
                                   {"afternoon-hours", &QuickEntryOptions::afternoonSmallHours},
                                   {"clean-titles", &QuickEntryOptions::cleanTitles},
                                   {"best-reading", &QuickEntryOptions::chooseLanguageByEvidence},
                                   {"more-phrases", &QuickEntryOptions::extraPhrases},
                                   {"join-date-and-time", &QuickEntryOptions::joinDateAndTime},
                                   {"times-ahead", &QuickEntryOptions::timesAhead},
                                   {"all-day", &QuickEntryOptions::allDayDates},
                                   {"repetitions", &QuickEntryOptions::repetitions},
                                   {"whole-titles", &QuickEntryOptions::wholeTitles},
                                   {"short-years", &QuickEntryOptions::shortYears}}) {
    const auto s = parseSettings(std::string("[quick-entry]\n") + key + " = false\n", "config.toml");
    ASSERT_TRUE(s) << s.error().message();
    QuickEntryOptions expected = Settings::defaults().quickEntry;
    EXPECT_TRUE(expected.*field) << key;
    expected.*field = false;
    EXPECT_EQ(s->quickEntry, expected) << key;
  }
}

// Both front ends read typed lines with these options: the one key switches "remind me" phrases.
TEST(SettingsTest, TypedLinesReadReminderPhrasesUnlessTheSettingsSayNot) {
  const auto none = parseSettings("[quick-entry]\nclean-titles = false", "config.toml");
  const auto off = parseSettings("[quick-entry]\nclean-titles = false\nreminders = false", "config.toml");
  ASSERT_TRUE(none && off);
  EXPECT_TRUE(none->typedLineOptions().reminders);
  EXPECT_FALSE(off->typedLineOptions().reminders);
  EXPECT_FALSE(off->typedLineOptions().cleanTitles);  // the rest of [quick-entry] is kept
  EXPECT_FALSE(none->quickEntry.reminders);           // the library's own options stay as they were
}

// Both front ends sync with these options: the settings' timeouts, and unchanged lists left out,
// which the library alone does only when asked.
TEST(SettingsTest, FrontEndsSyncWithTheTimeoutsAndLeaveUnchangedListsOut) {
  const auto s = parseSettings("[sync]\nconnect-timeout = 5", "config.toml");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->syncServiceOptions().timeouts.connect, std::chrono::seconds(5));
  EXPECT_TRUE(s->syncServiceOptions().skipUnchangedLists);
  EXPECT_FALSE(caldav::SyncServiceOptions{}.skipUnchangedLists);
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
           Row{"[quick-entry]\nlanguages = [3]\n", "/etc/z.toml:2: unknown language"},
           Row{"[tasks]\ndefault-list = 3\n", "/etc/z.toml:2: 'tasks.default-list' must be a string"},
           Row{"[display]\ndate-format = \"%Y-%Q\"\n", "/etc/z.toml:2: 'display.date-format' may use only"},
           Row{"[display]\nweek-starts-on = \"mon\"\n", "/etc/z.toml:2: 'display.week-starts-on' must be a day"},
           Row{"[tasks]\n[tasks]\n", "/etc/z.toml:2:"},
           Row{"[display]\nreport = \"today\"\n", "/etc/z.toml:2: 'display.report' must be a list"},
           Row{"[display]\nreport = [\"today\",\n \"tomorrow\"]\n", "/etc/z.toml:3: unknown section in 'display.report'"},
           Row{"[quick-entry]\ndate-order = \"dmy\"\n", "/etc/z.toml:2: 'quick-entry.date-order' must be"},
           Row{"[quick-entry]\n\ndefault-time = \"9:00\"\n", "/etc/z.toml:3: 'quick-entry.default-time' must be a time"},
           Row{"[quick-entry]\ndefault-time = \"24:00\"\n", "/etc/z.toml:2: 'quick-entry.default-time' must be a time"},
           Row{"[quick-entry]\nall-day = 1\n", "/etc/z.toml:2: 'quick-entry.all-day' must be true or false"},
           Row{"[quick-entry]\n\nreminders = \"no\"\n", "/etc/z.toml:3: 'quick-entry.reminders' must be true or false"},
           Row{"[sync]\nidle-timeout = 0\n", "/etc/z.toml:2: 'sync.idle-timeout' must be a whole number of seconds from 1"},
           Row{"[sync]\n\nconnect-timeout = 2.5\n", "/etc/z.toml:3: 'sync.connect-timeout' must be a whole number"},
           Row{"[sync]\ntimeout = 3\n", "/etc/z.toml:2: unknown setting 'sync.timeout'"},
           Row{"[sync]\ninterval = 59\n", "/etc/z.toml:2: 'sync.interval' must be a whole number of seconds from 60"},
           Row{"[reminders]\nat-due-time = \"yes\"\n", "/etc/z.toml:2: 'reminders.at-due-time' must be true or false"},
           Row{"[reminders]\nsnooze = \"10m\"\n", "/etc/z.toml:2: 'reminders.snooze' must be a list"},
           Row{"[reminders]\nsnooze = [\"1m\", \"2m\", \"3m\", \"4m\", \"5m\", \"6m\"]\n", "/etc/z.toml:2: 'reminders.snooze' must be a list of at most 5"},
           Row{"[reminders]\nsnooze = [\"10m\",\n \"10 min\"]\n", "/etc/z.toml:3: a 'reminders.snooze' choice must be"},
           Row{"[reminders]\nsnooze = [\"0m\"]\n", "/etc/z.toml:2: a 'reminders.snooze' choice must be"},
           Row{"[reminders]\nsnooze = [\"1000h\"]\n", "/etc/z.toml:2: a 'reminders.snooze' choice must be"},
           Row{"[reminders]\nsnooze = [\"1hm\"]\n", "/etc/z.toml:2: a 'reminders.snooze' choice must be"},
           Row{"[reminders]\nsnooze = [\"1h\", \"1h\"]\n", "/etc/z.toml:2: 'reminders.snooze' names \"1h\" twice"},
           Row{"[reminder]\n", "/etc/z.toml:1: unknown setting 'reminder'"},
       }) {
    const auto s = parseSettings(row.toml, "/etc/z.toml");
    ASSERT_FALSE(s) << "accepted: " << row.toml;
    EXPECT_EQ(s.error(), std::errc::invalid_argument);
    EXPECT_EQ(s.error().message().rfind(row.error, 0), 0u) << s.error().message();
    EXPECT_EQ(s.error().message().find('\n'), std::string::npos) << s.error().message();
  }
}

TEST(SettingsTest, WhichFile) {
  ScopedEnv config("ZARVO_CONFIG", nullptr), xdg("XDG_CONFIG_HOME", "/x"), home("HOME", "/h");
  const auto found = [](const std::optional<fs::path>& named) { return findSettingsFile(named).value().value(); };
  EXPECT_EQ(found(std::nullopt).path, "/x/zarvo/config.toml");
  EXPECT_FALSE(found(std::nullopt).required);
  {
    ScopedEnv noXdg("XDG_CONFIG_HOME", "");
    EXPECT_EQ(found(std::nullopt).path, "/h/.config/zarvo/config.toml");
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_FALSE(findSettingsFile(std::nullopt).value());
  }
  ScopedEnv named("ZARVO_CONFIG", "/named.toml");
  EXPECT_EQ(found(std::nullopt).path, "/named.toml");
  EXPECT_TRUE(found(std::nullopt).required);
  EXPECT_EQ(found(fs::path("/option.toml")).path, "/option.toml");
  EXPECT_EQ(findSettingsFile(fs::path()).error(), std::errc::invalid_argument);
}

// Only a regular file of bounded size is read: anything else is refused at once, by name, and a
// missing default file is every default.
TEST(SettingsTest, OnlyARegularFileOfBoundedSizeIsRead) {
  testing::TempDir tmp("zarvo-settings");
  const fs::path fifo = tmp.path() / "fifo.toml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path large = tmp.path() / "large.toml";
  {
    std::ofstream out(large, std::ios::binary);
    const std::string line = "# " + std::string(1022, 'x') + "\n";
    for (uint64_t written = 0; written <= kMaxSettingsBytes; written += line.size()) out << line;
  }
  const fs::path good = tmp.path() / "good.toml";
  testing::writeFile(good, "[tasks]\ndefault-list = \"Work\"\n");
  struct Row {
    fs::path path;
    bool required;
    std::errc code;
    const char* says;
  };
  for (const Row& row : {
           Row{"/dev/zero", true, std::errc::invalid_argument, " is not a regular file"},
           Row{fifo, true, std::errc::invalid_argument, " is not a regular file"},
           Row{tmp.path(), true, std::errc::is_a_directory, " is a folder"},
           Row{tmp.path(), false, std::errc::is_a_directory, " is a folder"},
           Row{large, true, std::errc::file_too_large, " is larger than 1024 KiB"},
           Row{tmp.path() / "missing.toml", true, std::errc::no_such_file_or_directory, ": it does not exist"},
       }) {
    const auto s = loadSettings(SettingsFile{row.path, row.required});
    ASSERT_FALSE(s) << row.path;
    EXPECT_EQ(s.error(), row.code) << row.path;
    EXPECT_NE(s.error().message().find(row.path.string() + "'" + row.says), std::string::npos)
        << s.error().message();
  }
  const auto missing = loadSettings(SettingsFile{tmp.path() / "missing.toml", false});
  ASSERT_TRUE(missing);
  EXPECT_TRUE(missing->file.empty());
  const auto read = loadSettings(SettingsFile{good, true});
  ASSERT_TRUE(read) << read.error().message();
  EXPECT_EQ(read->defaultList, "Work");
  EXPECT_EQ(read->file, good);
}

TEST(SettingsTest, DateFormats) {
  EXPECT_EQ(formatDate("%Y-%m-%d", 2024, 3, 5, 3), "2024-03-05");
  EXPECT_EQ(formatDate("%a %e %b %y, 100%%", 2024, 12, 5, 5), "Thu 5 Dec 24, 100%");
  EXPECT_EQ(formatDate("%d.%m.", 2024, 1, 31, 4), "31.01.");
  EXPECT_EQ(formatDate("%Y/%y", 5, 1, 1, 1), "0005/05");
  EXPECT_EQ(formatDate("%Y/%y", 12345, 1, 1, 1), "12345/45");
}

}  // namespace
}  // namespace zarvo
