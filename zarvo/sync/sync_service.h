// SyncService: a home's CalDAV accounts and their sync through vdirsyncer, for every front end. A
// front end only asks and shows: which accounts, what to sync, what happened.
//
// What is locked when:
//   <home>/vdirsyncer/lock  held for a whole sync, and for an account's removal: vdirsyncer's status
//                           files take one sync at a time. Taken without waiting: a second sync of
//                           the same home is refused (SyncErrc::busy).
//   the home's own lock     taken (through SyncHome) only for the local steps, each short: making a
//                           list for an account that has none, moving this machine's lists into an
//                           account, and reading what vdirsyncer changed into the records. Never while
//                           vdirsyncer waits on the network: other commands on the home go on during a
//                           sync. vdirsyncer and the library then change task files as any two
//                           programs do: neither overwrites a file that changed since it read it (the
//                           loser's change waits for the next sync; nothing is lost).
//
// A sync of some accounts:
// 1. Checks them (known, no password in the URL, the password's source present), finds vdirsyncer,
//    takes the sync lock and writes vdirsyncer's configuration.
// 2. An account synced for the first time, or with an upload pending: vdirsyncer finds its lists on
//    both sides (SyncProgress::findingLists is called once). Then, under the home's lock, this
//    machine's local lists move into it when an upload is pending (a list whose title the account
//    already has joins that list; a task whose UID the account already holds stays where it is), and
//    an account left with no list at all gets one named after it.
// 3. One vdirsyncer run: find lists made or removed on either side (so a list made on another
//    machine arrives with a plain sync), sync titles and colours, then the tasks. With nothing to
//    do, this is the only run and costs one vdirsyncer start.
// 4. A list emptied here is emptied on the server by a second run. One emptied on the server is
//    emptied here only with SyncRequest::forceDelete; otherwise it is not synced and the sync fails
//    with SyncErrc::emptiedOnServer, changing nothing here.
// 5. Whatever happened, what vdirsyncer changed is read into the records under the home's lock;
//    after a first sync new tasks go to the account (unless they already went to a synced list), and
//    local lists emptied by an upload are removed.
//
// Network: vdirsyncer gets SyncServiceOptions::timeouts (see NetworkTimeouts); a server that takes
// connections and never answers ends a sync within two minutes by default. A failure's message
// names the account and its server and says what happened; "nothing here was lost" when so.
//
// Threads: use a SyncService from one thread at a time; it blocks that thread while vdirsyncer runs,
// and calls SyncProgress there. The stop token of sync() may be requested from any thread: vdirsyncer
// is ended, what was synced so far is read into the records, and the result says SyncErrc::cancelled.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/model/task.h"
#include "zarvo/platform/filesystem.h"
#include "zarvo/sync/caldav_accounts.h"
#include "zarvo/sync/calendar_io.h"
#include "zarvo/sync/sync_error.h"
#include "zarvo/sync/vdirsyncer.h"

namespace zarvo::caldav {

// The home a SyncService works on, given by the layer that owns homes (zarvo/home/home_sync.h has the
// implementations for zarvo::Home).
class SyncHome {
 public:
  virtual ~SyncHome() = default;
  // The home's folder: it holds the reminders tree ("reminders") and vdirsyncer's folder.
  virtual std::filesystem::path path() const = 0;
  // Runs `work` with the home open for writing and its lock held: `io` on the home's stores, `tasks`
  // every task (completed, then open ones) read fresh from the files, including what other programs
  // changed. Then commits and saves files and records together. The lock is held for this call only
  // (or as long as its owner holds it anyway). A failure to open, read or save, or a store error
  // thrown by `work`: a SyncErrc::home error with the home's message.
  virtual Error update(
      const std::function<void(CalendarIO& io, const std::vector<std::shared_ptr<Task>>& tasks)>& work) = 0;
};

struct SyncServiceOptions {
  // How long vdirsyncer waits on the network. Default: NetworkTimeouts' defaults.
  NetworkTimeouts timeouts;
  // The command vdirsyncer runs for a task changed on both sides (program and arguments; it appends
  // the two versions' files), one that calls resolveConflictFiles (conflict_resolution.h).
  // Default (empty): `zarvo --home HOME sync-conflict` with the zarvo on PATH; when there is none, no
  // resolver: such a task is then reported as an error and left as it is on both sides.
  std::vector<std::string> conflictResolver;
  // Skip the lists that changed on neither side since their last successful sync: vdirsyncer would
  // find nothing to do in them, after listing every task of both sides. Told by the server's tag for
  // the list (one small request each) and the local files' names, times, inodes and sizes; a server
  // without such a tag always syncs every list. Default false: every list is synced by vdirsyncer
  // itself on every sync; the zarvo program turns it on.
  bool skipUnchangedLists = false;
  // The vdirsyncer program. Default (empty): the one on PATH.
  std::filesystem::path vdirsyncer;
  // For the home's sync files. Default (null): platform::FileSystem::posix().
  std::shared_ptr<platform::FileSystem> fileSystem;
  // How often a run the server cut off (it closed a connection before its answer was complete) is
  // tried again, after `retryPause`. vdirsyncer picks up where the cut-off run left off, so nothing
  // is done twice; its error lines and failed lists are told only when no try is left. Default 2;
  // 0 reports the first cut.
  int retriesAfterACut = 2;
  std::chrono::milliseconds retryPause{1000};
};

struct SyncRequest {
  // The accounts to sync, by name. Default (empty): every account.
  std::vector<std::string> accounts;
  // Empty here the lists that were emptied on the server. Default false (see step 4 above).
  bool forceDelete = false;
};

// One list's part in a sync.
struct ListSummary {
  ListChanges changes;  // account, folder, counts per side, conflicts, whether it failed
  std::string title;    // its title here (the folder's name when it has none)
};

// One of this machine's local lists moved into an account (step 2).
struct UploadedList {
  std::string account;
  std::string title;
  size_t tasks = 0;         // tasks moved into the account's list
  size_t alreadyThere = 0;  // tasks whose UID the account already held: left where they were
  bool joined = false;      // the account already had a list of this title: the tasks joined it
};

// A local list and what an upload would move.
struct LocalList {
  std::string title;
  size_t openTasks = 0;
  size_t completedTasks = 0;
};

// Told as a sync goes, on the thread that called sync(). Each may be empty.
struct SyncProgress {
  // Once per sync, before the first look at the lists of accounts synced for the first time.
  std::function<void(const std::vector<std::string>& accounts)> findingLists;
  std::function<void(const UploadedList& list)> listUploaded;
  // Once per list, when vdirsyncer is done with it.
  std::function<void(const ListSummary& list)> listSynced;
  // vdirsyncer's error lines, as they come; those of a run that is tried again are not told.
  std::function<void(const std::string& error)> problem;
  // Before a run the server cut off is tried again: the `attempt`th try after the first (1, 2, ...).
  std::function<void(int attempt)> retrying;
};

struct [[nodiscard]] SyncResult {
  Error status;
  std::vector<std::string> accounts;  // the accounts synced (or meant to be)
  std::vector<ListSummary> lists;     // in the order vdirsyncer took them
  std::vector<ConflictNote> conflicts;
  std::vector<std::string> errors;    // vdirsyncer's error lines
  std::vector<UploadedList> uploads;
  // "Title (account)" of the list new tasks go to from now on, when this sync chose it.
  std::optional<std::string> newDefaultList;
};

class SyncService {
 public:
  // `home` must outlive the service.
  explicit SyncService(SyncHome& home, SyncServiceOptions options = {});

  const Accounts& accounts() const { return accounts_; }

  // Adds the account (see Accounts::add), in the home, made when missing. With `uploadLocalLists`,
  // the first sync of the account moves this machine's local lists into it (step 2).
  Error addAccount(const Account& account, bool uploadLocalLists);
  // Forgets an account (see Accounts::remove); with `deleteLocalLists` its lists and their tasks go
  // from this machine too (the server keeps them). Returns how many lists went. busy while a sync
  // runs.
  Expected<size_t> removeAccount(std::string_view name, bool deleteLocalLists);
  // The lists of this machine's local accounts: what an upload would move.
  Expected<std::vector<LocalList>> localLists();

  // Syncs (see above). Never throws for a failure of the server, vdirsyncer or the home: the result
  // says what happened, also on failure (lists synced before it, conflicts settled).
  SyncResult sync(const SyncRequest& request, const SyncProgress& progress = {}, std::stop_token stop = {});

 private:
  SyncHome& home_;
  SyncServiceOptions options_;
  AccountsLayout layout_;
  Accounts accounts_;
};

}  // namespace zarvo::caldav
