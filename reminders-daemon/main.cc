// zarvo-reminders: rings the alarms of the tasks in a zarvo home through the desktop's notifications.
//
//   zarvo-reminders [--home DIR] [--config FILE] [--remind-at-due-time]
//
// The home is found as zarvo finds it: --home, else $ZARVO_HOME, else $XDG_DATA_HOME/zarvo; the
// settings too: --config, else $ZARVO_CONFIG, else $XDG_CONFIG_HOME/zarvo/config.toml. Their
// [reminders] table chooses what rings; --remind-at-due-time turns on `at-due-time` whatever the file
// says. One daemon serves a home: a second one started for it (by the systemd unit and the autostart
// entry both, say) exits at once with status 0.
#include <cstdio>
#include <cstring>
#include <string>

#include "reminders-daemon/daemon.h"
#include "zarvo/alarms/daemon_setup.h"
#include "zarvo/home/home.h"
#include "zarvo/home/settings.h"

namespace {

constexpr const char* kUsage = "usage: zarvo-reminders [--home DIR] [--config FILE] [--remind-at-due-time]\n";

}  // namespace

int main(int argc, char** argv) {
  zarvo::remindersd::DaemonOptions options;
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
  if (complete) return zarvo::remindersd::completeTask(*home, complete->first, complete->second);
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
  options.home = *home;
  options.busName = zarvo::alarms::daemonBusName(*home);
  return zarvo::remindersd::Daemon(std::move(options)).run();
}
