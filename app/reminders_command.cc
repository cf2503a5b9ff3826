// `zarvo reminders enable|disable|status`: starts the reminders daemon with the session, stops it, or
// says whether it runs. In a systemd session this is the user unit (systemctl --user ... --now, so
// enabling starts it at once); without systemd it is the XDG autostart entry in the user's config
// folder, which starts the daemon at the next login.
#include <fmt/format.h>
#include <unistd.h>

#include <cstdlib>

#include "app/commands.h"
#include "app/terminal_text.h"
#include "zarvo/alarms/daemon_setup.h"
#include "zarvo/platform/process.h"

namespace zarvo::app {

namespace {

namespace fs = std::filesystem;

struct RemindersOptions {
  std::string action;
  bool json = false;
};

// A systemd user manager runs this session: systemctl is there and the manager's private socket is in
// the runtime folder. (A systemctl without a user manager would only fail.)
std::optional<fs::path> systemctlOfSession() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == '\0') return std::nullopt;
  std::error_code ec;
  if (!fs::exists(fs::path(runtime) / "systemd" / "private", ec)) return std::nullopt;
  return platform::findProgram("systemctl");
}

struct Run {
  bool ok = false;
  std::string lastLine;
};

Run systemctl(const fs::path& program, const std::vector<std::string>& verb) {
  std::vector<std::string> args = {"--user"};
  args.insert(args.end(), verb.begin(), verb.end());
  args.emplace_back(alarms::kDaemonUnit);
  Run run;
  const platform::ProcessResult result =
      platform::runProcess(program.string(), args, {}, [&](std::string_view line) {
        if (!line.empty()) run.lastLine = std::string(line);
      });
  if (result.startError) run.lastLine = *result.startError;
  run.ok = result.succeeded();
  return run;
}

// The daemon of this installation: beside this program (an installed tree), in the build tree's
// folder beside app/, else on PATH.
std::optional<fs::path> daemonProgram() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (const fs::path& candidate : {self.parent_path() / alarms::kDaemonProgram,
                                      self.parent_path().parent_path() / "reminders-daemon" / alarms::kDaemonProgram}) {
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
  }
  return platform::findProgram(alarms::kDaemonProgram);
}

int run(const RemindersOptions& o) {
  if (const auto program = systemctlOfSession()) {
    if (o.action == "status") {
      const Run enabled = systemctl(*program, {"is-enabled"});
      const Run active = systemctl(*program, {"is-active"});
      if (o.json) {
        printJson({{"manager", "systemd"}, {"enabled", enabled.ok}, {"running", active.ok}});
      } else {
        std::cout << fmt::format("zarvo-reminders: {}, {} (systemd user unit {})\n", enabled.ok ? "enabled" : "disabled",
                                 active.ok ? "running" : "not running", alarms::kDaemonUnit);
      }
      return 0;
    }
    const Run done = systemctl(*program, {o.action, "--now"});
    if (!done.ok) throw RefusedError(fmt::format("systemctl --user {} --now {} failed: {}", o.action, alarms::kDaemonUnit, done.lastLine));
    if (o.json) {
      printJson({{"manager", "systemd"}, {"enabled", o.action == "enable"}, {"running", o.action == "enable"}});
    } else {
      std::cout << fmt::format("zarvo-reminders: {} (systemd user unit {})\n",
                               o.action == "enable" ? "enabled and started" : "stopped and disabled", alarms::kDaemonUnit);
    }
    return 0;
  }

  auto& files = *platform::FileSystem::posix();
  const alarms::AutostartPaths paths = alarms::AutostartPaths::fromEnvironment();
  if (o.action != "status") {
    const auto program = daemonProgram();
    if (!program) throw RefusedError("zarvo-reminders is not installed beside zarvo or on PATH");
    const Error e = o.action == "enable" ? alarms::enableAutostart(files, paths, *program)
                                         : alarms::disableAutostart(files, paths, *program);
    if (!e.ok()) throw RefusedError("cannot change the autostart entry: " + e.message());
  }
  const bool enabled = alarms::autostartEnabled(files, paths);
  const std::string where = paths.user ? paths.user->string() : std::string();
  if (o.json) {
    printJson({{"manager", "autostart"}, {"enabled", enabled}, {"entry", where}});
  } else if (o.action == "enable") {
    std::cout << fmt::format("zarvo-reminders: enabled; it starts at your next login ({})\n", shownText(where));
  } else {
    std::cout << fmt::format("zarvo-reminders: {} (autostart entry {})\n", enabled ? "enabled" : "disabled", shownText(where));
  }
  return 0;
}

}  // namespace

void registerRemindersCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<RemindersOptions>();
  CLI::App* command = app.add_subcommand(
      "reminders", "Start zarvo-reminders with your session (enable), stop it (disable), or say whether it runs");
  command->add_option("ACTION", o->action, "enable, disable or status")
      ->required()
      ->check(CLI::IsMember({"enable", "disable", "status"}));
  command->add_flag("--json", o->json,
                    "Print {\"manager\": \"systemd\" | \"autostart\", \"enabled\", \"running\" (systemd) | \"entry\"}");
  command->callback([o, &program] { program.exitCode = run(*o); });
}

}  // namespace zarvo::app
