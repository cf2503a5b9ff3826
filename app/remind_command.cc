// `zarvo remind ID WHEN...`: adds reminders to a task (app/reminder_times.h says how WHEN reads);
// `zarvo remind ID --clear`: removes every alarm of the task, snoozes included. Each is one change
// of the history, which `zarvo undo` takes back.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/date_options.h"
#include "app/reminder_times.h"
#include "app/task_ids.h"
#include "app/task_view.h"
#include "zarvo/alarms/alarm_writes.h"

namespace zarvo::app {

namespace {

struct RemindOptions {
  DateOptions date;
  std::string id;
  std::vector<std::string> when;
  bool clear = false, json = false;
};

// The words as one reminder when they read as one ("tomorrow 9am" typed without quotes), else one
// reminder per argument ("10m" "1h").
std::vector<std::string> reminderTexts(const std::vector<std::string>& words, const Task& task, Date now,
                                       const ChronoParseHelper& dates) {
  if (words.size() > 1) {
    const std::string joined = joinedText(words, "WHEN");
    try {
      (void)reminderAlarm(joined, task.dueDate() && !task.isAllDay(), now, dates);
      return {joined};
    } catch (const UsageError&) {
    }
  }
  return words;
}

int run(const RemindOptions& o, Program& program) {
  if (o.clear == !o.when.empty()) throw UsageError(tr("give the reminders (WHEN...) or --clear, one of the two"));
  const bool colour = useColour(program.globals.color);
  const Date ref = applyDateOptions(o.date);
  const Date now = o.date.ref ? ref : platform::Clock::currentNow();
  std::shared_ptr<const platform::Clock> clock;
  if (o.date.ref) clock = std::make_shared<platform::FixedClock>(ref);
  const ChronoParseHelper dates(clock, program.settings().quickEntry);

  Session session(program.globals);
  auto task = resolveTasks(session, {o.id}).front();
  const std::string id = ShortIds({task}).of(*task);
  if (o.clear) {
    if (task->reminder()) alarms::clearAlarms(*task->reminder());
  } else {
    addReminders(*task, reminderTexts(o.when, *task, now, dates), now, dates);
  }
  session.io().save(task, true);
  session.finish(o.clear ? "remind " + id + " --clear" : "remind " + id);

  if (o.json) {
    printJson(tasksJson({task}, session));
  } else {
    out().lines(taskDetails(*task, id, session.listTitle(*task), now, colour,
                            DateStyle{program.settings().dateFormat, program.settings().firstWeekday}));
  }
  return 0;
}

}  // namespace

void registerRemindCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<RemindOptions>();
  CLI::App* command = app.add_subcommand("remind", "Add reminders to a task, or remove its alarms (--clear)");
  addDateOptions(*command, o->date);
  command->add_option("ID", o->id, "The task (an id or uid prefix)")->required();
  command->add_option("WHEN", o->when,
                      "10m, 1h, 2d before the due (following it when it moves; from now without a due), or a "
                      "time such as 09:00 or 'tomorrow 9am'");
  command->add_flag("--clear", o->clear, "Remove every alarm of the task");
  command->add_flag("--json", o->json, "Print the task as JSON");
  command->footer("Example: zarvo remind 3f2a 10m 'tomorrow 9am'");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
