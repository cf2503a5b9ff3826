// `zarvo edit ID`: changes a task's title, notes, priority, due date or flag.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/date_options.h"
#include "app/task_ids.h"
#include "app/task_view.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/chrono_parse_helper.h"

namespace zarvo::app {

namespace {

struct EditOptions {
  DateOptions date;
  std::string id;
  std::optional<std::string> title, notes, due;
  std::optional<int> priority;
  bool noDue = false, flag = false, unflag = false, json = false;
};

int run(const EditOptions& o, Program& program) {
  // Everything is checked before the task is touched.
  if (!o.title && !o.notes && !o.due && !o.priority && !o.noDue && !o.flag && !o.unflag) {
    throw UsageError(tr("nothing to change: give --title, --notes, --priority, --due, --no-due, --flag or --unflag"));
  }
  if (o.title && (platform::trimmed(std::string_view(*o.title)).empty() || !platform::toUtf16(*o.title))) {
    throw UsageError(tr("--title needs a non-empty UTF-8 text"));
  }
  if (o.notes && !platform::toUtf16(*o.notes)) throw UsageError(tr("--notes is not valid UTF-8"));
  const bool colour = useColour(program.globals.color);
  const Date ref = applyDateOptions(o.date);
  std::optional<Date> due;
  bool dueIsAllDay = false;
  if (o.due) {
    if (!platform::toUtf16(*o.due)) throw UsageError(tr("--due is not valid UTF-8"));
    std::shared_ptr<const platform::Clock> clock;
    if (o.date.ref) clock = std::make_shared<platform::FixedClock>(ref);
    const auto item = ChronoParseHelper(clock, program.settings().quickEntry).parse(std::string_view(*o.due));
    if (!item) throw UsageError(trf("no date found in --due '{}'", *o.due));
    due = item->dueDate();
    dueIsAllDay = item->isAllDay();
    requireKeptDate(due);
  }

  Session session(program.globals);
  auto task = resolveTasks(session, {o.id}).front();
  if (o.title) task->setTitle(platform::trimmed(std::string_view(*o.title)));
  if (o.notes) task->setNotes(o.notes->empty() ? std::nullopt : o.notes);
  if (o.priority) task->setPriority(*o.priority);
  if (o.due) task->setDueDate(due, dueIsAllDay);
  if (o.noDue) task->setDueDate(std::nullopt);
  if (o.flag) task->setFlagged(true);
  if (o.unflag) task->setFlagged(false);
  session.io().save(task, true);
  session.finish("edit " + ShortIds({task}).of(*task));

  if (o.json) {
    printJson(tasksJson({task}, session));
  } else {
    out().lines(taskDetails(*task, ShortIds({task}).of(*task), session.listTitle(*task),
                            o.date.ref ? ref : platform::Clock::currentNow(), colour));
  }
  return 0;
}

}  // namespace

void registerEditCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<EditOptions>();
  CLI::App* command = app.add_subcommand("edit", "Change a task's title, notes, priority, due date or flag");
  command->add_option("ID", o->id, "Task id (a unique prefix is enough)")->required();
  command->add_option("--title", o->title, "New title");
  command->add_option("--notes", o->notes, "New notes (an empty text removes them)");
  command->add_option("--priority", o->priority, "Priority: 0 none, 1 low, 2 medium, 3 high")
      ->check(CLI::Range(0, 3));
  auto* due = command->add_option("--due", o->due, "New due date, a phrase such as \"friday 9am\" or \"in 3 days\"");
  auto* noDue = command->add_flag("--no-due", o->noDue, "Remove the due date");
  due->excludes(noDue);
  auto* flag = command->add_flag("--flag", o->flag, "Flag the task");
  auto* unflag = command->add_flag("--unflag", o->unflag, "Remove the flag");
  flag->excludes(unflag);
  addDateOptions(*command, o->date);
  command->add_flag("--json", o->json, "Print the task as JSON");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
