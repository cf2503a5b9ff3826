// Running vdirsyncer for a home's accounts and reading what it reports.
//
// vdirsyncer says what it does one line at a time ("Syncing work/3f2a...", "Copying (uploading) item
// UID to work_remote/3f2a...", "Deleting item UID from work_local/3f2a...", "error: ..."). A
// SyncOutputReader turns those lines into events and a report: per list, what was added, updated and
// deleted on each side, the conflicts, and the errors with the kind of failure they mean. Lines it
// does not know are kept as they are, so nothing vdirsyncer says is hidden from the person.
//
// Threads: none of its own; the callbacks run on the caller's thread.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
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
  enum class Kind { listStarted, added, updated, deleted, conflict, resolved, error, note } kind = Kind::note;
  Side side = Side::local;
  const ListChanges* list = nullptr;  // the list the event belongs to, when there is one
  std::string text;                   // the UID, the error, or the line
};

class SyncOutputReader {
 public:
  explicit SyncOutputReader(std::vector<Account> accounts);
  // Reads one line of vdirsyncer's output (or of the resolver it ran) into the report.
  SyncEvent read(std::string_view line);
  const SyncReport& report() const { return report_; }

 private:
  // The list a storage instance ("work_remote/3f2a") names, made on first mention; its side too.
  ListChanges* list(std::string_view storage, Side& side);
  ListChanges* find(std::string_view account, std::string_view collection);
  std::optional<size_t> current_;
  std::vector<Account> accounts_;
  SyncReport report_;
};

// The line the resolver prints for each conflict it settles, read back by SyncOutputReader.
std::string conflictNoteLine(const ConflictNote& note);

// vdirsyncer with a home's configuration.
class Vdirsyncer {
 public:
  // The vdirsyncer program on PATH, if any.
  static std::optional<std::filesystem::path> find();
  // What to tell a person who has none.
  static std::string installHint();

  Vdirsyncer(std::filesystem::path program, std::filesystem::path config);

  // `vdirsyncer discover PAIRS`: finds the lists on both sides, creating on each side those only the
  // other has (it asks before creating; the answer is yes).
  platform::ProcessResult discover(const std::vector<std::string>& pairs, SyncOutputReader& reader,
                                   const std::function<void(const SyncEvent&)>& onEvent) const;
  // `vdirsyncer sync PAIRS` and `vdirsyncer metasync PAIRS`.
  // With `forceDelete`, a list emptied on one side is emptied on the other too.
  platform::ProcessResult sync(const std::vector<std::string>& pairs, SyncOutputReader& reader,
                               const std::function<void(const SyncEvent&)>& onEvent, bool forceDelete = false) const;
  platform::ProcessResult metasync(const std::vector<std::string>& pairs, SyncOutputReader& reader,
                                   const std::function<void(const SyncEvent&)>& onEvent) const;

 private:
  platform::ProcessResult run(const std::string& command, const std::vector<std::string>& pairs,
                              const std::string& input, SyncOutputReader& reader,
                              const std::function<void(const SyncEvent&)>& onEvent) const;
  std::filesystem::path program_;
  std::filesystem::path config_;
};

}  // namespace zarvo::caldav
