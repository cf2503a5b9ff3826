#include "app/arguments.h"

#include <algorithm>
#include <map>

#include "app/commands.h"
#include "app/messages.h"

namespace zarvo::app {

namespace {

// How many values each option name of `from` takes ("--tz": 1, "--json": 0), under "--long" and "-s".
void addArities(const CLI::App& from, std::map<std::string, int>& arities) {
  for (const CLI::Option* option : from.get_options()) {
    const int values = std::max(0, option->get_items_expected_min());
    for (const std::string& name : option->get_lnames()) arities.try_emplace("--" + name, values);
    for (const std::string& name : option->get_snames()) arities.try_emplace("-" + name, values);
  }
}

bool isHelpOrVersion(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "--version"; }

}  // namespace

ArrangedArguments arrangedArguments(const CLI::App& app, std::vector<std::string> args, const std::string& defaultCommand) {
  std::map<std::string, int> programOptions, commandOptions;
  addArities(app, programOptions);
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    addArities(*command, commandOptions);
  }

  const std::vector<std::string> typed = args;
  std::vector<std::string> moved;
  size_t i = 0;
  std::optional<size_t> command;
  while (i < args.size()) {
    const std::string& arg = args[i];
    if (arg == "--") break;
    if (arg.size() < 2 || arg.front() != '-') {
      command = i;
      break;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const int inlineValue = equals == std::string::npos ? 0 : 1;
    if (auto it = programOptions.find(name); it != programOptions.end()) {
      const size_t takes = 1 + static_cast<size_t>(std::max(0, it->second - inlineValue));
      // "zarvo --home" with its value missing: leave the line to the parser, which names the problem.
      if (i + takes > args.size()) return {typed, std::nullopt};
      i += takes;
    } else if (auto it = commandOptions.find(name); it != commandOptions.end()) {
      const size_t takes = std::min(args.size() - i, 1 + static_cast<size_t>(std::max(0, it->second - inlineValue)));
      moved.insert(moved.end(), args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i + takes));
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + takes));
    } else {
      ++i;  // unknown: the parser names it
    }
  }
  if (!command) {
    if (std::any_of(typed.begin(), typed.end(), isHelpOrVersion)) return {typed, std::nullopt};
    args.insert(args.begin() + static_cast<std::ptrdiff_t>(i), defaultCommand);
    command = i;
  }
  args.insert(args.begin() + static_cast<std::ptrdiff_t>(*command + 1), moved.begin(), moved.end());
  return {std::move(args), command};
}

std::string meantOption(CLI::App& app, const ArrangedArguments& arranged) {
  std::vector<std::string> known;
  auto addNames = [&](const CLI::App& from) {
    for (const CLI::Option* option : from.get_options()) {
      for (const std::string& name : option->get_lnames()) known.push_back("--" + name);
    }
  };
  addNames(app);
  if (arranged.commandIndex) {
    try {
      addNames(*app.get_subcommand(arranged.args[*arranged.commandIndex]));
    } catch (const CLI::OptionNotFound&) {
    }
  }
  for (const std::string& whole : arranged.args) {
    if (whole == "--") break;
    if (whole.size() < 3 || whole.compare(0, 2, "--") != 0) continue;
    const std::string arg = whole.substr(0, whole.find('='));
    if (std::find(known.begin(), known.end(), arg) != known.end()) continue;
    if (const auto meant = closestWord(arg, known)) return trf("; did you mean '{}'?", *meant);
  }
  return "";
}

}  // namespace zarvo::app
