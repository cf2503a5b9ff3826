// Internal: reading the vdir tree — sources (account folders and their .source files), calendars
// (collection folders with displayname and color), and the task files of a calendar folder through
// the process's file cache. Not part of the public interface.
//
// Layout: <root>/<source>/.source, <root>/<source>/<collection>/{displayname,color,*.ics}.
#pragma once

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "zarvo/platform/filesystem.h"
#include "zarvo/platform/log.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/records.h"
#include "zarvo/reminders/store_error.h"

namespace zarvo::reminders::detail {

// The reminders store's log.
const platform::Log& storeLog();

// A StoreError for a failed file operation: readOnly for permission errors, notFound for a missing
// file, io otherwise; the message names the operation (`what`: "write", "remove", ...) and the path.
StoreError fileError(Error e, const std::string& what, const std::filesystem::path& path);

// For a failure the caller rightly goes on after (the change it made stands; only a tidy-up, or
// durability across a crash, suffered): logs it as an error naming `what` and `path`.
void logFailure(Error e, std::string_view what, const std::filesystem::path& path);

// The first line of `text` without its line end and surrounding blanks.
std::string trimmedLine(const std::string& text);

// The contents of a small metadata file; "" when it is missing or cannot be read.
std::string readSmallFile(platform::FileSystem& fs, const std::filesystem::path& path);

// Whether a directory entry named `name` is a task file (*.ics, not one of our temporary files).
bool isTaskFileName(std::string_view name);

// Reads one task file through the process's file cache. `before` is the file's metadata as just
// listed. Null when missing or unparsable (logged once per version). `stored` (when given) is set
// when what was read went into the cache.
std::shared_ptr<const TodoFile> loadFile(platform::FileSystem& fs, const std::filesystem::path& path,
                                         const platform::FileInfo& before, bool* stored = nullptr);
// The same, asking the file system for the metadata first.
std::shared_ptr<const TodoFile> loadFile(platform::FileSystem& fs, const std::filesystem::path& path);

// A source as its .source file describes it (identifier=, title=, type=; one per line); the folder
// name stands in for a missing identifier or title, and the type is local unless it says 1 or 2.
struct SourceDescription {
  std::string identifier;
  std::string title;
  SourceType type = SourceType::local;
};
SourceDescription readSourceFile(const std::string& folder, const std::string& text);

// Scans <root> for sources and calendars. `sources` (by folder name) is replaced by what is on disk,
// keeping the objects whose description did not change; `calendars` (by identifier) keeps its objects
// for folders still there, updated from disk (titles and colours changed in memory and not saved stay),
// gains new ones and loses those whose folder is gone. Never fails: an unreadable tree gives none.
// With `readOnly`, every calendar is read-only whatever its folder's permissions.
void scanTree(platform::FileSystem& fs, const std::filesystem::path& root,
              std::map<std::string, std::shared_ptr<Source>>& sources,
              std::map<std::string, std::shared_ptr<Calendar>>& calendars, bool readOnly = false);

// What loadCalendarFolder found besides the reminders it made.
struct FolderReport {
  // The folder, and its task files in the order read.
  std::filesystem::path dir;
  std::shared_ptr<const std::vector<std::string>> names;
  // Every task of the folder (whatever the completion asked for), in the order read: UID and the
  // index of the file (in `names`) it was read from. The UIDs point into `entries` and `madeUids`.
  std::vector<std::pair<std::string_view, size_t>> uids;
  // By file: what the cache answered, or what was read.
  std::vector<FileCache::Entry> entries;
  // The UIDs of VTODOs without one: their file names.
  std::deque<std::string> madeUids;
  // By file: the parsed file the reminders made were read from; null when none was made.
  std::vector<const TodoFile*> madeFrom;
  // Files that cannot be read or do not parse, with why.
  std::vector<std::pair<std::filesystem::path, std::string>> unreadable;
  // Only the folder's files that need attention were read (see FolderState::attention): `uids` lacks
  // those of files that hold only completed tasks.
  bool partial = false;
  // What the folder's files were, for a duplicate verdict; nothing when the folder has no settled
  // state to tie one to.
  std::optional<FileCache::FolderKey> key;
  // How many times this read changed the folder's entries in the cache (FileCache::changesOf).
  uint64_t changes = 0;
};

// The reminders of one calendar folder, in file-name order, then position in the file, appended to
// `out`: all of them, or only the completed (`completed` true) or incomplete ones. Recurrence
// overrides are left out, and so are the reminders whose UID is in `skipUids` (they have pending
// writes in the handle). Files that do not parse are left out (logged, and listed in `report`).
// `checkEveryFile` checks every task file, as though completedTaskFilesCheckInterval() were due.
// `allowPartial` lets a read of incomplete reminders skip the files that hold only completed tasks
// when their check is not due (report.partial then says so).
void loadCalendarFolder(platform::FileSystem& fs, const std::filesystem::path& root,
                        const std::shared_ptr<Calendar>& calendar, std::optional<bool> completed,
                        const std::set<std::string>& skipUids, bool checkEveryFile, bool allowPartial,
                        std::vector<std::shared_ptr<Reminder>>& out, FolderReport& report);

}  // namespace zarvo::reminders::detail
