#include "zarvo/home/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <initializer_list>
#include <toml++/toml.h>

#include "zarvo/platform/filesystem.h"
#include "zarvo/platform/text.h"

namespace zarvo {

namespace fs = std::filesystem;
using chrono::Language;

namespace {

const char* environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

// Language codes and names a person may write.
std::optional<Language> languageCalled(std::string_view name) {
  static constexpr std::pair<std::string_view, Language> kCodes[] = {
      {"en", Language::english}, {"de", Language::german},   {"es", Language::spanish},
      {"fr", Language::french},  {"ja", Language::japanese}, {"zh", Language::chinese}};
  for (const auto& [code, language] : kCodes) {
    if (name == code) return language;
  }
  return chrono::languageNamed(name);
}

bool validDateFormat(std::string_view format) {
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (++i == format.size() || std::string_view("Yymdeba%").find(format[i]) == std::string_view::npos) return false;
  }
  return true;
}

// 'section.key', as errors name a setting.
std::string quoted(std::string_view section, std::string_view key) {
  std::string out;
  out.reserve(section.size() + key.size() + 3);
  out.append("'").append(section).append(".").append(key).append("'");
  return out;
}

// Reads values out of the parsed document; every failure names the file and the line.
class Reader {
 public:
  explicit Reader(fs::path file) : file_(std::move(file)) {}

  Error fail(const toml::source_region& where, const std::string& what) const {
    return Error(std::make_error_code(std::errc::invalid_argument),
                 file_.string() + ":" + std::to_string(where.begin.line) + ": " + what);
  }

  // The table `name` of `root` (null when absent), every key of which must be one of `keys`.
  Expected<const toml::table*> table(const toml::table& root, std::string_view name,
                                     std::initializer_list<std::string_view> keys) const {
    const toml::node* node = root.get(name);
    if (node == nullptr) return static_cast<const toml::table*>(nullptr);
    const toml::table* table = node->as_table();
    const std::string n(name);
    if (table == nullptr) return fail(node->source(), "'" + n + "' must be a table ([" + n + "])");
    for (const auto& [key, value] : *table) {
      if (std::find(keys.begin(), keys.end(), key.str()) == keys.end()) {
        return fail(key.source(), "unknown setting " + quoted(name, key.str()));
      }
    }
    return table;
  }

  Error boolean(const toml::table* table, std::string_view section, std::string_view key, bool& out) const {
    const toml::node* node = table ? table->get(key) : nullptr;
    if (node == nullptr) return {};
    if (!node->is_boolean()) return fail(node->source(), quoted(section, key) + " must be true or false");
    out = *node->value<bool>();
    return {};
  }

  Error string(const toml::table* table, std::string_view section, std::string_view key,
               std::optional<std::string>& out) const {
    const toml::node* node = table ? table->get(key) : nullptr;
    if (node == nullptr) return {};
    if (!node->is_string()) return fail(node->source(), quoted(section, key) + " must be a string in quotes");
    out = *node->value<std::string>();
    return {};
  }

  // A whole number of seconds from `least` to `most`.
  Error seconds(const toml::table* table, std::string_view section, std::string_view key, int64_t least, int64_t most,
                std::chrono::milliseconds& out) const {
    const toml::node* node = table ? table->get(key) : nullptr;
    if (node == nullptr) return {};
    const std::optional<int64_t> value = node->is_integer() ? node->value<int64_t>() : std::nullopt;
    if (!value || *value < least || *value > most) {
      return fail(node->source(), quoted(section, key) + " must be a whole number of seconds from " +
                                      std::to_string(least) + " to " + std::to_string(most));
    }
    out = std::chrono::seconds(*value);
    return {};
  }

 private:
  fs::path file_;
};

// "HH:MM", 00:00 to 23:59.
std::optional<QuickEntryOptions::TimeOfDay> timeOfDay(std::string_view text) {
  if (text.size() != 5 || text[2] != ':') return std::nullopt;
  const auto hour = platform::toInt(text.substr(0, 2));
  const auto minute = platform::toInt(text.substr(3, 2));
  if (!hour || !minute || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59 ||
      !std::isdigit(static_cast<unsigned char>(text[0])) || !std::isdigit(static_cast<unsigned char>(text[3]))) {
    return std::nullopt;
  }
  return QuickEntryOptions::TimeOfDay{static_cast<int>(*hour), static_cast<int>(*minute)};
}

Error readQuickEntry(const Reader& reader, const toml::table& root, QuickEntryOptions& q, std::optional<bool>& reminders) {
  const auto quick = reader.table(root, "quick-entry",
                                  {"languages", "forward-dates", "capital-time-zones", "false-date-guard",
                                   "afternoon-hours", "clean-titles", "best-reading", "date-order", "more-phrases",
                                   "join-date-and-time", "times-ahead", "all-day", "default-time", "repetitions",
                                   "whole-titles", "short-years", "reminders"});
  if (!quick) return quick.error();
  const toml::table* table = *quick;
  for (const auto& [key, field] : {std::pair<std::string_view, bool*>{"forward-dates", &q.forwardDates},
                                   {"capital-time-zones", &q.capitalTimeZonesOnly},
                                   {"false-date-guard", &q.falseDateGuard},
                                   {"afternoon-hours", &q.afternoonSmallHours},
                                   {"clean-titles", &q.cleanTitles},
                                   {"best-reading", &q.chooseLanguageByEvidence},
                                   {"more-phrases", &q.extraPhrases},
                                   {"join-date-and-time", &q.joinDateAndTime},
                                   {"times-ahead", &q.timesAhead},
                                   {"all-day", &q.allDayDates},
                                   {"repetitions", &q.repetitions},
                                   {"whole-titles", &q.wholeTitles},
                                   {"short-years", &q.shortYears}}) {
    if (auto e = reader.boolean(table, "quick-entry", key, *field)) return e;
  }
  if (table && table->contains("reminders")) {
    bool on = true;
    if (auto e = reader.boolean(table, "quick-entry", "reminders", on)) return e;
    reminders = on;
  }
  std::optional<std::string> order, time;
  if (auto e = reader.string(table, "quick-entry", "date-order", order)) return e;
  if (order) {
    using Order = chrono::ReaderOptions::NumericDateOrder;
    static constexpr std::pair<std::string_view, Order> kOrders[] = {
        {"language", Order::byLanguage}, {"day-first", Order::dayFirst}, {"month-first", Order::monthFirst}};
    const auto it = std::find_if(std::begin(kOrders), std::end(kOrders), [&](const auto& o) { return o.first == *order; });
    if (it == std::end(kOrders)) {
      return reader.fail(table->get("date-order")->source(),
                         "'quick-entry.date-order' must be \"language\", \"day-first\" or \"month-first\"");
    }
    q.numericDateOrder = it->second;
  }
  if (auto e = reader.string(table, "quick-entry", "default-time", time)) return e;
  if (time) {
    q.defaultTime = timeOfDay(*time);
    if (!q.defaultTime) {
      return reader.fail(table->get("default-time")->source(), "'quick-entry.default-time' must be a time such as \"09:00\"");
    }
  }
  const toml::node* node = table ? table->get("languages") : nullptr;
  if (node == nullptr) return {};
  const toml::array* array = node->as_array();
  if (array == nullptr) return reader.fail(node->source(), "'quick-entry.languages' must be a list such as [\"en\", \"de\"]");
  std::set<Language> languages;
  for (const toml::node& item : *array) {
    const auto name = item.value<std::string>();
    const auto language = item.is_string() && name ? languageCalled(*name) : std::nullopt;
    if (!language) return reader.fail(item.source(), "unknown language in 'quick-entry.languages' (en, de, es, fr, ja, zh)");
    if (*language != Language::english) languages.insert(*language);
  }
  q.languages = std::move(languages);
  return {};
}

Error readTasks(const Reader& reader, const toml::table& root, Settings& settings) {
  const auto tasks = reader.table(root, "tasks", {"default-list"});
  if (!tasks) return tasks.error();
  return reader.string(*tasks, "tasks", "default-list", settings.defaultList);
}

Error readDisplay(const Reader& reader, const toml::table& root, Settings& settings) {
  const auto display = reader.table(root, "display", {"date-format", "week-starts-on", "report"});
  if (!display) return display.error();
  const toml::table* table = *display;
  std::optional<std::string> format, day;
  if (auto e = reader.string(table, "display", "date-format", format)) return e;
  if (format) {
    if (!validDateFormat(*format)) {
      return reader.fail(table->get("date-format")->source(),
                         "'display.date-format' may use only %Y %y %m %d %e %b %a and %%");
    }
    settings.dateFormat = *format;
  }
  if (auto e = reader.string(table, "display", "week-starts-on", day)) return e;
  if (day) {
    static constexpr std::string_view kDays[] = {"sunday",   "monday", "tuesday", "wednesday",
                                                 "thursday", "friday", "saturday"};
    const auto it = std::find(std::begin(kDays), std::end(kDays), *day);
    if (it == std::end(kDays)) {
      return reader.fail(table->get("week-starts-on")->source(), "'display.week-starts-on' must be a day such as \"monday\"");
    }
    settings.firstWeekday = static_cast<int>(it - std::begin(kDays)) + 1;
  }
  const toml::node* node = table ? table->get("report") : nullptr;
  if (node == nullptr) return {};
  const toml::array* array = node->as_array();
  if (array == nullptr) {
    return reader.fail(node->source(), "'display.report' must be a list such as [\"overdue\", \"today\", \"flagged\"]");
  }
  std::vector<std::string> sections;
  for (const toml::node& item : *array) {
    const auto name = item.value<std::string>();
    if (!item.is_string() || !name ||
        std::find(std::begin(kReportSections), std::end(kReportSections), *name) == std::end(kReportSections)) {
      return reader.fail(item.source(),
                         "unknown section in 'display.report' (overdue, today, upcoming, flagged, top, week, no-due)");
    }
    if (std::find(sections.begin(), sections.end(), *name) == sections.end()) sections.push_back(*name);
  }
  settings.report = std::move(sections);
  return {};
}

}  // namespace

Settings Settings::defaults() {
  Settings settings;
  settings.quickEntry = QuickEntryOptions::recommended(localeLanguages(), localeLanguage().value_or(Language::english));
  return settings;
}

QuickEntryOptions Settings::typedLineOptions() const {
  QuickEntryOptions options = quickEntry;
  options.reminders = remindMePhrases.value_or(true);
  return options;
}

caldav::SyncServiceOptions Settings::syncServiceOptions() const {
  caldav::SyncServiceOptions options;
  options.timeouts = syncTimeouts;
  options.skipUnchangedLists = true;
  return options;
}

std::optional<Language> localeLanguage() {
  const char* locale = environment("LC_ALL");
  if (locale == nullptr) locale = environment("LC_MESSAGES");
  if (locale == nullptr) locale = environment("LANG");
  if (locale == nullptr) return std::nullopt;
  // "de", "de_DE.UTF-8", "de.UTF-8", "de@euro": two letters, then nothing or a separator.
  const std::string_view name(locale);
  if (name.size() < 2 || (name.size() > 2 && std::isalpha(static_cast<unsigned char>(name[2])))) return std::nullopt;
  return languageCalled(name.substr(0, 2));
}

std::set<Language> localeLanguages() {
  const std::optional<Language> language = localeLanguage();
  if (!language || *language == Language::english) return {};
  return {*language};
}

Expected<std::optional<SettingsFile>> findSettingsFile(const std::optional<fs::path>& named) {
  if (named) {
    if (named->empty()) return Error(std::make_error_code(std::errc::invalid_argument), "the settings file needs a name");
    return std::optional(SettingsFile{*named, true});
  }
  if (const char* file = environment("ZARVO_CONFIG")) return std::optional(SettingsFile{fs::path(file), true});
  if (const char* xdg = environment("XDG_CONFIG_HOME")) {
    return std::optional(SettingsFile{fs::path(xdg) / "zarvo" / "config.toml", false});
  }
  if (const char* home = environment("HOME")) {
    return std::optional(SettingsFile{fs::path(home) / ".config" / "zarvo" / "config.toml", false});
  }
  return std::optional<SettingsFile>();
}

Error readSync(const Reader& reader, const toml::table& root, Settings& settings) {
  const auto sync = reader.table(root, "sync", {"connect-timeout", "idle-timeout", "interval"});
  if (!sync) return sync.error();
  if (auto e = reader.seconds(*sync, "sync", "connect-timeout", 1, 3600, settings.syncTimeouts.connect)) return e;
  if (auto e = reader.seconds(*sync, "sync", "idle-timeout", 1, 3600, settings.syncTimeouts.idle)) return e;
  std::chrono::milliseconds interval{0};
  if (auto e = reader.seconds(*sync, "sync", "interval", 60, 86400, interval)) return e;
  if (interval.count() > 0) settings.syncInterval = interval;
  return {};
}

// "10m", "2h", "1d" (1 to 999 of a unit) or "tomorrow".
bool validSnoozeChoice(std::string_view choice) {
  if (choice == "tomorrow") return true;
  if (choice.size() < 2 || choice.size() > 4 || choice.find_first_of("mhd") != choice.size() - 1) return false;
  const std::string_view digits = choice.substr(0, choice.size() - 1);
  return digits.front() != '0' && digits.find_first_not_of("0123456789") == std::string_view::npos;
}

Error readReminders(const Reader& reader, const toml::table& root, Settings& settings) {
  const auto reminders = reader.table(root, "reminders", {"at-due-time", "snooze"});
  if (!reminders) return reminders.error();
  const toml::table* table = *reminders;
  if (auto e = reader.boolean(table, "reminders", "at-due-time", settings.reminders.atDueTime)) return e;
  const toml::node* node = table ? table->get("snooze") : nullptr;
  if (node == nullptr) return {};
  const toml::array* array = node->as_array();
  if (array == nullptr || array->size() > kMaxSnoozeChoices) {
    return reader.fail(node->source(), "'reminders.snooze' must be a list of at most " +
                                           std::to_string(kMaxSnoozeChoices) + " choices such as [\"10m\", \"1h\", \"tomorrow\"]");
  }
  std::vector<std::string> choices;
  for (const toml::node& item : *array) {
    const auto choice = item.value<std::string>();
    if (!item.is_string() || !choice || !validSnoozeChoice(*choice)) {
      return reader.fail(item.source(), "a 'reminders.snooze' choice must be \"<n>m\", \"<n>h\", \"<n>d\" or \"tomorrow\"");
    }
    if (std::find(choices.begin(), choices.end(), *choice) != choices.end()) {
      return reader.fail(item.source(), "'reminders.snooze' names \"" + *choice + "\" twice");
    }
    choices.push_back(*choice);
  }
  settings.reminders.snooze = std::move(choices);
  return {};
}

Expected<Settings> parseSettings(std::string_view text, const fs::path& file) {
  Settings settings = Settings::defaults();
  settings.file = file;
  const Reader reader(file);
  toml::table root;
  try {
    root = toml::parse(text, file.string());
  } catch (const toml::parse_error& e) {
    // toml++ reports by exception; it ends here.
    return reader.fail(e.source(), std::string(e.description()));
  }
  for (const auto& [key, value] : root) {
    if (key.str() != "quick-entry" && key.str() != "tasks" && key.str() != "display" && key.str() != "sync" &&
        key.str() != "reminders") {
      return reader.fail(key.source(), "unknown setting '" + std::string(key.str()) +
                                           "' (the tables are [quick-entry], [tasks], [display], [sync] and [reminders])");
    }
  }
  if (auto e = readQuickEntry(reader, root, settings.quickEntry, settings.remindMePhrases)) return e;
  if (auto e = readTasks(reader, root, settings)) return e;
  if (auto e = readDisplay(reader, root, settings)) return e;
  if (auto e = readSync(reader, root, settings)) return e;
  if (auto e = readReminders(reader, root, settings)) return e;
  return settings;
}

Expected<Settings> loadSettings(const std::optional<SettingsFile>& file) {
  if (!file) return Settings::defaults();
  const std::string name = "the settings file '" + file->path.string() + "'";
  auto& system = *platform::FileSystem::posix();
  platform::FileInfo info;
  if (Error e = system.stat(file->path, info)) return Error(e, "cannot read " + name + ": " + e.message());
  if (!info.exists) {
    if (!file->required) return Settings::defaults();
    return Error(std::make_error_code(std::errc::no_such_file_or_directory), "cannot read " + name + ": it does not exist");
  }
  // Checked before reading: a folder would otherwise pass for an empty file, and a FIFO or a device
  // (/dev/zero) would block or never end.
  if (info.isDirectory) return Error(std::make_error_code(std::errc::is_a_directory), name + " is a folder");
  if (!info.isRegular) return Error(std::make_error_code(std::errc::invalid_argument), name + " is not a regular file");
  const auto tooLarge = [&] {
    return Error(std::make_error_code(std::errc::file_too_large),
                 name + " is larger than " + std::to_string(kMaxSettingsBytes >> 10) + " KiB");
  };
  if (info.size > kMaxSettingsBytes) return tooLarge();
  std::string text;
  // The file system's read refuses anything but a regular file without blocking, also when the
  // file was replaced since the check above.
  if (Error e = system.readFile(file->path, text)) return Error(e, "cannot read " + name + ": " + e.message());
  if (text.size() > kMaxSettingsBytes) return tooLarge();
  return parseSettings(text, file->path);
}

Expected<Settings> loadSettings(const std::optional<fs::path>& named) {
  auto file = findSettingsFile(named);
  if (!file) return file.error();
  return loadSettings(*file);
}

std::string formatDate(std::string_view format, int64_t year, int64_t month, int64_t day, int weekday) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    switch (format[++i]) {
      case 'Y': platform::appendZeroPadded(out, year, 4); break;
      case 'y': platform::appendZeroPadded(out, ((year % 100) + 100) % 100, 2); break;
      case 'm': platform::appendZeroPadded(out, month, 2); break;
      case 'd': platform::appendZeroPadded(out, day, 2); break;
      case 'e': out += std::to_string(day); break;
      case 'b': out += kMonths[(month + 11) % 12]; break;
      case 'a': out += kWeekdays[((weekday - 1) % 7 + 7) % 7]; break;
      case '%': out += '%'; break;
      default: out += '%'; out += format[i];
    }
  }
  return out;
}

}  // namespace zarvo
