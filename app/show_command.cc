// `zarvo show ID...`: every detail of some tasks.
#include "app/commands.h"
#include "app/date_options.h"
#include "app/task_ids.h"
#include "app/task_view.h"

namespace zarvo::app {

namespace {

struct ShowOptions {
  DateOptions date;
  std::vector<std::string> ids;
  bool json = false;
};

int run(const ShowOptions& o, Program& program) {
  const Settings& settings = program.settings();
  const bool colour = useColour(program.globals.color);
  const Date ref = applyDateOptions(o.date);
  std::optional<platform::ScopedClock> fixedNow;
  if (o.date.ref) fixedNow.emplace(std::make_shared<platform::FixedClock>(ref));

  Session session(program.globals, HomeUse::readOnly);
  const auto tasks = resolveTasks(session, o.ids);
  session.finish();
  if (o.json) {
    printJson(tasksJson(tasks, session));
    return 0;
  }
  const ShortIds ids(tasks);
  for (const auto& task : tasks) {
    out().lines(taskDetails(*task, ids.of(*task), session.listTitle(*task), platform::Clock::currentNow(), colour,
                            DateStyle{settings.dateFormat, settings.firstWeekday}));
  }
  return 0;
}

}  // namespace

void registerShowCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ShowOptions>();
  CLI::App* command = app.add_subcommand("show", "Show every detail of tasks");
  command->add_option("ID", o->ids, "Task ids (a unique prefix is enough)")->required();
  command->add_flag("--json", o->json, "Print the tasks as JSON, as ls does");
  command->add_option("--ref", o->date.ref, "Take this local time as now (2024-03-11T17:00; default: now)");
  command->add_option("--tz", o->date.tz, "Time zone, an IANA name such as Europe/Berlin (default: the system's)");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
