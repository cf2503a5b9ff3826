// `zarvo report`, also what `zarvo` alone shows: the sections of the report setting (overdue, due
// today, flagged by default), each open task in the first section it belongs to.
#include <fmt/format.h>

#include <algorithm>
#include <sstream>
#include <unordered_set>

#include "app/commands.h"
#include "app/date_options.h"
#include "app/messages.h"
#include "app/task_filters.h"
#include "app/task_ids.h"
#include "app/task_view.h"
#include "app/terminal_text.h"

namespace zarvo::app {

namespace {

struct ReportOptions {
  DateOptions date;
  bool json = false;
};

// A section's heading, and the words for it in "Nothing overdue, due today or flagged.", in the
// person's language.
struct SectionWords {
  std::string heading, nothing;
};

SectionWords wordsOf(std::string_view name) {
  if (name == "overdue") return {tr("Overdue"), trc("nothing", "overdue")};
  if (name == "today") return {tr("Today"), trc("nothing", "due today")};
  if (name == "upcoming") return {tr("Upcoming"), trc("nothing", "upcoming")};
  if (name == "flagged") return {tr("Flagged"), trc("nothing", "flagged")};
  if (name == "top") return {tr("Top priority"), trc("nothing", "of top priority")};
  if (name == "week") return {tr("This week"), trc("nothing", "due this week")};
  return {tr("No due date"), trc("nothing", "without a due date")};
}

struct Section {
  std::string name;
  std::vector<std::shared_ptr<Task>> tasks;
};

// "Nothing overdue, due today or flagged."
std::string nothingLine(const std::vector<std::string>& names) {
  std::string what;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) what += i + 1 == names.size() ? tr(" or ") : tr(", ");
    what += wordsOf(names[i]).nothing;
  }
  return trf("Nothing {}.", what);
}

int run(const ReportOptions& o, Program& program) {
  const bool colour = useColour(program.globals.color);
  const Date ref = applyDateOptions(o.date);
  std::optional<platform::ScopedClock> fixedNow;
  if (o.date.ref) fixedNow.emplace(std::make_shared<platform::FixedClock>(ref));
  const Settings& settings = program.settings();

  std::vector<Section> sections;
  for (const std::string& name : settings.report) sections.push_back({name, {}});
  if (Session::noHomeYet(program.globals)) {
    if (o.json) {
      nlohmann::ordered_json out = nlohmann::ordered_json::object();
      for (const Section& section : sections) out[section.name] = nlohmann::ordered_json::array();
      printJson(out);
    } else {
      out().line(tr("No tasks."));
    }
    return 0;
  }

  Session session(program.globals, HomeUse::readOnly);
  std::vector<std::shared_ptr<Task>> open = session.fetch(std::nullopt, false);
  // With no sections set, the report is every open task.
  if (sections.empty()) sections.push_back({"all", open});
  std::unordered_set<const Task*> shown;
  for (Section& section : sections) {
    if (section.name == "all") break;
    const Task::Filter filter = *namedFilter(section.name, settings.firstWeekday);
    for (const auto& task : open) {
      if (!shown.count(task.get()) && filter(*task)) {
        section.tasks.push_back(task);
        shown.insert(task.get());
      }
    }
  }
  for (Section& section : sections) section.tasks = inDueOrder(std::move(section.tasks), true);
  session.finish();

  if (o.json) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    for (const Section& section : sections) out[section.name] = tasksJson(section.tasks, session);
    printJson(out);
    return 0;
  }
  std::vector<std::shared_ptr<Task>> all;
  for (const Section& section : sections) all.insert(all.end(), section.tasks.begin(), section.tasks.end());
  if (all.empty()) {
    out().line(sections.front().name == "all" ? std::string(tr("No tasks.")) : nothingLine(settings.report));
    if (!open.empty()) {
      out().line(trnf("{} open task in all: zarvo ls", "{} open tasks in all: zarvo ls", open.size(), open.size()));
    }
    return 0;
  }
  // One table for every section, so the columns line up across them; a heading before each section's
  // rows (a row is one line).
  const Lines table = taskTable(all, ShortIds(all), session, platform::Clock::currentNow(), colour,
                                DateStyle{settings.dateFormat, settings.firstWeekday}, terminalWidth());
  size_t row = 1;  // after the column headings: the section headings stand in for them
  bool first = true;
  for (const Section& section : sections) {
    if (section.tasks.empty()) continue;
    const std::string heading = section.name == "all" ? std::string(tr("Open")) : wordsOf(section.name).heading;
    if (!first) out().line("");
    out().line(paint(fmt::format("{} ({})", heading, section.tasks.size()), platform::Colour::secondaryLabel(), colour));
    first = false;
    for (size_t i = 0; i < section.tasks.size() && row < table.size(); ++i) out().line(table[row++]);
  }
  return 0;
}

}  // namespace

void registerReportCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ReportOptions>();
  CLI::App* command = app.add_subcommand(
      "report", "What zarvo alone shows: open tasks overdue, due today or flagged (the report setting chooses)");
  command->add_flag("--json", o->json, "Print the sections as JSON: an object of task arrays");
  addDateOptions(*command, o->date);
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
