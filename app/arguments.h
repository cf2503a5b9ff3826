// The command line as a person types it, made into the form the parser reads: options may come
// before the command or after it, and no command at all means the default report.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace zarvo::app {

struct ArrangedArguments {
  std::vector<std::string> args;       // without the program's name
  std::optional<size_t> commandIndex;  // where the command word is; none for --help/--version alone
};

// `args` (without the program's name) arranged for `app`, whose subcommands are registered:
// - an option of the commands written before the command word ("zarvo --json done X",
//   "zarvo --tz Europe/Berlin ls") moves, with its value, to just after the command word; the
//   program's own options (--home, --config, --color) stay where they are, so they may come first;
// - without a command word, `defaultCommand` is the command, unless --help, -h or --version asks
//   for the program's help or version.
// An option's value is the next argument when the option takes one and was not written
// "--name=value". An unknown option stays where it was, for the parser to name; so does everything
// after "--" and every argument when the program's option before the command lacks its value.
ArrangedArguments arrangedArguments(const CLI::App& app, std::vector<std::string> args, const std::string& defaultCommand);

// "; did you mean '--flagged'?" for the first "--option" of `args` (arranged) that neither the
// command at `commandIndex` nor the program knows and that is near one of theirs; "" when none.
std::string meantOption(CLI::App& app, const ArrangedArguments& arranged);

}  // namespace zarvo::app
