// The zarvo command-line program: one subcommand per file, registered here.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

#include "app/command_error.h"
#include "app/parse_command.h"

namespace {

// Error messages go out on exactly one line.
std::string oneLine(std::string message) {
  for (char& c : message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!message.empty() && message.back() == ' ') message.pop_back();
  return message;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "zarvo: %s\n", oneLine(message).c_str());
  return zarvo::app::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"zarvo: to-dos on the command line, with natural-language dates"};
  app.require_subcommand(1);
  int exitCode = 0;
  zarvo::app::registerParseCommand(app, exitCode);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return fail(e.what());
  } catch (const zarvo::app::UsageError& e) {
    return fail(e.what());
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  return exitCode;
}
