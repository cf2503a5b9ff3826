#include "app/settings.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <toml++/toml.h>

#include "app/command_error.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

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

class Reader {
 public:
  Reader(const fs::path& file) : file_(file) {}

  [[noreturn]] void fail(const toml::source_region& where, const std::string& what) const {
    throw UsageError(fmt::format("{}:{}: {}", file_.string(), where.begin.line, what));
  }

  // The table `name` of `root`, every key of which must be one of `keys`.
  const toml::table* table(const toml::table& root, std::string_view name,
                           std::initializer_list<std::string_view> keys) const {
    const toml::node* node = root.get(name);
    if (node == nullptr) return nullptr;
    const toml::table* table = node->as_table();
    if (table == nullptr) fail(node->source(), fmt::format("'{}' must be a table ([{}])", name, name));
    for (const auto& [key, value] : *table) {
      if (std::find(keys.begin(), keys.end(), key.str()) == keys.end()) {
        fail(key.source(), fmt::format("unknown setting '{}.{}'", name, key.str()));
      }
    }
    return table;
  }

  void boolean(const toml::table* table, std::string_view section, std::string_view key, bool& out) const {
    if (table == nullptr) return;
    if (const toml::node* node = table->get(key)) {
      const auto value = node->value<bool>();
      if (!node->is_boolean() || !value) fail(node->source(), fmt::format("'{}.{}' must be true or false", section, key));
      out = *value;
    }
  }

  std::optional<std::string> string(const toml::table* table, std::string_view section, std::string_view key) const {
    if (table == nullptr) return std::nullopt;
    const toml::node* node = table->get(key);
    if (node == nullptr) return std::nullopt;
    if (!node->is_string()) fail(node->source(), fmt::format("'{}.{}' must be a string in quotes", section, key));
    return *node->value<std::string>();
  }

 private:
  fs::path file_;
};

bool validDateFormat(std::string_view format) {
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (++i == format.size() || std::string_view("Yymdeba%").find(format[i]) == std::string_view::npos) return false;
  }
  return true;
}

}  // namespace

std::set<Language> localeLanguages() {
  const char* locale = environment("LC_ALL");
  if (locale == nullptr) locale = environment("LC_MESSAGES");
  if (locale == nullptr) locale = environment("LANG");
  if (locale == nullptr) return {};
  // "de", "de_DE.UTF-8", "de.UTF-8", "de@euro": two letters, then nothing or a separator.
  const std::string_view name(locale);
  if (name.size() < 2 || (name.size() > 2 && std::isalpha(static_cast<unsigned char>(name[2])))) return {};
  const auto language = languageCalled(name.substr(0, 2));
  if (!language || *language == Language::english) return {};
  return {*language};
}

std::optional<SettingsFile> settingsFile(const std::optional<std::string>& option) {
  if (option) {
    if (option->empty()) throw UsageError("--config needs a file");
    return SettingsFile{fs::path(*option), true};
  }
  if (const char* file = environment("ZARVO_CONFIG")) return SettingsFile{fs::path(file), true};
  if (const char* xdg = environment("XDG_CONFIG_HOME")) return SettingsFile{fs::path(xdg) / "zarvo" / "config.toml"};
  if (const char* home = environment("HOME")) return SettingsFile{fs::path(home) / ".config" / "zarvo" / "config.toml"};
  return std::nullopt;
}

Settings parseSettings(std::string_view text, const fs::path& file) {
  Settings settings;
  settings.quickEntry = QuickEntryOptions::everyCorrection(localeLanguages());
  settings.file = file;
  const Reader reader(file);
  toml::table root;
  try {
    root = toml::parse(text, file.string());
  } catch (const toml::parse_error& e) {
    reader.fail(e.source(), std::string(e.description()));
  }
  for (const auto& [key, value] : root) {
    if (key.str() != "quick-entry" && key.str() != "tasks" && key.str() != "display") {
      reader.fail(key.source(), fmt::format("unknown setting '{}' (the tables are [quick-entry], [tasks] and "
                                            "[display])", key.str()));
    }
  }

  const toml::table* quick = reader.table(root, "quick-entry",
                                          {"languages", "forward-dates", "capital-time-zones", "false-date-guard",
                                           "afternoon-hours", "clean-titles"});
  QuickEntryOptions& q = settings.quickEntry;
  reader.boolean(quick, "quick-entry", "forward-dates", q.forwardDates);
  reader.boolean(quick, "quick-entry", "capital-time-zones", q.capitalTimeZonesOnly);
  reader.boolean(quick, "quick-entry", "false-date-guard", q.falseDateGuard);
  reader.boolean(quick, "quick-entry", "afternoon-hours", q.afternoonSmallHours);
  reader.boolean(quick, "quick-entry", "clean-titles", q.cleanTitles);
  if (const toml::node* node = quick ? quick->get("languages") : nullptr) {
    const toml::array* array = node->as_array();
    if (array == nullptr) {
      reader.fail(node->source(), "'quick-entry.languages' must be a list such as [\"en\", \"de\"]");
    }
    std::set<Language> languages;
    for (const toml::node& item : *array) {
      const auto name = item.value<std::string>();
      const auto language = name ? languageCalled(*name) : std::nullopt;
      if (!item.is_string() || !language) {
        reader.fail(item.source(), "unknown language in 'quick-entry.languages' (en, de, es, fr, ja, zh)");
      }
      if (*language != Language::english) languages.insert(*language);
    }
    q.languages = std::move(languages);
  }

  const toml::table* tasks = reader.table(root, "tasks", {"default-list"});
  settings.defaultList = reader.string(tasks, "tasks", "default-list");

  const toml::table* display = reader.table(root, "display", {"date-format", "week-starts-on"});
  if (auto format = reader.string(display, "display", "date-format")) {
    if (!validDateFormat(*format)) {
      reader.fail(display->get("date-format")->source(),
                  "'display.date-format' may use only %Y %y %m %d %e %b %a and %%");
    }
    settings.dateFormat = *format;
  }
  if (auto day = reader.string(display, "display", "week-starts-on")) {
    static constexpr std::string_view kDays[] = {"sunday",   "monday", "tuesday", "wednesday",
                                                 "thursday", "friday", "saturday"};
    const auto it = std::find(std::begin(kDays), std::end(kDays), *day);
    if (it == std::end(kDays)) {
      reader.fail(display->get("week-starts-on")->source(), "'display.week-starts-on' must be a day such as \"monday\"");
    }
    settings.firstWeekday = static_cast<int>(it - std::begin(kDays)) + 1;
  }
  return settings;
}

Settings loadSettings(const std::optional<std::string>& option) {
  const std::optional<SettingsFile> file = settingsFile(option);
  std::error_code ec;
  if (!file || (!file->required && !fs::exists(file->path, ec))) {
    Settings settings;
    settings.quickEntry = QuickEntryOptions::everyCorrection(localeLanguages());
    return settings;
  }
  std::ifstream in(file->path, std::ios::binary);
  if (!in) throw UsageError(fmt::format("cannot read the settings file '{}'", file->path.string()));
  std::ostringstream text;
  text << in.rdbuf();
  return parseSettings(text.str(), file->path);
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

}  // namespace zarvo::app
