// `zarvo lists`: the lists in their order, with their open tasks and the default list marked.
#include <fmt/format.h>

#include <map>
#include <set>

#include "app/messages.h"
#include "app/terminal_text.h"
#include "app/commands.h"
#include "app/task_view.h"
#include "zarvo/reminders/naming.h"

namespace zarvo::app {

namespace {

// How an account is named to the person: the local account by its plain name, in the person's
// language, when its title is one the store gave it; any other by its title.
std::string accountName(const reminders::Source& source) {
  return reminders::hasBuiltInTitle(source) ? std::string(tr("This computer")) : source.title();
}

struct ListsOptions {
  bool json = false;
};

int run(const ListsOptions& o, Program& program) {
  const bool colour = useColour(program.globals.color);
  if (Session::noHomeYet(program.globals)) {
    if (o.json) printJson(nlohmann::ordered_json::array());
    else out().line(tr("No lists. Create one with: zarvo list-add TITLE"));
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
    out().line(tr("No lists. Create one with: zarvo list-add TITLE"));
    return 0;
  }
  size_t width = 0;
  std::set<const reminders::Source*> accounts;
  for (const auto& list : lists) {
    width = std::max(width, displayWidth(shownText(list->title())));
    if (auto calendar = list->calendar(); calendar && calendar->source()) accounts.insert(calendar->source().get());
  }
  // With lists in more than one account (after a sync), each line says which account holds it.
  const bool showAccount = accounts.size() > 1;
  for (const auto& list : lists) {
    auto calendar = list->calendar();
    std::optional<Style> swatchStyle;
    if (const auto c = calendar ? calendar->color() : std::nullopt; colour && c) swatchStyle = Style::rgb(c->red, c->green, c->blue);
    const Styled swatch = Styled::styled("●", swatchStyle);
    const std::string title = shownText(list->title());
    const size_t count = calendar ? open[calendar->calendarIdentifier()] : 0;
    const std::string account =
        showAccount && calendar && calendar->source() ? "  [" + shownText(accountName(*calendar->source())) + "]" : "";
    out().line(swatch + fmt::format(" {}{}  {}{}{}", title, std::string(width - displayWidth(title), ' '),
                                    trf("{:>4} open", count), account,
                                    list == defaultList ? std::string("  ") + tr("(default)") : std::string()));
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
