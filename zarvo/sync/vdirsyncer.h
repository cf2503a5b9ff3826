// Running vdirsyncer for a home's accounts and reading what it reports.
//
// vdirsyncer says what it does one line at a time ("Syncing work/3f2a...", "Copying (uploading) item
// UID to work_remote/3f2a...", "Deleting item UID from work_local/3f2a...", "error: ..."). A
// SyncOutputReader turns those lines into events and a report: per list, what was added, updated and
// deleted on each side, the conflicts, and the errors with the kind of failure they mean. Lines it
// does not know are kept as they are, so nothing vdirsyncer says is hidden from the person.
//
// Vdirsyncer runs a plan of vdirsyncer commands (discover, metasync, sync) in one vdirsyncer process
// when it can: vdirsyncer starts slowly (about 0.3 s of CPU to load its libraries), and a sync with
// nothing to do is mostly that start. It then also tells vdirsyncer's HTTP client the connect and
// idle limits (vdirsyncer has no setting of its own for them). See vdirsyncer.cc for how.
//
// Threads: none of its own; the callbacks run on the caller's thread. A run may be stopped from any
// thread through its stop token.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/process.h"
#include "zarvo/sync/caldav_accounts.h"

namespace zarvo::caldav {

enum class Side { local = 0, server = 1 };

enum class SyncFailure {
  none,
  unauthorized,     // the server refused the user name or password
  unreachable,      // the server could not be reached
  timedOut,         // the server took a connection but did not answer in time
  dropped,          // the server closed a connection before its answer was complete
  needsDiscovery,   // vdirsyncer wants its lists discovered (first use, or the configuration changed)
  other,
};

// A conflict the resolver settled (see conflict_resolution.h): `kept` won, the other version is saved
// at `savedAt`.
struct ConflictNote {
  std::string uid;
  Side kept = Side::server;
  std::string keptTitle;
  std::string otherTitle;
  std::string savedAt;
};

struct ListChanges {
  std::string account;
  std::string collection;  // the list's folder name
  std::array<int, 2> added{}, updated{}, deleted{};  // indexed by Side
  std::vector<std::string> conflicts;                // UIDs changed on both sides
  bool failed = false;
  int total() const;
};

// A list that has no task left on one side while it had some at the last sync. vdirsyncer then syncs
// nothing of it, in case the side was emptied by mistake (a server reset, a folder not mounted).
struct EmptiedList {
  std::string account;
  std::string collection;
  Side side = Side::local;
};

struct SyncReport {
  std::vector<ListChanges> lists;  // in the order vdirsyncer synced them
  std::vector<EmptiedList> emptied;  // not errors: the caller decides
  std::vector<ConflictNote> conflictNotes;
  std::vector<std::string> errors;  // vdirsyncer's error lines, without their "error: " prefix
  SyncFailure failure = SyncFailure::none;  // the first kind of failure met
};

struct SyncEvent {
  // listFinished: vdirsyncer is done with `list` (told only when it runs as one process, see above).
  enum class Kind { listStarted, listFinished, added, updated, deleted, conflict, resolved, error, note } kind =
      Kind::note;
  Side side = Side::local;
  // The list the event belongs to, when there is one: valid until the reader reads the next line.
  const ListChanges* list = nullptr;
  std::string text;                   // the UID, the error, or the line
};

class SyncOutputReader {
 public:
  explicit SyncOutputReader(std::vector<Account> accounts);
  // Reads one line of vdirsyncer's output (or of the resolver it ran) into the report.
  SyncEvent read(std::string_view line);
  // vdirsyncer has finished syncing the list "pair/collection": a listFinished event for it.
  SyncEvent finished(std::string_view pairAndCollection);
  const SyncReport& report() const { return report_; }
  // Forgets the errors read so far, their kind and which lists failed, for a run that is tried
  // again: what the lists' counts say stays, since a run picks up where the last one left off.
  void forgetErrors();

 private:
  // The list a storage instance ("work_remote/3f2a") names, made on first mention; its side too.
  ListChanges* list(std::string_view storage, Side& side);
  ListChanges* find(std::string_view account, std::string_view collection);
  std::optional<size_t> current_;
  std::vector<Account> accounts_;
  SyncReport report_;
};

// The kind of failure one of vdirsyncer's error lines (without "error: ") tells of.
SyncFailure failureOfError(std::string_view message);

// The line the resolver prints for each conflict it settles, read back by SyncOutputReader.
std::string conflictNoteLine(const ConflictNote& note);

// One vdirsyncer command of a plan.
struct VdirsyncerStep {
  enum class Command { discover, metasync, sync };
  Command command = Command::sync;
  // Pair names, or "pair/collection" for one list of a pair.
  std::vector<std::string> pairs;
  // sync only: a list emptied on one side is emptied on the other too.
  bool forceDelete = false;
};

// How long vdirsyncer waits on the network.
struct NetworkTimeouts {
  // For a connection to the server to open. Default 20 s.
  std::chrono::milliseconds connect{20'000};
  // For the next bytes of an answer the server has started or owes. Default 45 s: a server that
  // takes connections and never answers ends a sync within two of these (a discovery makes two
  // requests one after the other before it gives up), so within two minutes with the defaults.
  std::chrono::milliseconds idle{45'000};
};

// What a plan's run came to.
struct VdirsyncerRun {
  platform::ProcessResult process;  // of the last process run; for a plan in one process, that one
  // Whether every step ran (a failed discover ends the plan).
  bool completed = false;
};

// vdirsyncer with a home's configuration.
class Vdirsyncer {
 public:
  // The vdirsyncer program on PATH, if any.
  static std::optional<std::filesystem::path> find();
  // What to tell a person who has none.
  static std::string installHint();

  // With `skipUnchangedLists`, a run in one process does not sync a list neither side of which
  // changed since its last successful sync (see vdirsyncer.cc for how that is told); it is reported
  // as synced with no change.
  Vdirsyncer(std::filesystem::path program, std::filesystem::path config, NetworkTimeouts timeouts = {},
             bool skipUnchangedLists = false);

  // Runs `steps` in order: in one process when vdirsyncer's Python can run them together (with
  // `timeouts` applied to its HTTP client), else one process per step (without them: vdirsyncer's
  // own limit is then five minutes a request). A discover answers yes when vdirsyncer offers to
  // create a list that only one side has; a failed discover ends the plan, other steps go on after a
  // failure. Every line vdirsyncer writes goes through `reader`, then to `onEvent`. Whatever the
  // mode, the program is ended when it has written nothing for max(2 min, 5 idle + connect), a
  // last resort for a hang the timeouts do not reach (a password command that never returns), and
  // when `stop` is requested. What vdirsyncer creates is private to the user (mask 077).
  VdirsyncerRun run(const std::vector<VdirsyncerStep>& steps, SyncOutputReader& reader,
                    const std::function<void(const SyncEvent&)>& onEvent, std::stop_token stop = {}) const;

  // The silence after which a run is ended (see run()).
  std::chrono::milliseconds silenceLimit() const;

 private:
  std::optional<VdirsyncerRun> runTogether(const std::vector<VdirsyncerStep>& steps, SyncOutputReader& reader,
                                           const std::function<void(const SyncEvent&)>& onEvent,
                                           std::stop_token stop) const;
  platform::ProcessResult runOne(const VdirsyncerStep& step, SyncOutputReader& reader,
                                 const std::function<void(const SyncEvent&)>& onEvent, std::stop_token stop) const;
  platform::ProcessOptions processOptions(std::stop_token stop) const;
  std::filesystem::path program_;
  std::filesystem::path config_;
  NetworkTimeouts timeouts_;
  bool skipUnchanged_ = false;
};

}  // namespace zarvo::caldav
