// FileWatcher: how a reminders store hears that its files changed. The store owns one per handle made
// with watchForChanges; the default watches the tree with inotify, tests substitute their own through
// EventStoreOptions::fileWatcher.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

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

}  // namespace zarvo::reminders
