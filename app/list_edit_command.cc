// `zarvo list-edit TITLE [--title NEW] [--color COLOUR]`: renames or recolours a list. With --json it
// prints the list's object, as `lists --json` shows it.
#include <fmt/format.h>

#include "app/messages.h"
#include "app/commands.h"
#include "app/terminal_text.h"
#include "zarvo/platform/colour.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

struct ListEditOptions {
  std::string title;
  std::optional<std::string> newTitle, colour;
  bool json = false;
};

int run(const ListEditOptions& o, Program& program) {
  std::optional<platform::RGBA> colour;
  if (o.colour && isOutputColourChoice(*o.colour)) {
    program.globals.color = *o.colour;
  } else if (o.colour) {
    colour = checkedColour(*o.colour);
  }
  if (!o.newTitle && !colour) throw UsageError(tr("nothing to change: give --title or --color"));
  std::optional<std::string> newTitle;
  if (o.newTitle) newTitle = checkedListTitle(*o.newTitle);

  Session session(program.globals);
  auto list = session.requireList(o.title);
  const std::string before = list->title();
  if (newTitle && *newTitle != before) {
    // Another list of that title would make every look-up by title ambiguous; a new spelling of the
    // same list's title is fine.
    if (auto other = session.io().list(*newTitle); other && other != list) {
      throw UsageError(trf("a list named '{}' exists already", *newTitle));
    }
    list->setTitle(*newTitle);
  }
  if (colour) list->setColor(platform::Colour::rgb(*colour));
  session.io().save(list);
  const std::map<std::string, size_t> open = openTaskCounts(session);
  const bool isDefault = list == session.io().defaultList();
  session.finish("list-edit '" + before + "'");
  if (o.json) {
    const auto id = list->calendarId();
    const auto count = id ? open.find(*id) : open.end();
    printJson(listJson(*list, isDefault, count == open.end() ? 0 : count->second));
  } else {
    out().line(trf("Changed list {}", shownText(list->title())));
  }
  return 0;
}

}  // namespace

void registerListEditCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ListEditOptions>();
  CLI::App* command = app.add_subcommand("list-edit", "Rename or recolour a list");
  command->add_option("TITLE", o->title, "The list's title (any letter case)")->required();
  command->add_option("--title", o->newTitle, "Its new title");
  command->add_option("--color", o->colour, "Its new colour: #RRGGBB or red, orange, yellow, green, blue, purple, brown, grey");
  command->add_flag("--json", o->json, "Print the list as JSON, as lists does");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
