// The zarvo command-line program: global options and one subcommand per file, registered here.
#include <CLI/CLI.hpp>
#include <unicode/locid.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "app/messages.h"
#include "app/arguments.h"
#include "app/output.h"
#include "app/command_error.h"
#include "app/commands.h"
#include "app/heap.h"
#include "app/parse_command.h"
#include "zarvo/home/front_end.h"
#include "zarvo/store/store_error.h"
#include "zarvo/platform/log.h"
#include "zarvo/reminders/store_error.h"
#include "zarvo/version.h"

namespace {

// Error messages go out on exactly one line (the writer escapes what they quote: titles, file names,
// a server's words).
std::string oneLine(std::string message) {
  for (char& c : message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!message.empty() && message.back() == ' ') message.pop_back();
  return message;
}

int fail(const std::string& message, int status) {
  zarvo::app::err().line("zarvo: " + zarvo::app::inPersonsLanguage(oneLine(message)));
  return status;
}

// The library's diagnostics stay out of a command's output unless asked for with ZARVO_LOG_LEVEL:
// an error is the one line main prints.
class QuietLogSink final : public zarvo::platform::LogSink {
 public:
  void write(const zarvo::platform::LogRecord&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  using namespace zarvo::app;
  tuneHeapForOneCommand();
  // Before anything is said, and before any thread starts: in which language to say it.
  setUpMessages();
  if (const char* level = std::getenv("ZARVO_LOG_LEVEL"); level == nullptr || *level == '\0') {
    zarvo::platform::Log::setSink(std::make_shared<QuietLogSink>());
  }

  // The C locale makes ICU collate like strcmp, case and accents included; searching tasks is meant
  // to ignore both, so without a chosen language compare as English does.
  if (std::string_view(icu::Locale::getDefault().getName()) == "en_US_POSIX") {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale::getEnglish(), status);
  }
  // Priorities, alarms and colours as every other front end of the home has them (painting itself is
  // decided per command by --color).
  zarvo::enableFrontEndOptions();

  CLI::App app{"zarvo: to-dos on the command line, kept as iCalendar files, with natural-language dates"};
  app.require_subcommand(1);
  // The program's options may also follow the command ("zarvo ls --home DIR"); the commands' options
  // may also come before it (arrangedArguments).
  app.fallthrough();
  app.footer(
      "Home: --home DIR, else $ZARVO_HOME, else $XDG_DATA_HOME/zarvo (~/.local/share/zarvo); made by the first\n"
      "command that changes something. Settings: --config FILE, else $ZARVO_CONFIG, else\n"
      "$XDG_CONFIG_HOME/zarvo/config.toml (~/.config/zarvo/config.toml).\n"
      "Exit status: 0 success, 1 the home or the store refused the operation, 2 bad usage.\n"
      "Without a command, zarvo shows the report: open tasks overdue, due today or flagged (zarvo report --help).\n"
      "Run 'zarvo COMMAND --help' for a command's options; they may also come before the command.");
  Program program;
  app.add_option("--home", program.globals.home, "The home folder");
  app.add_option("--config", program.globals.config, "The settings file");
  app.add_option("--color", program.globals.color, "Colours: auto (on a terminal, without NO_COLOR), always, never");
  app.set_version_flag("--version", std::string("zarvo ") + ZARVO_VERSION_STRING, "Print the version and exit");

  registerAddCommand(app, program);
  registerLsCommand(app, program);
  registerReportCommand(app, program);
  registerShowCommand(app, program);
  registerDoneCommand(app, program);
  registerUndoCommand(app, program);
  registerEditCommand(app, program);
  registerSnoozeCommand(app, program);
  registerRemindCommand(app, program);
  registerMvCommand(app, program);
  registerRmCommand(app, program);
  registerTagCommand(app, program);
  registerPurgeCommand(app, program);
  registerListsCommand(app, program);
  registerListAddCommand(app, program);
  registerListEditCommand(app, program);
  registerListRmCommand(app, program);
  registerListMvCommand(app, program);
  registerListDefaultCommand(app, program);
  registerQuickCommand(app, program);
  registerAccountCommand(app, program);
  registerSyncCommand(app, program);
  registerRemindersCommand(app, program);
  registerParseCommand(app, program);
  registerCompleteCommand(app, program);

  // --json-lines is --json written for scripts that read line by line.
  std::vector<std::string> typed(argv + 1, argv + argc);
  for (std::string& arg : typed) {
    if (arg == "--") break;
    if (arg == "--json-lines") {
      arg = "--json";
      setJsonStyle(JsonStyle::lines);
    }
  }
  // What the parser reads: the commands' options moved after the command, the report when none.
  const ArrangedArguments arranged = arrangedArguments(app, std::move(typed), "report");
  std::vector<char*> arrangedArgv{argv[0]};
  for (const std::string& arg : arranged.args) arrangedArgv.push_back(const_cast<char*>(arg.c_str()));
  try {
    // CLI11 would call an unknown word a missing command; name it instead.
    if (arranged.commandIndex) {
      const std::string& word = arranged.args[*arranged.commandIndex];
      try {
        app.get_subcommand(word);
      } catch (const CLI::OptionNotFound&) {
        std::vector<std::string> names;
        for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
        const auto meant = closestWord(word, names);
        throw UsageError(meant ? trf("unknown command '{}'; did you mean '{}'? (see zarvo --help)", word, *meant)
                               : trf("unknown command '{}' (see zarvo --help)", word));
      }
    }
    app.parse(static_cast<int>(arrangedArgv.size()), arrangedArgv.data());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ExtrasError& e) {
    return fail(std::string(e.what()) + meantOption(app, arranged) + " " + tr("(see zarvo --help)"), kExitUsage);
  } catch (const CLI::ParseError& e) {
    return fail(std::string(e.what()) + " " + tr("(see zarvo --help)"), kExitUsage);
  } catch (const UsageError& e) {
    return fail(e.what(), kExitUsage);
  } catch (const RefusedError& e) {
    return fail(e.what(), kExitRefused);
  } catch (const zarvo::reminders::StoreError& e) {
    return fail(trf("the reminders store refused: {}", e.what()), kExitRefused);
  } catch (const zarvo::store::StoreError& e) {
    return fail(trf("the records database refused: {}", e.what()), kExitRefused);
  } catch (const std::exception& e) {
    return fail(e.what(), kExitRefused);
  }
  return program.exitCode;
}
