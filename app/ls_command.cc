// `zarvo ls`: the tasks of some lists (or all), filtered and sorted, as a table or JSON.
#include <algorithm>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/date_options.h"
#include "app/heap.h"
#include "app/task_filters.h"
#include "app/task_ids.h"
#include "app/task_order.h"
#include "app/task_view.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

struct LsOptions {
  DateOptions date;
  std::vector<std::string> lists;
  bool today = false, upcoming = false, flagged = false, top = false, completed = false, desc = false, json = false;
  bool overdue = false, week = false, noDue = false, checkAll = false;
  std::vector<std::string> priority;
  std::optional<std::string> search;
  std::vector<std::string> tags;
  std::optional<std::string> sort;
};

// "--priority OP N" (also "OPN" as one word, or "N" for equality) -> a priority filter.
Task::Filter priorityFilter(const std::vector<std::string>& args) {
  std::string op, number;
  if (args.size() == 2) {
    op = args[0];
    number = args[1];
  } else if (args.size() == 1) {
    const size_t digits = args[0].find_first_of("0123456789");
    op = args[0].substr(0, digits == std::string::npos ? args[0].size() : digits);
    number = digits == std::string::npos ? "" : args[0].substr(digits);
    if (op.empty()) op = "=";
  }
  const auto value = platform::toInt(std::string_view(number));
  if (!value || *value < 0 || *value > 3) {
    throw UsageError(tr("--priority expects an operator and a priority from 0 to 3, e.g. --priority '>=' 2"));
  }
  std::function<bool(int, int)> comparison;
  if (op == "<") comparison = std::less<int>();
  else if (op == "<=") comparison = std::less_equal<int>();
  else if (op == "=" || op == "==") comparison = std::equal_to<int>();
  else if (op == "!=") comparison = std::not_equal_to<int>();
  else if (op == ">=") comparison = std::greater_equal<int>();
  else if (op == ">") comparison = std::greater<int>();
  else throw UsageError(trf("unknown --priority operator '{}' (use <, <=, =, !=, >=, >)", op));
  return Task::filterForTasksBy(static_cast<int>(*value), comparison);
}

int run(const LsOptions& o, Program& program) {
  const bool colour = useColour(program.globals.color);
  const Date ref = applyDateOptions(o.date);
  // --ref stands in for "now" everywhere: filters, sorters and relative dates read the process clock.
  std::optional<platform::ScopedClock> fixedNow;
  if (o.date.ref) fixedNow.emplace(std::make_shared<platform::FixedClock>(ref));

  std::vector<std::optional<Task::Filter>> filters;
  const int firstWeekday = program.settings().firstWeekday;
  for (const auto& [wanted, name] : {std::pair{o.today, "today"}, {o.upcoming, "upcoming"}, {o.flagged, "flagged"},
                                     {o.top, "top"}, {o.overdue, "overdue"}, {o.week, "week"}, {o.noDue, "no-due"}}) {
    if (wanted) filters.emplace_back(namedFilter(name, firstWeekday));
  }
  if (!o.priority.empty()) filters.emplace_back(priorityFilter(o.priority));
  if (o.search) {
    if (!platform::toUtf16(*o.search)) throw UsageError(tr("--search is not valid UTF-8"));
    filters.emplace_back(Task::filterForSearch(*o.search));
  }
  std::vector<std::string> tagTitles;
  for (const auto& tag : o.tags) tagTitles.push_back(checkedTagTitle(tag));
  const Task::CompoundFilter filter(std::move(filters));
  const Settings& settings = program.settings();

  if (Session::noHomeYet(program.globals)) {
    if (o.json) printJson(nlohmann::ordered_json::array());
    else out().line(tr("No tasks."));
    return 0;
  }
  Session session(program.globals, HomeUse::readOnly);
  // The files of completed tasks are otherwise checked for edits in place once every few minutes.
  if (o.checkAll) session.io().eventStore().checkEveryFileAtNextRead();
  std::optional<std::vector<std::shared_ptr<List>>> lists;
  if (!o.lists.empty()) {
    lists.emplace();
    for (const auto& title : o.lists) lists->push_back(session.requireList(title));
  }
  std::vector<std::shared_ptr<Task>> tasks = session.fetch(lists, o.completed);
  std::erase_if(tasks, [&](const std::shared_ptr<Task>& task) { return !filter.evaluate(*task); });
  // --tag: every tag named, in any letter case.
  if (!tagTitles.empty()) std::erase_if(tasks, [&](const std::shared_ptr<Task>& task) {
    const std::vector<std::string> carried = session.tagTitles(*task);
    return !std::all_of(tagTitles.begin(), tagTitles.end(), [&](const std::string& wanted) {
      return std::any_of(carried.begin(), carried.end(), [&](const std::string& title) {
        return platform::equalsIgnoringCase(std::string_view(title), std::string_view(wanted));
      });
    });
  });

  const std::string key = o.sort.value_or("due");
  // The due dates the due order read, for the table: it need not ask each task again.
  std::vector<std::optional<Date>> dues;
  // Title and overdue-on-top have no direction of their own: --desc reverses them.
  if (key == "title" || key == "overdue") {
    tasks = sortedTasks(std::move(tasks), key == "title" ? TaskOrder::title : TaskOrder::overdueOnTop, true);
    if (o.desc) std::reverse(tasks.begin(), tasks.end());
  } else if (key == "priority") {
    // A person reads a priority list from the top: highest first, no priority last.
    tasks = sortedTasks(std::move(tasks), TaskOrder::priority, o.desc);
  } else if (key == "created") {
    tasks = sortedTasks(std::move(tasks), TaskOrder::creationDate, !o.desc);
  } else {
    tasks = inDueOrder(std::move(tasks), !o.desc, &dues);
  }

  session.finish();
  // The records of thousands of tasks are not freed one by one as the session ends: the session
  // still closes their database and releases the home's lock, the memory goes with the process.
  leaveToExit(session.context());
  if (o.json) {
    printJson(tasksJson(tasks, session));
  } else {
    writeTaskTable(out(), tasks, ShortIds(tasks), session, platform::Clock::currentNow(), colour,
                   DateStyle{settings.dateFormat, settings.firstWeekday}, terminalWidth(), &dues);
  }
  return 0;
}

}  // namespace

void registerLsCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<LsOptions>();
  CLI::App* command = app.add_subcommand("ls", "List tasks, of some lists or of all");
  command->add_option("LIST", o->lists, "Titles of the lists to show (default: every list)");
  command->add_flag("--today", o->today, "Only tasks due today or earlier");
  command->add_flag("--upcoming", o->upcoming, "Only tasks due tomorrow or later");
  command->add_flag("--flagged", o->flagged, "Only flagged tasks");
  command->add_flag("--top", o->top, "Only tasks of the highest priority (3)");
  command->add_flag("--overdue", o->overdue, "Only tasks whose due date has passed (an all-day due: its day is over)");
  command->add_flag("--week", o->week, "Only tasks due this week (the week of the week-starts-on setting)");
  command->add_flag("--no-due", o->noDue, "Only tasks without a due date");
  command->add_option("--priority", o->priority, "Only tasks whose priority compares so: OP N, e.g. '>=' 2")
      ->expected(1, 2)
      ->allow_extra_args(false);
  command->add_option("--search", o->search, "Only tasks whose title or notes contain the text (any case, any accents)");
  command->add_option("--tag", o->tags, "Only tasks with this tag (repeatable: with every one given)")
      ->allow_extra_args(false);
  command->add_flag("--completed", o->completed, "Completed tasks instead of open ones");
  command->add_option("--sort", o->sort, "Order: due (default; undated tasks last), priority (highest first), created, title or overdue (overdue on top)")
      ->check(CLI::IsMember({"priority", "due", "created", "title", "overdue"}));
  command->add_flag("--desc", o->desc, "Reverse the order");
  command->add_flag("--check-all", o->checkAll,
                    "Check every task file for changes now, also the completed tasks' files (otherwise checked every five minutes)");
  command->add_flag("--json", o->json, "Print the tasks as JSON");
  command->add_option("--ref", o->date.ref, "Take this local time as now (2024-03-11T17:00; default: now)");
  command->add_option("--tz", o->date.tz, "Time zone, an IANA name such as Europe/Berlin (default: the system's)");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
