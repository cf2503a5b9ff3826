// `zarvo rm ID...`: deletes tasks (their files in the reminders store and their records).
#include <fmt/format.h>

#include "app/commands.h"
#include "app/task_ids.h"

namespace zarvo::app {

namespace {

struct RmOptions {
  std::vector<std::string> ids;
  bool json = false;
};

int run(const RmOptions& o, Program& program) {
  Session session(program.globals);
  const auto tasks = resolveTasks(session, o.ids);
  // Described before removal: afterwards the records are gone.
  const nlohmann::ordered_json described = tasksJson(tasks, session);
  const ShortIds ids(tasks);
  std::vector<std::string> lines;
  for (const auto& task : tasks) {
    lines.push_back(fmt::format("Deleted {}: {}", ids.of(*task), task->title().value_or("")));
    session.io().remove(task, false);
  }
  session.finish();
  if (o.json) {
    printJson(described);
  } else {
    for (const auto& line : lines) std::cout << line << '\n';
  }
  return 0;
}

}  // namespace

void registerRmCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<RmOptions>();
  CLI::App* command = app.add_subcommand("rm", "Delete tasks");
  command->add_option("ID", o->ids, "Task ids (a unique prefix is enough)")->required();
  command->add_flag("--json", o->json, "Print the deleted tasks as JSON");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
