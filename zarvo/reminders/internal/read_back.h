// Internal: the last look at a task file's new version before it replaces the old one. The new bytes
// are read back with the same reader every later read uses, and must give the task the change meant
// to give. A writer that edits lines by hand can be wrong about a line it did not understand; this is
// what keeps such a mistake from ever reaching the disk. Not part of the public interface.
//
// Each function is pure (no file is touched), thread-safe, and throws StoreError (invalid), naming
// `path` and the first value that does not read back, when the check fails. On success it answers
// the new version as read, for the caller to keep as the version now on disk (its `info` is empty).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "zarvo/reminders/internal/ical_file.h"

namespace zarvo::reminders::detail {

// `content` is editTodo(before, index, want). It must read as one file holding as many VTODOs, every
// other VTODO as it was, and VTODO `index` as `want` says: UID, title, notes, priority, due, status
// and completion time, alarms, categories, flag and order (those `want` leaves alone as they were),
// DTSTART and RRULE as they were. A recurring task completed instead moves on: open, no completion
// time, the same rule (its COUNT may shrink), DTSTART and DUE later than before, the series' alarms
// kept.
std::shared_ptr<TodoFile> readBackEdit(const TodoFile& before, size_t index, const DesiredTodo& want,
                                       const std::filesystem::path& path, std::string content);

// `content` is newTodoFile(want): one VTODO that reads as `want` says.
std::shared_ptr<TodoFile> readBackNew(const DesiredTodo& want, const std::filesystem::path& path, std::string content);

// `content` is removeTodo(before, index): every other VTODO as it was, in order.
std::shared_ptr<TodoFile> readBackRemoval(const TodoFile& before, size_t index, const std::filesystem::path& path,
                                          std::string content);

}  // namespace zarvo::reminders::detail
