// `zarvo snooze ID WHEN`: moves a task's due date later, by a step (1d, 2w, 3h, 30min), to a
// weekday (mon ... sun, tomorrow) or to a date phrase.
#include <fmt/format.h>

#include <array>
#include <string_view>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/terminal_text.h"
#include "app/date_options.h"
#include "app/relative_due.h"
#include "app/task_ids.h"
#include "app/task_view.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/chrono_parse_helper.h"

namespace zarvo::app {

namespace {

struct SnoozeOptions {
  DateOptions date;
  std::string id;
  std::vector<std::string> when;
  bool json = false;
};

using platform::CalendarUnit;
using platform::DateCalendar;

// The weekday (1 = Sunday ... 7 = Saturday) a word names: "mon", "Monday", ...; 0 for none.
int weekdayNamed(std::string_view word) {
  static constexpr std::array<std::string_view, 7> kNames = {"sunday",   "monday", "tuesday", "wednesday",
                                                             "thursday", "friday", "saturday"};
  if (word.size() < 3) return 0;
  for (size_t i = 0; i < kNames.size(); ++i) {
    if (word.size() <= kNames[i].size() && kNames[i].substr(0, word.size()) == word) return static_cast<int>(i) + 1;
  }
  return 0;
}

// The new due date for a step or a day word, or nothing when `when` is neither (a date phrase).
//
// Day steps and day words keep the due date's time of day and count from the later of the due day
// and today, so an overdue task snoozed by 1d is due tomorrow, not on the day after it was due. A
// weekday is the next one after that day (never that day itself). Hour and minute steps count from
// the later of the due date and now. A task without a due date counts from now.
std::optional<Date> steppedDue(std::optional<Date> due, const std::string& when, Date now, const DateCalendar& calendar) {
  const std::string word = platform::lowercased(std::string_view(when));
  const Date from = due && now < *due ? *due : now;
  // From the due date (its time of day kept) moved to today when it is earlier.
  const Date dayBase = due ? calendar.adding(CalendarUnit::day, std::max<int64_t>(0, calendar.daysBetween(*due, now)), *due)
                           : now;
  if (word == "tomorrow") return calendar.adding(CalendarUnit::day, 1, dayBase);
  if (const int weekday = weekdayNamed(word)) {
    const int ahead = (weekday - calendar.weekday(dayBase) + 6) % 7 + 1;
    return calendar.adding(CalendarUnit::day, ahead, dayBase);
  }
  const size_t digits = word.find_first_not_of("0123456789");
  if (digits == 0 || digits == std::string::npos) return std::nullopt;
  const auto count = platform::toInt(std::string_view(word).substr(0, digits));
  if (!count || *count <= 0 || *count > 10000) return std::nullopt;
  const std::string_view unit = std::string_view(word).substr(digits);
  if (unit == "d") return calendar.adding(CalendarUnit::day, *count, dayBase);
  if (unit == "w") return calendar.adding(CalendarUnit::day, 7 * *count, dayBase);
  if (unit == "h") return calendar.adding(CalendarUnit::hour, *count, from);
  if (unit == "min") return calendar.adding(CalendarUnit::minute, *count, from);
  return std::nullopt;
}

int run(const SnoozeOptions& o, Program& program) {
  const std::string when = joinedText(o.when, "WHEN");
  const Date ref = applyDateOptions(o.date);
  const Date now = o.date.ref ? ref : platform::Clock::currentNow();
  // A phrase is read before the task is touched, so a phrase without a date changes nothing.
  std::shared_ptr<ChronoParseItem> phrase;
  const auto calendar = DateCalendar::current();
  if (!steppedDue(std::nullopt, when, now, calendar)) {
    std::shared_ptr<const platform::Clock> clock;
    if (o.date.ref) clock = std::make_shared<platform::FixedClock>(ref);
    phrase = ChronoParseHelper(clock, program.settings().quickEntry).parse(std::string_view(when));
    if (!phrase) throw UsageError(trf("no date found in '{}' (use a step such as 1d, 2h, mon, tomorrow, or a date)", when));
    requireKeptDate(phrase->dueDate());
  }

  Session session(program.globals);
  auto task = resolveTasks(session, {o.id}).front();
  const std::string id = ShortIds({task}).of(*task);
  const Date due = phrase ? phrase->dueDate() : *steppedDue(task->dueDate(), when, now, calendar);
  requireKeptDate(due);
  task->setDueDate(due);
  session.io().save(task, true);
  session.finish("snooze " + id);

  if (o.json) {
    printJson(tasksJson({task}, session));
  } else {
    const Settings& settings = program.settings();
    out().line(trf("Snoozed {} to {}: {}", id, relativeDue(*task, now, DateStyle{settings.dateFormat, settings.firstWeekday}),
                   task->title().value_or("")));
  }
  return 0;
}

}  // namespace

void registerSnoozeCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<SnoozeOptions>();
  CLI::App* command = app.add_subcommand("snooze", "Move a task's due date later: 1d, 2w, 3h, 30min, mon, tomorrow or a date");
  command->add_option("ID", o->id, "Task id (a unique prefix is enough)")->required();
  command->add_option("WHEN", o->when, "A step (1d, 2w, 3h, 30min), a weekday (mon ... sun), tomorrow, or a date phrase")
      ->required();
  addDateOptions(*command, o->date);
  command->add_flag("--json", o->json, "Print the task as JSON");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
