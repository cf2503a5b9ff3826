#include "zarvo/alarms/daemon_switch.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "zarvo/alarms/daemon_setup.h"
#include "zarvo/platform/process.h"

namespace zarvo::alarms {

namespace fs = std::filesystem;

namespace {

// A systemd user manager runs this session: systemctl is there and the manager's private socket is in
// the runtime folder. (A systemctl without a user manager would only fail.)
std::optional<fs::path> systemctlOfSession(platform::FileSystem& files) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == '\0') return std::nullopt;
  platform::FileInfo info;
  if (files.stat(fs::path(runtime) / "systemd" / "private", info) || !info.exists) return std::nullopt;
  return platform::findProgram("systemctl");
}

struct Run {
  bool ok = false;
  std::string lastLine;
};

Run systemctl(const fs::path& program, const std::vector<std::string>& verb, bool ofUnit = true) {
  std::vector<std::string> args = {"--user"};
  args.insert(args.end(), verb.begin(), verb.end());
  if (ofUnit) args.emplace_back(kDaemonUnit);
  Run run;
  const platform::ProcessResult result =
      platform::runProcess(program.string(), args, {}, [&](std::string_view line) {
        if (!line.empty()) run.lastLine = std::string(line);
      });
  if (result.startError) run.lastLine = *result.startError;
  run.ok = result.succeeded();
  return run;
}

// Writes the unit's drop-in for `target`, or removes it when there is nothing to say (or the daemon
// is turned off). Answers whether anything changed.
Expected<bool> placeDropIn(platform::FileSystem& files, const DaemonTarget& target, bool enable) {
  const std::optional<fs::path> path = unitDropInPath();
  if (!path) {
    if (!enable || target.empty()) return false;
    return Error(std::make_error_code(std::errc::no_such_file_or_directory),
                 "no folder for the unit's settings: set XDG_CONFIG_HOME or HOME");
  }
  platform::FileInfo info;
  const bool present = files.stat(*path, info).ok() && info.exists;
  if (!enable || target.empty()) {
    if (!present) return false;
    if (Error e = files.removeFile(*path); !e.ok()) return e;
    return true;
  }
  auto text = unitDropIn(target);
  if (!text) return text.error();
  if (Error e = platform::createDirectories(files, path->parent_path()); !e.ok()) return e;
  if (Error e = platform::writeFileAtomically(files, *path, *text, 0644); !e.ok()) return e;
  return true;
}

Error systemctlFailed(const std::string& command, const Run& run) {
  return Error(std::make_error_code(std::errc::io_error), "systemctl --user " + command + " failed: " + run.lastLine);
}

DaemonStart autostartStatus(platform::FileSystem& files, const AutostartPaths& paths) {
  DaemonStart start;
  start.enabled = autostartEnabled(files, paths);
  start.entry = paths.user;
  return start;
}

}  // namespace

std::optional<fs::path> findDaemonProgram(const fs::path& program) {
  for (const fs::path& candidate : {program.parent_path() / kDaemonProgram,
                                    program.parent_path().parent_path() / "reminders-daemon" / kDaemonProgram}) {
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return platform::findProgram(kDaemonProgram);
}

Expected<DaemonStart> daemonStartStatus(platform::FileSystem& files) {
  if (const auto program = systemctlOfSession(files)) {
    DaemonStart start;
    start.starter = DaemonStarter::systemd;
    start.enabled = systemctl(*program, {"is-enabled"}).ok;
    start.running = systemctl(*program, {"is-active"}).ok;
    return start;
  }
  return autostartStatus(files, AutostartPaths::fromEnvironment());
}

Expected<DaemonStart> switchDaemonStart(bool enable, const std::optional<fs::path>& daemon, const DaemonTarget& target,
                                        platform::FileSystem& files) {
  const std::string verb = enable ? "enable" : "disable";
  if (const auto program = systemctlOfSession(files)) {
    if (!enable) {
      const Run done = systemctl(*program, {verb, "--now"});
      if (!done.ok) return systemctlFailed(verb + " --now " + std::string(kDaemonUnit), done);
    }
    auto changed = placeDropIn(files, target, enable);
    if (!changed) return Error(changed.error(), "cannot change the unit's settings: " + changed.error().message());
    if (*changed) {
      if (const Run done = systemctl(*program, {"daemon-reload"}, false); !done.ok) return systemctlFailed("daemon-reload", done);
    }
    if (enable) {
      // restart rather than start: a daemon already running serves the target it started with.
      for (const char* step : {"enable", "restart"}) {
        const Run done = systemctl(*program, {step});
        if (!done.ok) return systemctlFailed(std::string(step) + " " + std::string(kDaemonUnit), done);
      }
    }
    DaemonStart start;
    start.starter = DaemonStarter::systemd;
    start.enabled = start.running = enable;
    return start;
  }
  if (!daemon) {
    return Error(std::make_error_code(std::errc::no_such_file_or_directory),
                 std::string(kDaemonProgram) + " is not installed");
  }
  const AutostartPaths paths = AutostartPaths::fromEnvironment();
  const Error e = enable ? enableAutostart(files, paths, *daemon, target) : disableAutostart(files, paths, *daemon);
  if (!e.ok()) return Error(e, "cannot change the autostart entry: " + e.message());
  return autostartStatus(files, paths);
}

}  // namespace zarvo::alarms
