// `zarvo list-mv TITLE --above TITLE`: moves a list to another list's place in the order. With --json
// it prints every list in the new order, as `lists --json` does.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/commands.h"

namespace zarvo::app {

namespace {

struct ListMvOptions {
  std::string title;
  std::string above;
  bool json = false;
};

int run(const ListMvOptions& o, Program& program) {
  Session session(program.globals);
  auto list = session.requireList(o.title);
  auto above = session.requireList(o.above);
  // Counted before the move: a read of the store drops changes not yet saved.
  const auto open = o.json ? openTaskCounts(session) : std::map<std::string, size_t>();
  session.io().reorder(list, above);
  session.finish("list-mv '" + list->title() + "'");
  if (o.json) {
    printJson(listsJson(session.lists(), session.io().defaultList(), open));
    return 0;
  }
  std::string order;
  for (const auto& l : session.lists()) order += (order.empty() ? "" : tr(", ")) + l->title();
  out().line(trf("Lists: {}", order));
  return 0;
}

}  // namespace

void registerListMvCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ListMvOptions>();
  CLI::App* command = app.add_subcommand(
      "list-mv", "Move a list to another list's place (before it when moving up, after it when moving down)");
  command->add_option("TITLE", o->title, "The list to move")->required();
  command->add_option("--above", o->above, "The list whose place it takes")->required();
  command->add_flag("--json", o->json, "Print the lists in their new order as JSON, as lists does");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
