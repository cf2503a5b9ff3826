// `zarvo done ID...`: marks tasks completed.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/commands.h"
#include "app/task_ids.h"
#include "app/terminal_text.h"
#include "app/task_view.h"

namespace zarvo::app {

// Shared by done and undo: sets the completion of the named tasks, skipping those already so.
int setCompletion(Program& program, const std::vector<std::string>& ids, bool completed, bool json) {
  Session session(program.globals);
  const auto tasks = resolveTasks(session, ids);
  std::string description = completed ? "done" : "reopen";
  for (const auto& task : tasks) description += " " + ShortIds({task}).of(*task);
  std::vector<std::string> lines;
  for (const auto& task : tasks) {
    const std::string title = shownText(task->title().value_or(""));
    // The reminder's own flag: a completed reminder without a completion date (another client's)
    // is still done and can be reopened.
    const auto reminder = task->reminder();
    if ((reminder ? reminder->isCompleted() : task->completed()) == completed) {
      lines.push_back(completed ? trf("{} is already done: {}", ShortIds({task}).of(*task), title)
                                : trf("{} is already open: {}", ShortIds({task}).of(*task), title));
      continue;
    }
    task->setIsCompleted(completed);
    session.io().save(task, true);
    lines.push_back(completed ? trf("Done {}: {}", ShortIds({task}).of(*task), title)
                              : trf("Reopened {}: {}", ShortIds({task}).of(*task), title));
  }
  session.finish(description);
  if (json) {
    printJson(tasksJson(tasks, session));
  } else {
    for (const auto& line : lines) out().line(line);
  }
  return 0;
}

void registerDoneCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<CompletionOptions>();
  CLI::App* command = app.add_subcommand("done", "Mark tasks completed");
  command->add_option("ID", o->ids, "Task ids (a unique prefix is enough)")->required();
  command->add_flag("--json", o->json, "Print the tasks as JSON");
  command->callback([o, &program] { program.exitCode = setCompletion(program, o->ids, true, o->json); });
}

}  // namespace zarvo::app
