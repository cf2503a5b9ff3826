// Settings: what a person chooses for every front end at once (the command line, the desktop app),
// read from one TOML file, by default $XDG_CONFIG_HOME/zarvo/config.toml (~/.config/zarvo/config.toml).
//
//   [quick-entry]
//   languages = ["en", "de"]     # read besides English; default: the language of the locale
//   forward-dates = true         # every true/false key of this table defaults to true
//   capital-time-zones = true
//   false-date-guard = true
//   afternoon-hours = true
//   clean-titles = true
//   best-reading = true          # QuickEntryOptions::chooseLanguageByEvidence
//   more-phrases = true          # extraPhrases
//   join-date-and-time = true    # joinDateAndTime
//   times-ahead = true           # timesAhead
//   all-day = true               # allDayDates
//   repetitions = true           # repetitions
//   whole-titles = true          # wholeTitles
//   short-years = true           # shortYears
//   date-order = "language"      # or "day-first", "month-first"; default "language"
//   default-time = "09:00"       # a day-only due gets this time instead of being all-day; default none
//
//   [tasks]
//   default-list = "Work"        # the list of new tasks; default: the home's default list
//
//   [display]
//   date-format = "%Y-%m-%d"     # dates beyond next week; %Y %y %m %d %e %b %a %%
//   week-starts-on = "monday"    # which dates are "this week" and "next week"; default monday
//   report = ["overdue", "today", "flagged"]   # the sections of the default report, in order
//
//   [sync]
//   connect-timeout = 20         # seconds to wait for a connection to a CalDAV server; default 20
//   idle-timeout = 45            # seconds a server may stay silent while it owes an answer; default 45
//   interval = 900               # seconds from one sync to the next in the desktop app; default: off
//
//   [reminders]
//   at-due-time = true           # tasks without alarms ring at their due time; default false
//   snooze = ["10m", "1h", "tomorrow"]   # the Snooze choices, "<n>m", "<n>h", "<n>d" or "tomorrow"
//
// Every key is optional. A missing default file means every default; a file named by the front end
// (or by $ZARVO_CONFIG) must exist. The file must be a regular file of at most kMaxSettingsBytes:
// a folder, a FIFO or a device is refused at once, never read or waited on. A file that does not
// parse, a key that does not exist and a value of the wrong kind are errors whose message is one line
// naming the file and the line: "config.toml:3: unknown setting 'tasks.default-lists'".
//
// Tables are read by the functions of settings.cc, one per table; a new key goes there and into the
// struct below, with its default documented.
//
// Threads: the functions read the environment and the file; call them from any thread, but not while
// another thread changes the environment.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/chrono/options.h"
#include "zarvo/platform/error.h"
#include "zarvo/quickentry/quick_entry_options.h"
#include "zarvo/sync/sync_service.h"
#include "zarvo/sync/vdirsyncer.h"

namespace zarvo {

struct Settings {
  // Default: QuickEntryOptions::recommended, reading English and the locale's language
  // (localeLanguages()), the locale's language (else English) winning ties.
  QuickEntryOptions quickEntry;
  // [quick-entry] reminders: whether quick entry reads "remind me" phrases in a front end that writes
  // the reminder they ask for (QuickEntryOptions::reminders, which `quickEntry` leaves off). Default
  // (absent): the front end's own choice; zarvo add and quick read them.
  std::optional<bool> remindMePhrases;
  // The title of the list new tasks go to when nothing names one. Default (absent): the home's
  // default list.
  std::optional<std::string> defaultList;
  // How a due date beyond next week is written (formatDate). Default "%Y-%m-%d". Checked when read.
  std::string dateFormat = "%Y-%m-%d";
  // The first day of the week, 1 = Sunday ... 7 = Saturday (the calendar's numbering). Default 2,
  // Monday.
  int firstWeekday = 2;
  // The sections of the default report (what the command line shows when no command is given), in
  // the order shown; each of kReportSections. Default overdue, today, flagged. Checked when read.
  std::vector<std::string> report = {"overdue", "today", "flagged"};
  // How long a sync waits on the network (caldav::SyncServiceOptions::timeouts). Default: 20 s to
  // connect, 45 s of silence, so that a server that never answers ends a sync within two minutes.
  // Each is read as a whole number of seconds from 1 to 3600.
  caldav::NetworkTimeouts syncTimeouts;
  // How long after one sync ends a program that stays open (the desktop app) starts the next, read as
  // a whole number of seconds from 60 to 86400 ([sync] interval). Default none: it syncs only when
  // asked. The command line does not sync by itself either way.
  std::optional<std::chrono::milliseconds> syncInterval;
  // What the reminders daemon does.
  struct Reminders {
    // Whether a task without alarms rings at its due time (alarms::ScheduleOptions::remindAtDueTime).
    // Default false: only the alarms the task files hold ring, as other clients of the files show them.
    bool atDueTime = false;
    // The Snooze choices offered with a notification, in order: "<n>m", "<n>h", "<n>d" (n from 1 to
    // 999) or "tomorrow"; at most kMaxSnoozeChoices, none repeated; empty offers no Snooze.
    // Default ["10m", "1h", "tomorrow"].
    std::vector<std::string> snooze{"10m", "1h", "tomorrow"};
  };
  Reminders reminders;
  // The file the settings came from; empty when none was read.
  std::filesystem::path file;

  // Every default, as without a file.
  static Settings defaults();

  // The options a front end that writes the reminders they ask for reads a typed line with:
  // `quickEntry`, with "remind me" phrases read unless `remindMePhrases` is false. Both front ends
  // take their quick-entry options from here, so the one key switches the phrases in each.
  [[nodiscard]] QuickEntryOptions typedLineOptions() const;

  // The options a front end syncs with: the settings' timeouts, and lists that changed on neither
  // side since their last sync left out of vdirsyncer's run. Both front ends take them from here and
  // add only their own conflict resolver, so that the desktop's syncs cost what the command line's do.
  [[nodiscard]] caldav::SyncServiceOptions syncServiceOptions() const;
};

// The names a report section may have: overdue (due before now), today (due by the end of today),
// upcoming (due tomorrow or later), flagged, top (the highest priority), week (due this week),
// no-due (without a due date).
inline constexpr std::string_view kReportSections[] = {"overdue", "today", "upcoming", "flagged", "top", "week", "no-due"};

// The most a settings file may hold: far more than any hand-written file, little enough to read
// at once.
inline constexpr uint64_t kMaxSettingsBytes = uint64_t{1} << 20;
// The most Snooze choices a notification offers (a notification shows a few buttons at most).
inline constexpr size_t kMaxSnoozeChoices = 5;

// Where the settings are: `named` (a front end's --config), else $ZARVO_CONFIG, else
// $XDG_CONFIG_HOME/zarvo/config.toml, else $HOME/.config/zarvo/config.toml. `required` tells whether
// the file must exist (it must when named). Nothing when no variable names a place. Empty variables
// count as unset; an empty `named` is an error (std::errc::invalid_argument).
struct SettingsFile {
  std::filesystem::path path;
  bool required = false;
};
Expected<std::optional<SettingsFile>> findSettingsFile(const std::optional<std::filesystem::path>& named);

// Reads the settings of `file` (defaults for what it leaves out; every default for no file or a
// missing file that is not required). Errors: the file cannot be read (its errno), is not a regular
// file (invalid_argument) or a folder (is_a_directory), is too large (file_too_large), or does not
// say what it must (invalid_argument, "FILE:LINE: what is wrong").
Expected<Settings> loadSettings(const std::optional<SettingsFile>& file);
// findSettingsFile(named), then loadSettings.
Expected<Settings> loadSettings(const std::optional<std::filesystem::path>& named);

// Reads settings from TOML text; `file` names it in errors.
Expected<Settings> parseSettings(std::string_view toml, const std::filesystem::path& file);

// The language of the user's locale ($LC_ALL, else $LC_MESSAGES, else $LANG: "de_DE.UTF-8" is German)
// when it is one of the six the date engine reads; nothing otherwise.
std::optional<chrono::Language> localeLanguage();
// localeLanguage() unless it is English, as a set; empty otherwise.
std::set<chrono::Language> localeLanguages();

// `date` written with `format`'s conversions: %Y year, %y two-digit year, %m month and %d day with a
// leading zero, %e day without, %b and %a the English month and weekday abbreviation (weekday
// 1 = Sunday), %% a percent sign. Settings::dateFormat is checked to use only these.
std::string formatDate(std::string_view format, int64_t year, int64_t month, int64_t day, int weekday);

}  // namespace zarvo
