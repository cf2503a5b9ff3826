// `zarvo list-add TITLE`: creates a list at the end of the order. With --json it prints the new list's
// object, as `lists --json` shows it.
#include <fmt/format.h>

#include <algorithm>

#include "app/messages.h"
#include "app/terminal_text.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

struct ListAddOptions {
  std::vector<std::string> words;
  std::optional<std::string> colour;
  bool json = false;
};

int run(const ListAddOptions& o, Program& program) {
  const std::string title = checkedListTitle(joinedText(o.words, "TITLE"));
  std::optional<platform::RGBA> colour;
  if (o.colour && isOutputColourChoice(*o.colour)) {
    program.globals.color = *o.colour;
  } else if (o.colour) {
    colour = checkedColour(*o.colour);
  }
  Session session(program.globals);
  if (session.io().list(title)) throw UsageError(trf("a list named '{}' exists already", title));
  int16_t last = -1;
  for (const auto& list : session.lists()) last = std::max(last, list->order());
  auto list = session.io().createList(title);
  // The application keeps the order: a new list goes last rather than where its folder sorts.
  list->setOrder(static_cast<int16_t>(last + 1));
  if (colour) {
    list->setColor(platform::Colour::rgb(*colour));
    session.io().save(list);
  }
  const bool isDefault = list == session.io().defaultList();
  session.finish("list-add '" + title + "'");
  if (o.json) {
    printJson(listJson(*list, isDefault, 0));  // a new list holds no tasks
  } else {
    out().line(trf("Created list {}", shownText(list->title())));
  }
  return 0;
}

}  // namespace

void registerListAddCommand(CLI::App& app, Program& program) {
  auto o = std::make_shared<ListAddOptions>();
  CLI::App* command = app.add_subcommand("list-add", "Create a list");
  command->add_option("TITLE", o->words, "The list's title")->required();
  command->add_option("--color", o->colour, "The list's colour: #RRGGBB or red, orange, yellow, green, blue, purple, brown, grey");
  command->add_flag("--json", o->json,
                    "Print the new list as JSON, as lists does: "
                    "{\"title\", \"id\", \"color\", \"default\", \"openTasks\"}");
  command->callback([o, &program] { program.exitCode = run(*o, program); });
}

}  // namespace zarvo::app
