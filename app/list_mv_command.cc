// `zarvo list-mv TITLE --above TITLE`: moves a list to another list's place in the order.
#include <fmt/format.h>

#include "app/commands.h"

namespace zarvo::app {

namespace {

struct ListMvOptions {
  std::string title;
  std::string above;
};

int run(const ListMvOptions& o, Program& program) {
  Session session(program.globals);
  auto list = session.requireList(o.title);
  auto above = session.requireList(o.above);
  session.io().reorder(list, above);
  session.finish();
  std::string order;
  for (const auto& l : session.lists()) order += (order.empty() ? "" : ", ") + l->title();
  std::cout << "Lists: " << order << '\n';
  return 0;
}

}  // namespace

void registerListMvCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ListMvOptions>();
  CLI::App* command = app.add_subcommand(
      "list-mv", "Move a list to another list's place (before it when moving up, after it when moving down)");
  command->add_option("TITLE", o->title, "The list to move")->required();
  command->add_option("--above", o->above, "The list whose place it takes")->required();
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
