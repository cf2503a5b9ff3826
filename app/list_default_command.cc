// `zarvo list-default TITLE`: the list that receives tasks whose line names none. With --json it prints
// that list's object, as `lists --json` shows it.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/terminal_text.h"
#include "app/commands.h"

namespace zarvo::app {

namespace {

struct ListDefaultOptions {
  std::string title;
  bool json = false;
};

int run(const ListDefaultOptions& o, Program& program) {
  Session session(program.globals);
  auto list = session.requireList(o.title);
  const size_t open = o.json ? session.fetch(std::vector<std::shared_ptr<List>>{list}, false).size() : 0;
  // Kept in the reminders store, where other sessions (and the store's own fallback) find it.
  session.io().eventStore().setDefaultCalendarForNewReminders(list->calendar());
  session.io().setDefaultList(list);
  session.finish("list-default '" + list->title() + "'");
  if (o.json) {
    printJson(listJson(*list, true, open));
  } else {
    out().line(trf("New tasks go to {}", shownText(list->title())));
  }
  return 0;
}

}  // namespace

void registerListDefaultCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ListDefaultOptions>();
  CLI::App* command = app.add_subcommand("list-default", "Choose the list that receives tasks naming none");
  command->add_option("TITLE", o->title, "The list's title (any letter case)")->required();
  command->add_flag("--json", o->json,
                    "Print the list as JSON, as lists does: "
                    "{\"title\", \"id\", \"color\", \"default\", \"openTasks\"}");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
