// Internal: committing a handle's pending writes — planning each file's new contents, checking that
// no other program changed a file since it was read, writing everything or nothing. Not part of the
// public interface.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <memory>
#include <vector>

#include "zarvo/platform/filesystem.h"
#include "zarvo/platform/error.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/records.h"

namespace zarvo::reminders::detail {

// A write waiting in a handle for commit(): a save or a removal of one reminder.
struct PendingWrite {
  bool remove;
  std::shared_ptr<Reminder> reminder;
};

// Throws StoreError (invalid, readOnly) unless `r` can be saved: it has a saved, writable reminder
// calendar, a priority in 0...9, and due components (if any) with a year, month, day and known zone.
void validateForSave(const Reminder& r);

// Applies `pending`, in order, to the files under `root`: all temporary files first, then the swaps,
// creations and removals, undone if one of them fails; then runs `alongside` (when set) while every
// previous version is still kept aside, and undoes the files when it throws. Afterwards every
// reminder stands for the file version written, the process's file cache holds those versions, and
// `pending` is empty. No other program's write is ever overwritten, even one made in the instant
// before a swap, nor one made through a descriptor it held open across the swap (kept as a conflict
// copy beside the file). On a file system that cannot swap two files atomically (renameat2 without
// RENAME_EXCHANGE: FUSE, NFS, SMB), found on the first rewrite under `root` and remembered, a rewrite
// moves the current file aside, compares it, and puts the new version in place only under a name
// still free: the same guarantee, at the cost of the task file being missing for that instant (see
// commit_plan.cc). Where hard links and RENAME_NOREPLACE both fail, a new file's name is checked
// and then renamed to: the one step that is not atomic.
// Throws StoreError (conflict, io, readOnly, notFound, invalid), or what `alongside` threw, with every
// file as it was; the writes stay pending, except one that met a conflict: it is dropped, since only
// re-reading the reminder can resolve it.
// `beforeWriting` (when set) is told every file the commit changes once the new versions are
// written aside and before the first file changes; an error it returns fails the commit (StoreError
// io) with nothing changed.
using WriteObserver = std::function<Error(const std::vector<FileChange>&)>;
void commitPending(platform::FileSystem& fs, const std::filesystem::path& root, std::vector<PendingWrite>& pending,
                   const std::function<void()>& alongside = {}, const WriteObserver& beforeWriting = {});

// Tells `beforeWriting` (when set) of `changes`; throws StoreError(io) with its error's message.
void announceWrite(const WriteObserver& beforeWriting, const std::vector<FileChange>& changes);

// EventStore::restoreFiles on the files themselves: every file checked and swapped as a commit's,
// the file cache told, `emptiedFolders` removed when empty. Throws StoreError with every file as it was.
void restoreFiles(platform::FileSystem& fs, const std::filesystem::path& root, const std::vector<FileRestore>& files,
                  const std::vector<std::filesystem::path>& emptiedFolders, const std::function<void()>& alongside);

// Crash leftovers of commits whose process is gone (by pid and start time: a process that reused the
// pid does not keep them), under `root`: new versions never put in place and
// previous versions no longer needed are removed; the previous version of a task whose move to
// another list did not finish goes back in place (when no task file holds its UID). Never fails.
void recoverLeftovers(platform::FileSystem& fs, const std::filesystem::path& root);

// Renames `from` to `to` only while `to` is free; atomic where the file system can do it in one step
// (commit_plan.cc says what is left where it cannot).
Error renameToFreeName(platform::FileSystem& fs, const std::filesystem::path& from, const std::filesystem::path& to);

// A path in `dir` that holds no file and is not in `taken`: `name`, else "<stem>-2.ics", "<stem>-3.ics", ...
// A name whose stat fails reads as free; renameToFreeName makes a wrong guess cost a retry, not a file.
std::filesystem::path freePath(platform::FileSystem& fs, const std::filesystem::path& dir, const std::string& name,
                               const std::set<std::filesystem::path>& taken);

// The names a move gives the previous version of a task while its copy is put in place.
bool isOldVersionName(std::string_view name);
std::optional<platform::ProcessIdentity> oldVersionOwner(std::string_view name);
std::string oldVersionOriginalName(std::string_view name);

}  // namespace zarvo::reminders::detail
