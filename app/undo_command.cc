// `zarvo undo ID...`: marks completed tasks open again.
#include "app/commands.h"

namespace zarvo::app {

void registerUndoCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<CompletionOptions>();
  CLI::App* command = app.add_subcommand("undo", "Mark completed tasks open again");
  command->add_option("ID", o->ids, "Task ids (a unique prefix is enough)")->required();
  command->add_flag("--json", o->json, "Print the tasks as JSON");
  command->callback([o, &program] { program.exitCode = setCompletion(program, o->ids, false, o->json); });
}

}  // namespace zarvo::app
