// Turning the reminders daemon on and off for a person's sessions, the same way from every front end.
// In a session run by a systemd user manager it is the user unit (`systemctl --user enable|disable
// --now`, so enabling starts it at once); elsewhere it is the user's XDG autostart entry
// (daemon_setup.h), which starts it at the next login. Blocks while systemctl runs; callable from any
// thread that may read the environment.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "zarvo/alarms/daemon_setup.h"
#include "zarvo/platform/error.h"
#include "zarvo/platform/filesystem.h"

namespace zarvo::alarms {

enum class DaemonStarter { systemd, autostart };

struct DaemonStart {
  DaemonStarter starter = DaemonStarter::autostart;
  bool enabled = false;  // starts with the session
  bool running = false;  // systemd: the unit is active now (autostart: not known, false)
  std::optional<std::filesystem::path> entry;  // autostart: the user's entry, when there is a user folder
};

// The daemon of the installation that `program` belongs to: beside it (an installed tree), in the
// build tree's reminders-daemon/ folder beside the program's folder, else on PATH.
std::optional<std::filesystem::path> findDaemonProgram(const std::filesystem::path& program);

// Whether the daemon starts with the session, and (systemd) whether it runs. Files are read through
// `fs` (tests pass their own; default: POSIX).
[[nodiscard]] Expected<DaemonStart> daemonStartStatus(platform::FileSystem& fs = *platform::FileSystem::posix());

// Makes the daemon start with the session (`enable`) or no longer, and says how it stands after.
// `daemon` is the program an autostart entry runs (findDaemonProgram); without systemd, a missing
// `daemon` is refused with std::errc::no_such_file_or_directory. A failing systemctl gives
// std::errc::io_error with systemctl's command and last line of output.
// Enabling makes the daemon serve `target` (daemon_setup.h): the autostart entry passes its
// arguments; under systemd the unit's drop-in (unitDropIn) says it, or is removed when the target is
// empty, and a running daemon is restarted so that it serves the new target at once. Disabling
// removes the drop-in.
[[nodiscard]] Expected<DaemonStart> switchDaemonStart(bool enable, const std::optional<std::filesystem::path>& daemon,
                                                      const DaemonTarget& target = {},
                                                      platform::FileSystem& fs = *platform::FileSystem::posix());

}  // namespace zarvo::alarms
