// `zarvo list-rm TITLE`: deletes a list and its tasks, open and completed, with their records. With
// --json it prints {"deleted": the list's object as `lists --json` showed it, "tasks": N}.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/terminal_text.h"

namespace zarvo::app {

namespace {

struct ListRmOptions {
  std::string title;
  bool force = false, yes = false, dryRun = false;
  bool json = false;
};

// Refused fetches (the store not answering) end the command with nothing changed.
Home::ListRemoval orRefuse(Expected<Home::ListRemoval> removal) {
  if (!removal) throw RefusedError(removal.error().message());
  return *removal;
}

int run(const ListRmOptions& o, Program& program) {
  Session session(program.globals);
  auto list = session.requireList(o.title);
  const Home::ListRemoval contents = orRefuse(session.library().listRemovalOf(list));
  const size_t total = contents.tasks();
  const nlohmann::ordered_json deleted = listJson(*list, list == session.io().defaultList(), contents.openTasks);
  const std::string title = list->title();
  const std::string shown = shownText(title);
  if (o.dryRun) {
    if (o.json) {
      printJson(nlohmann::ordered_json{{"wouldDelete", deleted}, {"tasks", total}});
    } else {
      out().line(trnf("Would delete list {} ({} task)", "Would delete list {} ({} tasks)", total, shown, total));
    }
    return 0;
  }
  if (total > 0 && !o.force) {
    throw UsageError(trnf("list '{}' holds {} task; pass --force to delete them with it",
                          "list '{}' holds {} tasks; pass --force to delete them with it", total, list->title(), total));
  }
  if (total > 0 && !confirmed(trnf("Delete list '{}' with its {} task", "Delete list '{}' with its {} tasks", total, shown, total),
                              o.yes)) {
    out().line(tr("Nothing deleted."));
    return 0;
  }
  const size_t removed = orRefuse(session.library().removeList(list, "list-rm '" + title + "'")).tasks();
  if (o.json) {
    printJson(nlohmann::ordered_json{{"deleted", deleted}, {"tasks", removed}});
  } else {
    out().line(trnf("Deleted list {} ({} task)", "Deleted list {} ({} tasks)", removed, shown, removed));
  }
  return 0;
}

}  // namespace

void registerListRmCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ListRmOptions>();
  CLI::App* command = app.add_subcommand("list-rm", "Delete a list with its tasks");
  command->add_option("TITLE", o->title, "The list's title (any letter case)")->required();
  command->add_flag("-f,--force", o->force, "Delete the list even when it holds tasks");
  command->add_flag("-y,--yes", o->yes, "Delete its tasks without asking (needed when not on a terminal)");
  command->add_flag("--dry-run", o->dryRun, "Only show what would be deleted");
  command->add_flag("--json", o->json,
                    "Print {\"deleted\": the list as lists showed it, \"tasks\": open and completed tasks deleted "
                    "with it}");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
