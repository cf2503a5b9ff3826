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

Run systemctl(const fs::path& program, const std::vector<std::string>& verb) {
  std::vector<std::string> args = {"--user"};
  args.insert(args.end(), verb.begin(), verb.end());
  args.emplace_back(kDaemonUnit);
  Run run;
  const platform::ProcessResult result =
      platform::runProcess(program.string(), args, {}, [&](std::string_view line) {
        if (!line.empty()) run.lastLine = std::string(line);
      });
  if (result.startError) run.lastLine = *result.startError;
  run.ok = result.succeeded();
  return run;
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

Expected<DaemonStart> switchDaemonStart(bool enable, const std::optional<fs::path>& daemon, platform::FileSystem& files) {
  const std::string verb = enable ? "enable" : "disable";
  if (const auto program = systemctlOfSession(files)) {
    const Run done = systemctl(*program, {verb, "--now"});
    if (!done.ok) {
      return Error(std::make_error_code(std::errc::io_error),
                   "systemctl --user " + verb + " --now " + std::string(kDaemonUnit) + " failed: " + done.lastLine);
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
  const Error e = enable ? enableAutostart(files, paths, *daemon) : disableAutostart(files, paths, *daemon);
  if (!e.ok()) return Error(e, "cannot change the autostart entry: " + e.message());
  return autostartStatus(files, paths);
}

}  // namespace zarvo::alarms
