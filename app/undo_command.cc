// `zarvo undo`: reverts the last change made through zarvo (from the home's journal), again and again.
// `zarvo undo ID...`: marks completed tasks open again.
#include <fmt/format.h>

#include "app/commands.h"
#include "app/journal.h"

namespace zarvo::app {

void registerUndoCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<CompletionOptions>();
  CLI::App* command = app.add_subcommand(
      "undo", "Revert the last change made through zarvo; with IDs, mark completed tasks open again");
  command->add_option("ID", o->ids, "Task ids to reopen (a unique prefix is enough)");
  command->add_flag("--json", o->json, "Print the tasks as JSON (with IDs), or {\"undone\": WHAT}");
  command->callback([o, &program] {
    if (!o->ids.empty()) {
      program.exitCode = setCompletion(program, o->ids, false, o->json);
      return;
    }
    Session session(program.globals, HomeUse::changeExisting);
    const std::string undone = undoLastChange(session);
    if (o->json) {
      printJson(nlohmann::ordered_json{{"undone", undone}});
    } else {
      std::cout << "Undid: " << undone << '\n';
    }
    program.exitCode = 0;
  });
}

}  // namespace zarvo::app
