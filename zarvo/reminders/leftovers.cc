// The clean-up of what commits leave behind when their process dies (recoverLeftovers), apart from the
// commit itself: it runs before a store's first read, not within a commit.
#include <set>
#include <string>
#include <vector>

#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/internal/backend.h"
#include "zarvo/reminders/internal/commit_plan.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/internal/vdir.h"

namespace zarvo::reminders::detail {

namespace fs = std::filesystem;
using platform::FileInfo;
using platform::FileSystem;

void recoverLeftovers(FileSystem& fs, const fs::path& root) {
  std::vector<fs::path> folders;
  std::vector<platform::DirectoryEntry> sources;
  if (fs.listDirectory(root, sources)) return;
  // A folder that cannot be listed is left for a later clean-up.
  for (const auto& s : sources) {
    if (!s.isDirectory || s.name.starts_with('.')) continue;
    std::vector<platform::DirectoryEntry> collections;
    if (fs.listDirectory(root / s.name, collections)) continue;
    for (const auto& c : collections) {
      if (c.isDirectory && !c.name.starts_with('.')) folders.push_back(root / s.name / c.name);
    }
  }
  std::vector<fs::path> olds;
  std::set<fs::path> touched;
  for (const auto& dir : folders) {
    // A folder unchanged since a read saw no leftovers in it still holds none.
    FileInfo dirInfo;
    if (!fs.stat(dir, dirInfo)) {
      if (auto state = FileCache::shared().folderState(dir, dirInfo); state && !state->leftovers) continue;
    }
    std::vector<platform::DirectoryEntry> entries;
    if (fs.listDirectory(dir, entries)) continue;
    for (const auto& e : entries) {
      if (auto owner = platform::temporaryFileOwner(e.name); owner && !platform::processIsAlive(*owner)) {
        // A new version never put in place, or a previous one its commit was done with.
        logFailure(fs.removeFile(dir / e.name), "remove", dir / e.name);
        touched.insert(dir);
      } else if (auto oldOwner = oldVersionOwner(e.name); oldOwner && !platform::processIsAlive(*oldOwner)) {
        olds.push_back(dir / e.name);
      }
    }
  }
  if (!olds.empty()) {
    auto uidsOf = [&](const fs::path& path) {
      std::vector<std::string> uids;
      if (auto file = loadFile(fs, path)) {
        for (const auto& todo : file->todos) uids.push_back(todo.fields.hasUid ? todo.fields.uid : path.stem().string());
      }
      return uids;
    };
    std::set<std::string> inPlace;  // the UIDs of every task file
    for (const auto& dir : folders) {
      std::vector<platform::DirectoryEntry> entries;
      if (fs.listDirectory(dir, entries)) {
        // Without every task file's UID, no move can be told complete: put nothing back yet.
        olds.clear();
        break;
      }
      for (const auto& e : entries) {
        if (!isTaskFileName(e.name)) continue;
        for (auto& uid : uidsOf(dir / e.name)) inPlace.insert(std::move(uid));
      }
    }
    for (const auto& old : olds) {
      const auto uids = uidsOf(old);
      // The moved copy made it into its new list: the move is complete. Otherwise it never did, and
      // the task goes back where it was.
      if (!uids.empty() && inPlace.contains(uids.front())) {
        logFailure(fs.removeFile(old), "remove", old);
      } else {
        const fs::path back = freePath(fs, old.parent_path(), oldVersionOriginalName(old.filename().string()), {});
        const Error e = renameToFreeName(fs, old, back);
        if (e) {
          logFailure(e, "put back", back);
          continue;
        }
        storeLog().notice("Put back %{public}@, which a move interrupted by a crash had taken aside", back.string());
      }
      touched.insert(old.parent_path());
    }
  }
  for (const auto& dir : touched) logFailure(fs.syncDirectory(dir), "sync", dir);
}

}  // namespace zarvo::reminders::detail
