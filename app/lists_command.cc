// `zarvo lists`: the lists in their order, with their open tasks and the default list marked.
#include <fmt/format.h>

#include <map>

#include "app/terminal_text.h"
#include "app/commands.h"
#include "app/task_view.h"

namespace zarvo::app {

namespace {

struct ListsOptions {
  bool json = false;
};

int run(const ListsOptions& o, Program& program) {
  const bool colour = useColour(program.globals.color);
  if (Session::noHomeYet(program.globals)) {
    if (o.json) printJson(nlohmann::ordered_json::array());
    else std::cout << "No lists. Create one with: zarvo list-add TITLE\n";
    return 0;
  }
  Session session(program.globals, HomeUse::readOnly);
  std::map<std::string, size_t> open = openTaskCounts(session);  // by calendar identifier
  const auto lists = session.lists();
  const auto defaultList = session.io().defaultList();
  session.finish();

  if (o.json) {
    printJson(listsJson(lists, defaultList, open));
    return 0;
  }
  if (lists.empty()) {
    std::cout << "No lists. Create one with: zarvo list-add TITLE\n";
    return 0;
  }
  size_t width = 0;
  for (const auto& list : lists) width = std::max(width, displayWidth(shownText(list->title())));
  for (const auto& list : lists) {
    auto calendar = list->calendar();
    std::string swatch = "●";
    if (colour && calendar && calendar->color()) {
      const auto c = *calendar->color();
      swatch = fmt::format("\x1b[38;2;{};{};{}m●\x1b[0m", c.red, c.green, c.blue);
    }
    const std::string title = shownText(list->title());
    const size_t count = calendar ? open[calendar->calendarIdentifier()] : 0;
    std::cout << fmt::format("{} {}{}  {:>4} open{}\n", swatch, title, std::string(width - displayWidth(title), ' '),
                             count, list == defaultList ? "  (default)" : "");
  }
  return 0;
}

}  // namespace

void registerListsCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ListsOptions>();
  CLI::App* command = app.add_subcommand("lists", "Show the lists in their order, with their open tasks");
  command->add_flag("--json", o->json, "Print the lists as JSON");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
