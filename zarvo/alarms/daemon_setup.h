// How the reminders daemon is started for a person, shared by every front end that offers to turn it
// on or off: the names it is installed under, the XDG autostart entry that starts it at login in
// sessions without systemd, and the session-bus name that keeps a home to one running daemon.
//
// Turning it on under systemd is `systemctl --user enable --now zarvo-reminders.service` (daemon_switch.h
// runs it); without systemd it is the user's autostart entry, written here through
// platform::FileSystem. Callable from any thread; the functions reading the environment must not run
// while another thread changes it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/error.h"
#include "zarvo/platform/filesystem.h"

namespace zarvo::alarms {

inline constexpr std::string_view kDaemonProgram = "zarvo-reminders";
inline constexpr std::string_view kDaemonUnit = "zarvo-reminders.service";
inline constexpr std::string_view kAutostartEntryName = "zarvo-reminders.desktop";

// Which home and settings the daemon serves when it is started with the session: those the person
// chose when turning it on (`zarvo --home H --config C reminders enable`, or ZARVO_HOME and
// ZARVO_CONFIG set then), else none, and the daemon finds them as it would by itself. Paths are made
// absolute when chosen: the session starts the daemon in another folder.
struct DaemonTarget {
  std::optional<std::filesystem::path> home;
  std::optional<std::filesystem::path> config;
  // The chosen paths, else $ZARVO_HOME and $ZARVO_CONFIG (empty counts as unset), made absolute.
  static DaemonTarget chosen(const std::optional<std::filesystem::path>& home,
                             const std::optional<std::filesystem::path>& config);
  // "--home H --config C", as far as they are set.
  std::vector<std::string> arguments() const;
  bool empty() const { return !home && !config; }
};

// The autostart entry that runs `program` at login with `target`'s arguments. It carries
// X-systemd-skip=true: in a systemd session the user unit starts the daemon, and the entry must not
// start a second one. `hidden` gives the entry that turns off one of the same name in a system
// folder (Hidden=true).
std::string autostartEntry(const std::filesystem::path& program, bool hidden = false, const DaemonTarget& target = {});

// The drop-in that points the installed user unit at `target` (as ZARVO_HOME and ZARVO_CONFIG in the
// service's environment, which the daemon reads as it would --home and --config), and where it goes:
// $XDG_CONFIG_HOME/systemd/user/zarvo-reminders.service.d/target.conf, else under $HOME/.config; none
// when neither is set. A path holding a line break cannot be said in a unit file: refused
// (std::errc::invalid_argument).
[[nodiscard]] Expected<std::string> unitDropIn(const DaemonTarget& target);
std::optional<std::filesystem::path> unitDropInPath();

// Where autostart entries are looked for, in order of precedence: the user's folder
// ($XDG_CONFIG_HOME/autostart, else $HOME/.config/autostart; absent when neither is set), then each
// folder of $XDG_CONFIG_DIRS (default /etc/xdg) + "/autostart". Each path ends in kAutostartEntryName.
struct AutostartPaths {
  std::optional<std::filesystem::path> user;
  std::vector<std::filesystem::path> system;
  static AutostartPaths fromEnvironment();
};

// Whether the autostart entries start the daemon at login: the first entry that exists decides, and
// one that says Hidden=true does not start it. Unreadable entries count as absent.
bool autostartEnabled(platform::FileSystem& fs, const AutostartPaths& paths);

// Writes the user's entry running `program` for `target` (creating the folder). Errors: no user
// folder (std::errc::no_such_file_or_directory), or the file system's.
Error enableAutostart(platform::FileSystem& fs, const AutostartPaths& paths, const std::filesystem::path& program,
                      const DaemonTarget& target = {});
// Removes the user's entry; when a system entry would then start the daemon, writes a hidden entry
// in its place instead. Nothing to do is no error.
Error disableAutostart(platform::FileSystem& fs, const AutostartPaths& paths, const std::filesystem::path& program);

// The session-bus name a daemon holds while it serves `home`: a second daemon for the same home
// (however its path is spelled) finds it taken and leaves; daemons of other homes get other names.
std::string daemonBusName(const std::filesystem::path& home);

}  // namespace zarvo::alarms
