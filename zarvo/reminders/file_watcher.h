// FileWatcher: how a reminders store hears that its files changed. The store owns one per handle made
// with watchForChanges; the default watches the tree with inotify, tests substitute their own through
// EventStoreOptions::fileWatcher.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace zarvo::reminders {

class FileWatcher {
 public:
  // Stops watching: after the destructor returns, `announce` is not called again.
  virtual ~FileWatcher() = default;

  // Announces a change made by this process, coalesced with the file events it causes. Called by
  // the store after its own writes, never with the store's lock held; any thread.
  virtual void trigger() = 0;
};

// Makes the watcher of a store: it watches `root` (which may not exist yet) and calls `announce` once
// per burst of changes, from a thread of its own, after the tree stayed quiet for `coalescingDelay`
// (or after a second of continuous change).
using FileWatcherFactory = std::function<std::unique_ptr<FileWatcher>(
    const std::filesystem::path& root, std::chrono::milliseconds coalescingDelay, std::function<void()> announce)>;

// The default: inotify on the root, its sources and their calendar folders (folders made later
// included). When inotify cannot be set up it logs an error and announces nothing, not even its
// trigger()s; the store still works, it only hears of no change.
std::unique_ptr<FileWatcher> makeInotifyWatcher(const std::filesystem::path& root,
                                                std::chrono::milliseconds coalescingDelay,
                                                std::function<void()> announce);

// What changed in one burst, for a reader that keeps what it read by file and reads again only what
// changed. `files`: the task files (*.ics in a calendar folder) created, written, renamed or removed,
// each once, in no particular order. `everything`: the watcher cannot tell which task files changed
// (a folder, a list's name or colour, a source changed; events were lost; trigger() was called).
// Temporary files of writers are not reported: a task file they become is.
struct TreeChanges {
  std::vector<std::filesystem::path> files;
  bool everything = false;
};

// The same watcher, announcing what changed. A burst of only temporary files announces empty changes.
std::unique_ptr<FileWatcher> makeInotifyChangeWatcher(const std::filesystem::path& root,
                                                      std::chrono::milliseconds coalescingDelay,
                                                      std::function<void(TreeChanges)> announce);

}  // namespace zarvo::reminders
