// `zarvo mv ID LIST`: moves a task to another list.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/terminal_text.h"
#include "app/commands.h"
#include "app/task_ids.h"

namespace zarvo::app {

namespace {

struct MvOptions {
  std::string id;
  std::string list;
  bool json = false;
};

int run(const MvOptions& o, Program& program) {
  Session session(program.globals);
  auto list = session.requireList(o.list);
  auto task = resolveTasks(session, {o.id}).front();
  session.io().move(task, list);
  session.finish("mv " + ShortIds({task}).of(*task) + " '" + list->title() + "'");
  if (o.json) {
    printJson(tasksJson({task}, session));
  } else {
    out().line(trf("Moved {} to {}: {}", ShortIds({task}).of(*task), list->title(), task->title().value_or("")));
  }
  return 0;
}

}  // namespace

void registerMvCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<MvOptions>();
  CLI::App* command = app.add_subcommand("mv", "Move a task to another list");
  command->add_option("ID", o->id, "Task id (a unique prefix is enough)")->required();
  command->add_option("LIST", o->list, "Title of the target list (any letter case)")->required();
  command->add_flag("--json", o->json, "Print the task as JSON");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
