// Internal: one entry of a home's history, in memory and as the JSON file it is kept in. An entry
// file is read as untrusted input: whatever it holds, decoding either yields an entry whose every
// path stays inside the reminders store (relative, without "..", "." or empty steps) and whose every
// field has its type, or an error; it never throws.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/error.h"

namespace zarvo::detail {

// What a task's record holds that its file may not: the flag and the tags (titles, sorted).
struct TaskState {
  bool flagged = false;
  std::vector<std::string> tags;
  friend bool operator==(const TaskState&, const TaskState&) = default;
};

struct HistoryEntry {
  // Where the change stands: written before its files change (pending), marked once it committed
  // (done), and before an undo changes anything (undoing). A change whose files and records are all
  // as before was never made when pending, was undone when undoing, and was reverted by another
  // program when done.
  enum class State { pending, done, undoing };
  State state = State::pending;
  std::string description;
  // The change was too large to keep (larger than the history may hold): it cannot be undone, and
  // the entry says so and how large it was.
  bool tooLarge = false;
  uint64_t size = 0;  // the bytes the change's copies take (or would have taken)

  struct File {
    std::string path;  // relative to the reminders store's root
    bool folder = false;
    // Before the change: the file's bytes, nothing when it did not exist. For a folder: present
    // (empty) when it existed.
    std::optional<std::string> before;
    // After it: digestOf() the bytes, nothing when the change removed it. For a folder: present
    // (empty) when it exists afterwards.
    std::optional<std::string> after;
  };
  std::vector<File> files;

  struct Task {
    std::string uid;
    std::optional<TaskState> before;  // nothing: the change made the task
    std::optional<TaskState> after;   // nothing: the change deleted it
  };
  std::vector<Task> tasks;

  // The lists' order (calendar identifier -> order), when the change moved, made or removed a list.
  std::map<std::string, int64_t> listOrderBefore, listOrderAfter;
  // Tags the change made (titles), which undoing it removes when no task keeps them.
  std::vector<std::string> createdTags;
};

// Size and 64-bit FNV-1a of `bytes`: enough to tell that another program rewrote a file.
std::string digestOf(std::string_view bytes);

// Whether `path` may name a file of the reminders store in an entry: relative, non-empty, of steps
// that are neither empty, "." nor "..", without NUL.
bool isSafeRelativePath(std::string_view path);

std::string encodeEntry(const HistoryEntry& entry);
// Errors: std::errc::illegal_byte_sequence, naming what is wrong.
Expected<HistoryEntry> decodeEntry(std::string_view text);

}  // namespace zarvo::detail
