// Session: one command's use of the home (zarvo::Home, which owns the home's layout, lock and
// stores) and the command-line glue around it: where the home is, list look-ups that fail with a usage
// error, the titles a task is shown with.
//
// The home is --home, else $ZARVO_HOME, else $XDG_DATA_HOME/zarvo, else ~/.local/share/zarvo. A session
// holds the home (and so its exclusive lock) for its whole life, so concurrent zarvo processes run one
// after the other and never overwrite each other's records.
//
// The application owns the object context: a session saves it in finish(), after committing the
// reminders store, and drains the main queue. A session that is destroyed without finish() saves
// nothing (the reminders store keeps only what was already committed).
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "zarvo/home/home.h"
#include "zarvo/model/list.h"
#include "zarvo/model/task.h"
#include "zarvo/sync/calendar_io.h"

namespace zarvo::app {

struct GlobalOptions {
  std::optional<std::string> home;    // --home
  std::string color = "auto";         // --color auto|always|never
  std::optional<std::string> config;  // --config
};

// How a command opens the home: commands that change something make a missing home; commands that
// only read refuse a path that holds none and leave nothing behind. changeExisting writes (it holds
// the home as a changing command does) but, like a reader, refuses a path that holds no home: undo
// has nothing to revert there and must not make one.
enum class HomeUse { change, changeExisting, readOnly };

// The home to use: --home, else $ZARVO_HOME, else $XDG_DATA_HOME/zarvo, else ~/.local/share/zarvo.
std::filesystem::path homePath(const GlobalOptions& options);

class Session {
 public:
  // Opens the home, creating it on first use when `use` is HomeUse::change (see zarvo::Home); a reader
  // (HomeUse::readOnly) shares the home's lock with other readers, a writer holds it alone. Says on
  // stderr when it has to wait for another process. Throws RefusedError when the home cannot be used
  // (or, without HomeUse::change, does not exist), store errors unchanged.
  explicit Session(const GlobalOptions& options, HomeUse use = HomeUse::change);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Whether a usable home exists at `options`' path, without creating anything.
  static bool exists(const GlobalOptions& options);
  // Whether nothing at all is at `options`' home path yet (a new machine, or a mistyped --home); then
  // says so in one line on stderr, naming the path. A command that only shows shows an empty result
  // then and succeeds: no home means no tasks, not a failure. A path that exists but holds no usable
  // home is not this case: opening it is refused as before.
  static bool noHomeYet(const GlobalOptions& options);

  CalendarIO& io() { return home_->io(); }
  const std::filesystem::path& home() const { return home_->path(); }
  std::shared_ptr<store::ObjectContext> context() const { return home_->context(); }
  std::vector<std::shared_ptr<List>> lists() const { return home_->io().lists(); }
  // The home itself, for operations the library offers whole (list removal).
  Home& library() { return *home_; }

  // The list titled `title` ignoring case; UsageError when there is none.
  std::shared_ptr<List> requireList(const std::string& title) const;

  // The tasks of `lists` (none: every list), incomplete or completed, read fresh from the store.
  std::vector<std::shared_ptr<Task>> fetch(const std::optional<std::vector<std::shared_ptr<List>>>& lists,
                                           bool completedOnly);
  // Incomplete tasks, then completed ones. Fetch everything before changing anything: a fetch
  // reloads the store and drops writes that were not committed yet.
  std::vector<std::shared_ptr<Task>> allTasks();

  // The title of the list holding `task`, or nothing when its calendar is not among the lists.
  std::optional<std::string> listTitle(const Task& task) const;

  // The titles of `task`'s tags, sorted. The first call reads every tag once; call it only after the
  // command's own tag changes.
  std::vector<std::string> tagTitles(const Task& task) const;

  // Commits the reminders store, saves the object context, then drains the main queue. The change is
  // kept in the home's history as `description`, which `zarvo undo` shows.
  void finish(std::string_view description = {});

  // Undoes the newest change of the home's history (zarvo::Home::undoLastChange). UsageError when
  // there is nothing to undo, RefusedError when it cannot be undone (nothing changes then).
  UndoResult undo(bool skipChanged);
  // Makes again the change undone last (zarvo::Home::redoLastChange); errors as for undo.
  UndoResult redo(bool skipChanged);

 private:
  static std::unique_ptr<Home> open(const GlobalOptions& options, HomeUse use);

  std::unique_ptr<Home> home_;
  mutable std::optional<std::unordered_map<const Task*, std::vector<std::string>>> tagIndex_;
  // Tasks fetched whose files hold times outside the kept years, said once when the session ends.
  std::unordered_set<std::string> withDatesLeftOut_;  // by UID
};

}  // namespace zarvo::app
