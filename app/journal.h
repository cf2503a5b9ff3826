// The undo journal: every change made through zarvo leaves an entry in <home>/journal, and
// `zarvo undo` reverts the newest one, repeatedly.
//
// An entry keeps the bytes each changed file held before the change (so a deleted task comes back
// byte for byte), a digest of what it held after, and the records the files cannot hold (flags,
// tags, list order) before and after. Undoing first checks that every file and record still is as
// the change left it; when another program has changed one since, the undo is refused with the
// reason and nothing is touched.
//
// Entries are JSON files named by a sequence number; the newest 50 are kept. The journal is read and
// written under the home's lock (a Session), by one thread.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/session.h"

namespace zarvo::app {

// The records of a task that its file does not hold.
struct TaskState {
  bool flagged = false;
  std::vector<std::string> tags;  // titles, sorted
  friend bool operator==(const TaskState&, const TaskState&) = default;
};

struct JournalEntry {
  std::string description;  // what was done, e.g. "rm 3f2a1bc"
  struct File {
    std::string path;                   // relative to <home>/reminders
    std::optional<std::string> before;  // the bytes before the change; none: the file did not exist
    std::optional<std::string> after;   // a digest of the bytes after; none: the file was gone
  };
  std::vector<File> files;
  struct Record {
    std::string uid;
    std::optional<TaskState> before;  // none: the change made the task
    std::optional<TaskState> after;   // none: the change deleted it
  };
  std::vector<Record> records;
  std::vector<std::string> createdFolders;  // list folders the change made, relative to <home>/reminders
  std::map<std::string, int> listOrderBefore, listOrderAfter;  // calendar identifier -> order
};

// Collects what one command changes. Call the "before" functions before changing anything and
// commit() after Session::finish(); a command that fails before commit() leaves no entry.
class ChangeRecorder {
 public:
  ChangeRecorder(Session& session, std::string description);

  // Before the change: the task's file and records (a task the change deletes, moves or edits).
  void task(const std::shared_ptr<Task>& task);
  // Before the change: every file of a list's folder, and the files beside the lists.
  void listFolder(const std::string& calendarIdentifier);
  // Before the change: the order of the lists.
  void listOrder();
  // Before the change: which list new tasks go to.
  void defaultList();
  // After the change: a task it made.
  void added(const std::shared_ptr<Task>& task);
  // After the change: a list folder it made.
  void addedListFolder(const std::string& calendarIdentifier);

  // Reads what every place holds now and appends the entry to the journal.
  void commit();

 private:
  // Keeps `path` with what it held before the change (asked of `before` only the first time).
  void keep(const std::filesystem::path& path, const std::function<std::optional<std::string>()>& before);
  void file(const std::filesystem::path& path);

  Session& session_;
  JournalEntry entry_;
  std::vector<std::shared_ptr<Task>> tasks_;
  std::map<std::string, std::set<std::string>> watched_;  // list folders the change made -> names before (none)
  bool order_ = false;
};

// Reverts the newest entry of `session`'s journal and removes it; returns its description.
// UsageError when the journal is empty; RefusedError, changing nothing, when a file or record it
// covers was changed since by another program.
std::string undoLastChange(Session& session);

}  // namespace zarvo::app
