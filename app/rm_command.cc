// `zarvo rm ID...`: deletes tasks (their files in the reminders store and their records).
#include <fmt/format.h>

#include "app/messages.h"
#include "app/commands.h"
#include "app/task_ids.h"
#include "app/task_view.h"

namespace zarvo::app {

namespace {

struct RmOptions {
  std::vector<std::string> ids;
  bool json = false, yes = false, dryRun = false;
};

int run(const RmOptions& o, Program& program) {
  Session session(program.globals);
  const auto tasks = resolveTasks(session, o.ids);
  // Described before removal: afterwards the records are gone.
  const nlohmann::ordered_json described = tasksJson(tasks, session);
  const ShortIds ids(tasks);
  if (o.dryRun) {
    if (o.json) {
      printJson(described);
    } else {
      for (const auto& task : tasks) {
        out().line(trf("Would delete {}: {}", ids.of(*task), shownText(task->title().value_or(""))));
      }
    }
    return 0;
  }
  // The question names what goes: the first few tasks by title and id, then how many more.
  constexpr size_t kNamed = 5;
  std::string named;
  for (size_t i = 0; i < tasks.size() && i < kNamed; ++i) {
    named += fmt::format("{}'{}'", i == 0 ? "" : tr(", "), shownText(tasks[i]->title().value_or("")));
    if (tasks.size() > 1) named += " (" + ids.of(*tasks[i]) + ")";
  }
  if (tasks.size() > kNamed) {
    named += trnf(" and {} more", " and {} more", tasks.size() - kNamed, tasks.size() - kNamed);
  }
  const std::string what = tasks.size() == 1 ? trf("Delete {}", named)
                                             : trnf("Delete {} task: {}", "Delete {} tasks: {}", tasks.size(), tasks.size(), named);
  if (!confirmed(what, o.yes)) {
    out().line(tr("Nothing deleted."));
    return 0;
  }
  std::string description = "rm";
  for (const auto& task : tasks) description += " " + ids.of(*task);
  std::vector<std::string> lines;
  for (const auto& task : tasks) {
    lines.push_back(trf("Deleted {}: {}", ids.of(*task), shownText(task->title().value_or(""))));
    session.io().remove(task, false);
  }
  session.finish(description);
  if (o.json) {
    printJson(described);
  } else {
    for (const auto& line : lines) out().line(line);
  }
  return 0;
}

}  // namespace

void registerRmCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<RmOptions>();
  CLI::App* command = app.add_subcommand("rm", "Delete tasks");
  command->add_option("ID", o->ids, "Task ids (a unique prefix is enough)")->required();
  command->add_flag("-y,--yes", o->yes, "Delete without asking (needed when not on a terminal)");
  command->add_flag("--dry-run", o->dryRun, "Only show what would be deleted");
  command->add_flag("--json", o->json, "Print the deleted tasks as JSON");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
