#include "app/arguments.h"

#include <gtest/gtest.h>

#include <map>

#include "app/commands.h"

namespace zarvo::app {
namespace {

// A program shaped like zarvo: options of its own with and without values, commands with flags,
// options with a value and one that takes one or two.
struct SmallProgram {
  CLI::App app{"test"};
  std::string home, color;
  bool json = false, today = false;
  std::string tz;
  std::vector<std::string> priority, words;
  SmallProgram() {
    app.add_option("--home", home);
    app.add_option("--color", color);
    app.set_version_flag("--version", "1");
    CLI::App* ls = app.add_subcommand("ls");
    ls->add_flag("--json", json);
    ls->add_flag("--today", today);
    ls->add_option("--tz", tz);
    ls->add_option("--priority", priority)->expected(1, 2);
    CLI::App* add = app.add_subcommand("add");
    add->add_option("TEXT", words);
    add->add_flag("--json", json);
    app.add_subcommand("report");
  }
};

TEST(ArgumentsTest, CommandOptionsBeforeTheCommandMoveAfterItAndNoCommandIsTheReport) {
  struct Row {
    std::vector<std::string> typed, arranged;
    std::optional<size_t> command;
  };
  const Row rows[] = {
      {{"--json", "ls", "x"}, {"ls", "--json", "x"}, 0},
      {{"--tz", "Europe/Berlin", "ls"}, {"ls", "--tz", "Europe/Berlin"}, 0},
      {{"--tz=UTC", "--today", "ls"}, {"ls", "--tz=UTC", "--today"}, 0},
      {{"--home", "H", "--json", "--color", "never", "ls", "--today"},
       {"--home", "H", "--color", "never", "ls", "--json", "--today"}, 4},
      {{"--priority", ">=", "ls"}, {"ls", "--priority", ">="}, 0},
      // Already in place, or after the command: untouched, values that look like options included.
      {{"add", "--json", "buy --tz milk"}, {"add", "--json", "buy --tz milk"}, 0},
      {{"ls", "--", "--tz"}, {"ls", "--", "--tz"}, 0},
      // No command: the report, with what was typed.
      {{}, {"report"}, 0},
      {{"--home", "H"}, {"--home", "H", "report"}, 2},
      {{"--json", "--home=H"}, {"--home=H", "report", "--json"}, 1},
      // Help and version are the program's; a program option without its value is left to the parser.
      {{"--help"}, {"--help"}, std::nullopt},
      {{"--json", "--version"}, {"--json", "--version"}, std::nullopt},
      {{"--home"}, {"--home"}, std::nullopt},
      // An unknown option stays where it was, for the parser to name.
      {{"--flaged", "ls"}, {"--flaged", "ls"}, 1},
  };
  for (const Row& row : rows) {
    SmallProgram program;
    const ArrangedArguments got = arrangedArguments(program.app, row.typed, "report");
    std::string typed;
    for (const auto& a : row.typed) typed += a + " ";
    EXPECT_EQ(got.args, row.arranged) << typed;
    EXPECT_EQ(got.commandIndex, row.command) << typed;
  }
}

TEST(ArgumentsTest, ArrangedLinesParseAsTheyWouldAfterTheCommand) {
  SmallProgram program;
  const auto arranged = arrangedArguments(program.app, {"--tz", "UTC", "--json", "--home", "H", "ls", "--priority", "<", "2"}, "report");
  std::vector<std::string> reversed(arranged.args.rbegin(), arranged.args.rend());
  program.app.parse(reversed);
  EXPECT_EQ(program.tz, "UTC");
  EXPECT_TRUE(program.json);
  EXPECT_EQ(program.home, "H");
  EXPECT_EQ(program.priority, (std::vector<std::string>{"<", "2"}));
}

// An option moved from before the command takes the values its name takes; that is only sound if
// every command that has the name takes as many values with it.
TEST(ArgumentsTest, EveryOptionNameTakesAsManyValuesInEveryCommand) {
  CLI::App app{"zarvo"};
  Program program;
  for (auto registerCommand :
       {registerAddCommand, registerLsCommand, registerReportCommand, registerShowCommand, registerDoneCommand,
        registerUndoCommand, registerEditCommand, registerSnoozeCommand, registerMvCommand, registerRmCommand,
        registerTagCommand, registerPurgeCommand, registerListsCommand, registerListAddCommand, registerListEditCommand, registerListRmCommand,
        registerListMvCommand, registerListDefaultCommand, registerQuickCommand, registerAccountCommand,
        registerSyncCommand, registerRemindersCommand}) {
    registerCommand(app, program);
  }
  std::map<std::string, std::pair<int, std::string>> seen;
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    for (const CLI::Option* option : command->get_options()) {
      for (const std::string& name : option->get_lnames()) {
        const auto [it, inserted] = seen.try_emplace(name, option->get_items_expected_min(), command->get_name());
        EXPECT_EQ(it->second.first, option->get_items_expected_min())
            << "--" << name << " in " << command->get_name() << " and " << it->second.second;
      }
    }
  }
  EXPECT_GT(seen.size(), 10u);
}

}  // namespace
}  // namespace zarvo::app
