// The commands of the zarvo program, one file each. Every register function adds its subcommand to
// `app`; the subcommand's callback runs the command with the program's global options and stores
// its exit status in `program.exitCode`. Commands raise UsageError or RefusedError (command_error.h)
// and let store errors through; main turns them into one line on stderr and the exit status.
#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include "app/output.h"
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/session.h"
#include "app/command_error.h"
#include "zarvo/home/settings.h"
#include "zarvo/platform/colour.h"
#include "zarvo/sync/sync_service.h"

namespace zarvo::app {

struct Program {
  GlobalOptions globals;
  int exitCode = 0;

  // The settings (zarvo/home/settings.h), read on first use from --config, $ZARVO_CONFIG or the
  // default file. A file that cannot be used is a usage error.
  const Settings& settings() {
    if (!settings_) {
      if (globals.config && globals.config->empty()) throw UsageError("--config needs a file");
      auto loaded = loadSettings(globals.config ? std::optional<std::filesystem::path>(*globals.config) : std::nullopt);
      if (!loaded) throw UsageError(loaded.error().message());
      settings_ = std::move(*loaded);
    }
    return *settings_;
  }

 private:
  std::optional<Settings> settings_;
};

void registerAddCommand(CLI::App& app, Program& program);
void registerLsCommand(CLI::App& app, Program& program);
void registerReportCommand(CLI::App& app, Program& program);
void registerShowCommand(CLI::App& app, Program& program);
void registerDoneCommand(CLI::App& app, Program& program);
void registerUndoCommand(CLI::App& app, Program& program);
void registerRmCommand(CLI::App& app, Program& program);
void registerMvCommand(CLI::App& app, Program& program);
void registerEditCommand(CLI::App& app, Program& program);
void registerSnoozeCommand(CLI::App& app, Program& program);
void registerRemindCommand(CLI::App& app, Program& program);
void registerTagCommand(CLI::App& app, Program& program);
void registerPurgeCommand(CLI::App& app, Program& program);
void registerListsCommand(CLI::App& app, Program& program);
void registerListAddCommand(CLI::App& app, Program& program);
void registerListEditCommand(CLI::App& app, Program& program);
void registerListRmCommand(CLI::App& app, Program& program);
void registerListMvCommand(CLI::App& app, Program& program);
void registerListDefaultCommand(CLI::App& app, Program& program);
void registerQuickCommand(CLI::App& app, Program& program);
void registerAccountCommand(CLI::App& app, Program& program);
void registerSyncCommand(CLI::App& app, Program& program);
void registerRemindersCommand(CLI::App& app, Program& program);
void registerCompleteCommand(CLI::App& app, Program& program);

// ---- Helpers shared by the commands ----

// The words of a TEXT argument joined by single spaces. UsageError when it is not valid UTF-8.
std::string joinedText(const std::vector<std::string>& words, const std::string& what = "TEXT");

// A tag as typed ("urgent", "+urgent") made a tag title; UsageError for one without text or with the
// wildcards "*" or "?".
std::string checkedTagTitle(const std::string& tag);

// A list title as typed, trimmed; UsageError for an empty one or one of several lines.
std::string checkedListTitle(const std::string& typed);

// The colour a list is given by `--color` in list-add and list-edit: "#RRGGBB" or a name of
// platform::listColours(). UsageError naming the choices otherwise.
platform::RGBA checkedColour(const std::string& typed);

// Whether `value` of a list command's --color is the program's --color (auto, always, never) typed
// after the command: then it is that, and the list keeps its colour.
bool isOutputColourChoice(const std::string& value);

// Asks before a command deletes something: `what` ("Delete 3 tasks") is asked on the terminal when
// standard input is one, and answered yes only by "y" or "yes". Without a terminal the answer is
// `yes` (--yes); UsageError when it is missing, so a script never deletes by accident. Returns
// whether to go on (false: the person said no).
bool confirmed(const std::string& what, bool yes);

// The word of `words` closest to `typed` by edit distance (insertions, deletions, substitutions and
// swaps of neighbours, each 1), when it is near enough to be what was meant: at most 2 edits, and
// fewer than the typed word's length. Nothing otherwise; the first of equally close words wins.
std::optional<std::string> closestWord(std::string_view typed, const std::vector<std::string>& words);

// How printJson writes: indented (--json), or for scripts that read line by line (--json-lines) each
// element of an array on a line of its own (nothing for an empty one) and any other document on one
// line. Set once by main before a command runs.
enum class JsonStyle { indented, lines };
void setJsonStyle(JsonStyle style);

// Prints a JSON document on standard output in the JsonStyle set (invalid UTF-8 replaced).
void printJson(const nlohmann::ordered_json& document);

// The tasks named by `ids` among every task of the session, each at most once, in argument order.
// Every id is resolved before the caller changes anything, so one bad id changes nothing.
std::vector<std::shared_ptr<Task>> resolveTasks(Session& session, const std::vector<std::string>& ids);

// Options of done and undo.
struct CompletionOptions {
  std::vector<std::string> ids;
  bool json = false;
};
// Sets the completion of the tasks named by `ids` (those already so are reported and left alone),
// commits, saves and prints them.
int setCompletion(Program& program, const std::vector<std::string>& ids, bool completed, bool json);

// JSON array of task objects, ids as `ids` shows them.
nlohmann::ordered_json tasksJson(const std::vector<std::shared_ptr<Task>>& tasks, const Session& session);

// The open tasks of every list, counted by calendar identifier. Reads the store: call it before the
// command changes anything.
std::map<std::string, size_t> openTaskCounts(Session& session);

// The object of one list, as `lists --json` and the list commands print it: {"title", "id", "color",
// "default", "openTasks"}, keys in that order. "id" is the calendar identifier ("" for a list without
// calendar), "color" "#RRGGBB" ("#RRGGBBAA" when not opaque) or null.
nlohmann::ordered_json listJson(const List& list, bool isDefault, size_t openTasks);

// JSON array of `lists` in their order; `openTasks` counts by calendar identifier (missing: 0).
nlohmann::ordered_json listsJson(const std::vector<std::shared_ptr<List>>& lists,
                                 const std::shared_ptr<List>& defaultList,
                                 const std::map<std::string, size_t>& openTasks);

// ---- Sync (sync_command.cc), shared with `account add --upload` ----

// Home options that say on stderr when the home is busy.
HomeOptions waitingHomeOptions();
// The sync service's options for the home at `home`: this program settles conflicts; the network
// timeouts are the settings'.
caldav::SyncServiceOptions syncServiceOptions(const std::filesystem::path& home, const Settings& settings);
// Runs `request` through `service`, printing as it goes and then what happened, as `zarvo sync`
// does. Returns the exit status; a failure is a UsageError or RefusedError. With `json`, the JSON
// report goes to `into` when given, else to standard output.
int syncAndPrint(caldav::SyncService& service, const caldav::SyncRequest& request, bool json,
                 nlohmann::ordered_json* into = nullptr);

}  // namespace zarvo::app
