// `zarvo reminders enable|disable|status`: starts the reminders daemon with the session, stops it, or
// says whether it runs. In a systemd session this is the user unit (systemctl --user ... --now, so
// enabling starts it at once); without systemd it is the XDG autostart entry in the user's config
// folder, which starts the daemon at the next login. Either way the daemon serves the home and
// settings given here (--home, --config, ZARVO_HOME, ZARVO_CONFIG).
#include <fmt/format.h>

#include "app/messages.h"
#include "app/commands.h"
#include "app/terminal_text.h"
#include "zarvo/alarms/daemon_setup.h"
#include "zarvo/alarms/daemon_switch.h"
#include "zarvo/platform/process.h"

namespace zarvo::app {

namespace {

struct RemindersOptions {
  std::string action;
  bool json = false;
};

int run(const RemindersOptions& o, const GlobalOptions& globals) {
  // The daemon started with the session serves the home and settings this command was given.
  const auto target = alarms::DaemonTarget::chosen(
      globals.home ? std::optional<std::filesystem::path>(*globals.home) : std::nullopt,
      globals.config ? std::optional<std::filesystem::path>(*globals.config) : std::nullopt);
  std::optional<std::filesystem::path> daemon;
  if (o.action != "status") {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    daemon = ec ? platform::findProgram(alarms::kDaemonProgram) : alarms::findDaemonProgram(self);
  }
  const auto start = o.action == "status" ? alarms::daemonStartStatus()
                                          : alarms::switchDaemonStart(o.action == "enable", daemon, target);
  if (!start) {
    if (start.error() == std::errc::no_such_file_or_directory && !daemon) {
      throw RefusedError(tr("zarvo-reminders is not installed beside zarvo or on PATH"));
    }
    throw RefusedError(start.error().message());
  }
  if (start->starter == alarms::DaemonStarter::systemd) {
    if (o.json) {
      printJson({{"manager", "systemd"}, {"enabled", start->enabled}, {"running", start->running}});
    } else if (o.action == "status") {
      out().line("zarvo-reminders: " + trf("{}, {} (systemd user unit {})", start->enabled ? tr("enabled") : tr("disabled"),
                                           start->running ? tr("running") : tr("not running"), alarms::kDaemonUnit));
    } else {
      out().line("zarvo-reminders: " +
                 trf("{} (systemd user unit {})", o.action == "enable" ? tr("enabled and started") : tr("stopped and disabled"),
                     alarms::kDaemonUnit));
    }
    return 0;
  }
  const std::string where = start->entry ? start->entry->string() : std::string();
  if (o.json) {
    printJson({{"manager", "autostart"}, {"enabled", start->enabled}, {"entry", where}});
  } else if (o.action == "enable") {
    out().line("zarvo-reminders: " + trf("enabled; it starts at your next login ({})", where));
  } else {
    out().line("zarvo-reminders: " + trf("{} (autostart entry {})", start->enabled ? tr("enabled") : tr("disabled"), where));
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
  command->callback([o, &program] { program.exitCode = run(*o, program.globals); });
}

}  // namespace zarvo::app
