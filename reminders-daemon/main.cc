// zarvo-reminders: rings the alarms of the tasks in a zarvo home through the desktop's notifications.
//
//   zarvo-reminders [--home DIR] [--remind-at-due-time]
//
// The home is found as zarvo finds it: --home, else $ZARVO_HOME, else $XDG_DATA_HOME/zarvo.
#include <cstdio>
#include <cstring>
#include <string>

#include "reminders-daemon/daemon.h"
#include "zarvo/home/home.h"

int main(int argc, char** argv) {
  zarvo::remindersd::DaemonOptions options;
  std::optional<std::filesystem::path> home;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--home" && i + 1 < argc) {
      home = argv[++i];
    } else if (arg.rfind("--home=", 0) == 0) {
      home = arg.substr(7);
    } else if (arg == "--remind-at-due-time") {
      options.schedule.remindAtDueTime = true;
    } else if (arg == "--help" || arg == "-h") {
      std::printf("usage: zarvo-reminders [--home DIR] [--remind-at-due-time]\n");
      return 0;
    } else {
      std::fprintf(stderr, "zarvo-reminders: unknown argument '%s'\n", argv[i]);
      return 2;
    }
  }
  if (!home) home = zarvo::Home::defaultPath();
  if (!home) {
    std::fprintf(stderr, "zarvo-reminders: no home: set --home, ZARVO_HOME or HOME\n");
    return 2;
  }
  options.home = *home;
  return zarvo::remindersd::Daemon(std::move(options)).run();
}
