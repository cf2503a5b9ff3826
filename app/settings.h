// The program's settings: a TOML file, by default $XDG_CONFIG_HOME/zarvo/config.toml
// (~/.config/zarvo/config.toml). `--config FILE` and, below it, $ZARVO_CONFIG name another file.
//
//   [quick-entry]
//   languages = ["en", "de"]     # read besides English; default: the language of the locale
//   forward-dates = true         # every key of this table defaults to true
//   capital-time-zones = true
//   false-date-guard = true
//   afternoon-hours = true
//   clean-titles = true
//
//   [tasks]
//   default-list = "Work"        # the list of new tasks; default: the home's default list
//
//   [display]
//   date-format = "%Y-%m-%d"     # dates in the table beyond next week; %Y %y %m %d %e %b %a %%
//   week-starts-on = "monday"    # "this week" and "next week" in the table; default monday
//
// A missing default file means every default; a file named by --config or $ZARVO_CONFIG must exist.
// A file that does not parse, a key that does not exist and a value of the wrong kind are usage errors
// naming the file and the line.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "zarvo/chrono/options.h"
#include "zarvo/quickentry/quick_entry_options.h"

namespace zarvo::app {

struct Settings {
  // Every correction on; English and the locale's language (settings.cc: localeLanguages()).
  QuickEntryOptions quickEntry;
  // The title of the list new tasks go to without a list in the line or --list; absent: the home's
  // default list.
  std::optional<std::string> defaultList;
  // How the table writes a due date beyond next week.
  std::string dateFormat = "%Y-%m-%d";
  // The first day of the week, 1 = Sunday ... 7 = Saturday (the calendar's numbering). Default Monday.
  int firstWeekday = 2;
  // The file the settings came from; empty when none was read.
  std::filesystem::path file;
};

// The settings file to read: `option` (--config), else $ZARVO_CONFIG, else
// $XDG_CONFIG_HOME/zarvo/config.toml, else $HOME/.config/zarvo/config.toml; `required` tells whether
// it must exist (it must when named). Nothing when no variable names a place.
struct SettingsFile {
  std::filesystem::path path;
  bool required = false;
};
std::optional<SettingsFile> settingsFile(const std::optional<std::string>& option);

// Reads the settings (defaults for what the file leaves out). Throws UsageError "FILE:LINE: what is
// wrong" for a file that cannot be used.
Settings loadSettings(const std::optional<std::string>& option);

// Reads settings from TOML text; `file` names it in errors. Throws UsageError.
Settings parseSettings(std::string_view toml, const std::filesystem::path& file);

// The language of the user's locale ($LC_ALL, else $LC_MESSAGES, else $LANG: "de_DE.UTF-8" is German)
// when it is one of the six the date engine reads and not English; empty otherwise.
std::set<chrono::Language> localeLanguages();

// `date` written with `format`'s conversions: %Y year, %y two-digit year, %m month and %d day with a
// leading zero, %e day without, %b and %a the English month and weekday abbreviation, %% a percent
// sign. The format is checked when the settings are read.
std::string formatDate(std::string_view format, int64_t year, int64_t month, int64_t day, int weekday);


}  // namespace zarvo::app
