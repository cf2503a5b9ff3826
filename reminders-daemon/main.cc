// zarvo-reminders: rings the alarms of the tasks in a zarvo home through the desktop's notifications.
//
//   zarvo-reminders [--home DIR] [--config FILE] [--remind-at-due-time]
//
// The home is found as zarvo finds it: --home, else $ZARVO_HOME, else $XDG_DATA_HOME/zarvo; the
// settings too: --config, else $ZARVO_CONFIG, else $XDG_CONFIG_HOME/zarvo/config.toml. Their
// [reminders] table chooses what rings; --remind-at-due-time turns on `at-due-time` whatever the file
// says. One daemon serves a home: a second one started for it (by the systemd unit and the autostart
// entry both, say) exits at once with status 0.
//
// A notification offers Done, the Snooze choices of the settings, and Open when zarvo-desktop is
// installed beside this program or on PATH. What the daemon writes (a completion, ACKNOWLEDGED on an
// alarm shown, a snooze alarm) it writes through the library in a process of its own: this program
// run again with one of the helper arguments below, which are not for people.
//
//   --complete UID TITLE
//   --acknowledge NOW UID INDEX AT [UID INDEX AT]...     (times in seconds since 1970, UTC)
//   --snooze NOW UNTIL UID INDEX AT
//   --clock-offset SECONDS   runs as if the clock read SECONDS later (end-to-end tests of snoozes)
#include <malloc.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "reminders-daemon/daemon.h"
#include "zarvo/alarms/daemon_setup.h"
#include "zarvo/home/front_end.h"
#include "zarvo/home/home.h"
#include "zarvo/home/settings.h"
#include "zarvo/platform/clock.h"
#include "zarvo/platform/process.h"

namespace {

constexpr const char* kUsage = "usage: zarvo-reminders [--home DIR] [--config FILE] [--remind-at-due-time]\n";

using zarvo::Date;

std::optional<long long> integer(const char* text) {
  long long value = 0;
  const char* end = text + std::strlen(text);
  auto [at, ec] = std::from_chars(text, end, value);
  if (ec != std::errc() || at != end) return std::nullopt;
  return value;
}

std::optional<Date> moment(const char* text) {
  auto v = integer(text);
  if (!v) return std::nullopt;
  return Date(std::chrono::seconds(*v));
}

// Alarms given as UID INDEX AT triples; none when one does not read.
std::optional<std::vector<zarvo::remindersd::RungAlarm>> rungAlarms(char** args, int count) {
  if (count <= 0 || count % 3 != 0) return std::nullopt;
  std::vector<zarvo::remindersd::RungAlarm> out;
  for (int i = 0; i < count; i += 3) {
    auto index = integer(args[i + 1]);
    auto at = moment(args[i + 2]);
    if (!index || *index < 0 || !at) return std::nullopt;
    out.push_back({args[i], static_cast<size_t>(*index), *at});
  }
  return out;
}

class OffsetClock final : public zarvo::platform::Clock {
 public:
  explicit OffsetClock(std::chrono::seconds offset) : offset_(offset) {}
  Date now() const override { return std::chrono::floor<Date::duration>(std::chrono::system_clock::now()) + offset_; }

 private:
  std::chrono::seconds offset_;
};

}  // namespace

int main(int argc, char** argv) {
  // Fixed thresholds: glibc's adaptive ones rise after the first read of a large home frees its big
  // blocks, and then keep tens of megabytes of freed memory resident while the daemon sleeps.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  mallopt(M_TRIM_THRESHOLD, 128 * 1024);
  // Done on a repeating task writes its next due: its alarm follows the due, as zarvo's do.
  zarvo::enableFrontEndOptions();
  zarvo::remindersd::DaemonOptions options;
  // The daemon and its helpers read and write the home through the file system a home opens with.
  options.fileSystem = zarvo::HomeOptions().fileSystemOrDefault();
  std::optional<std::filesystem::path> home;
  std::optional<std::filesystem::path> config;
  bool atDueTime = false;
  std::optional<std::pair<std::string, std::string>> complete;  // UID, title
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--home" || arg == "--config") && i + 1 < argc) {
      (arg == "--home" ? home : config) = argv[++i];
    } else if (arg.rfind("--home=", 0) == 0) {
      home = arg.substr(7);
    } else if (arg.rfind("--config=", 0) == 0) {
      config = arg.substr(9);
    } else if (arg == "--complete" && i + 2 < argc) {
      // The daemon's own helper (Daemon::complete): not for people, so not in the usage.
      complete = {argv[i + 1], argv[i + 2]};
      i += 2;
    } else if (arg == "--acknowledge" && i + 1 < argc) {
      auto now = moment(argv[i + 1]);
      auto alarms = rungAlarms(argv + i + 2, argc - i - 2);
      if (!now || !alarms) {
        std::fprintf(stderr, "zarvo-reminders: --acknowledge needs NOW and UID INDEX AT triples\n");
        return 2;
      }
      if (!home) home = zarvo::Home::defaultPath();
      if (!home) return 2;
      return zarvo::remindersd::acknowledgeAlarms(*home, options.fileSystem, *now, *alarms);
    } else if (arg == "--snooze" && i + 5 < argc) {
      auto now = moment(argv[i + 1]);
      auto until = moment(argv[i + 2]);
      auto alarms = rungAlarms(argv + i + 3, 3);
      if (!now || !until || !alarms || i + 6 != argc) {
        std::fprintf(stderr, "zarvo-reminders: --snooze needs NOW UNTIL UID INDEX AT\n");
        return 2;
      }
      if (!home) home = zarvo::Home::defaultPath();
      if (!home) return 2;
      return zarvo::remindersd::snoozeAlarm(*home, options.fileSystem, alarms->front(), *now, *until);
    } else if (arg == "--clock-offset" && i + 1 < argc) {
      auto seconds = integer(argv[++i]);
      if (!seconds) {
        std::fprintf(stderr, "zarvo-reminders: --clock-offset needs seconds\n");
        return 2;
      }
      zarvo::platform::Clock::setCurrent(std::make_shared<OffsetClock>(std::chrono::seconds(*seconds)));
    } else if (arg == "--remind-at-due-time") {
      atDueTime = true;
    } else if (arg == "--help" || arg == "-h") {
      std::printf("%s", kUsage);
      return 0;
    } else {
      std::fprintf(stderr, "zarvo-reminders: unknown argument '%s'\n%s", argv[i], kUsage);
      return 2;
    }
  }
  if (!home) home = zarvo::Home::defaultPath();
  if (!home) {
    std::fprintf(stderr, "zarvo-reminders: no home: set --home, ZARVO_HOME or HOME\n");
    return 2;
  }
  if (complete) return zarvo::remindersd::completeTask(*home, options.fileSystem, complete->first, complete->second);
  if (config && config->empty()) {
    std::fprintf(stderr, "zarvo-reminders: --config needs a file\n");
    return 2;
  }
  // A settings file that cannot be used stops the daemon: ringing with choices the person did not
  // make would be worse than saying so (the systemd unit does not restart on status 2).
  auto settings = zarvo::loadSettings(config);
  if (!settings) {
    std::fprintf(stderr, "zarvo-reminders: %s\n", settings.error().message().c_str());
    return 2;
  }
  options.schedule.remindAtDueTime = atDueTime || settings->reminders.atDueTime;
  options.snooze = settings->reminders.snooze;
  options.home = *home;
  // Open starts the desktop app installed with this program, else the one on PATH.
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && ::access((self.parent_path() / "zarvo-desktop").c_str(), X_OK) == 0) {
    options.desktop = self.parent_path() / "zarvo-desktop";
  } else {
    options.desktop = zarvo::platform::findProgram("zarvo-desktop");
  }
  options.busName = zarvo::alarms::daemonBusName(*home);
  return zarvo::remindersd::Daemon(std::move(options)).run();
}
