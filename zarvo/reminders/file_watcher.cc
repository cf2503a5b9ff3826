#include "zarvo/reminders/file_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <map>
#include <thread>
#include <utility>

#include "zarvo/reminders/internal/vdir.h"

namespace zarvo::reminders {

namespace fs = std::filesystem;

namespace {

// Watches the tree with inotify and calls `announce` once per quiet-terminated burst of changes,
// with the task files the burst touched.
class InotifyWatcher final : public FileWatcher {
 public:
  InotifyWatcher(fs::path root, std::chrono::milliseconds delay, std::function<void(TreeChanges)> announce)
      : root_(std::move(root)), delay_(delay), announce_(std::move(announce)) {
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (inotify_ < 0 || wake_ < 0) {
      detail::storeLog().error("Cannot watch %{public}@ for changes", root_.string());
      return;
    }
    addTree(root_, 0);
    thread_ = std::thread([this] { run(); });
  }
  ~InotifyWatcher() override {
    stopping_ = true;
    trigger();
    if (thread_.joinable()) thread_.join();
    if (inotify_ >= 0) ::close(inotify_);
    if (wake_ >= 0) ::close(wake_);
  }
  // Announces a change made by this process (coalesced with the file events it causes).
  void trigger() override {
    if (wake_ < 0) return;
    uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(wake_, &one, sizeof one);
  }

 private:
  struct Watch {
    fs::path path;
    int depth;
  };
  static constexpr uint32_t kMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_MOVED_FROM | IN_MOVED_TO |
                                    IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_ONLYDIR;
  // Past this many files in one burst a reader is better off reading everything.
  static constexpr size_t kMaxFiles = 4096;

  void addTree(const fs::path& dir, int depth) {
    int wd = ::inotify_add_watch(inotify_, dir.c_str(), kMask);
    if (wd < 0) return;
    watches_[wd] = {dir, depth};
    if (depth >= 2) return;
    std::error_code e;
    for (const auto& entry : fs::directory_iterator(dir, e)) {
      if (entry.is_directory(e)) addTree(entry.path(), depth + 1);
    }
  }

  // What one event says of the task files. Only an event on a file of a calendar folder (depth 2)
  // names one; an event on a folder, or above the calendar folders, may change what every task of a
  // list reads as.
  void note(const inotify_event& event, const Watch* watch) {
    if (watch == nullptr || watch->depth < 2 || (event.mask & (IN_ISDIR | IN_DELETE_SELF | IN_IGNORED)) ||
        event.len == 0) {
      pending_.everything = true;
      return;
    }
    const std::string_view name(event.name);
    if (detail::isTaskFileName(name)) {
      if (pending_.files.size() < kMaxFiles) {
        pending_.files.push_back(watch->path / name);
      } else {
        pending_.everything = true;
      }
    } else if (name == "displayname" || name == "color") {
      pending_.everything = true;  // the list's name or colour, which every task of it shows
    }
    // Anything else in a calendar folder (writers' temporary files) is no task's.
  }

  // Reads what is waiting; true when anything was.
  bool drain() {
    bool any = false;
    uint64_t count = 0;
    while (::read(wake_, &count, sizeof count) > 0) {
      any = true;
      pending_.everything = true;
    }
    alignas(inotify_event) char buffer[8192];
    while (true) {
      ssize_t n = ::read(inotify_, buffer, sizeof buffer);
      if (n <= 0) break;
      any = true;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        auto it = watches_.find(event->wd);
        note(*event, it == watches_.end() ? nullptr : &it->second);
        if (it != watches_.end()) {
          if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) && event->len > 0 &&
              it->second.depth < 2) {
            addTree(it->second.path / event->name, it->second.depth + 1);
          }
          if (event->mask & IN_IGNORED) watches_.erase(it);
        }
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    // The root may have been created after the handle (requestAccess).
    if (watches_.empty()) addTree(root_, 0);
    return any;
  }

  void run() {
    pollfd fds[2] = {{inotify_, POLLIN, 0}, {wake_, POLLIN, 0}};
    while (!stopping_) {
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
      if (stopping_) return;
      if (!drain()) continue;
      // Coalesce: wait for the tree to stay quiet for `delay_`, but announce within a second.
      auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
        int ready = ::poll(fds, 2, static_cast<int>(delay_.count()));
        if (ready <= 0 || !drain()) break;
      }
      if (stopping_) return;
      TreeChanges changes = std::exchange(pending_, {});
      if (changes.everything) {
        changes.files.clear();
      } else {
        std::sort(changes.files.begin(), changes.files.end());
        changes.files.erase(std::unique(changes.files.begin(), changes.files.end()), changes.files.end());
      }
      announce_(std::move(changes));
    }
  }

  fs::path root_;
  std::chrono::milliseconds delay_;
  std::function<void(TreeChanges)> announce_;
  TreeChanges pending_;  // of the burst being gathered; the watcher thread's
  int inotify_ = -1;
  int wake_ = -1;
  std::atomic<bool> stopping_{false};
  std::map<int, Watch> watches_;  // touched by the watcher thread only (and the constructor)
  std::thread thread_;
};

}  // namespace

std::unique_ptr<FileWatcher> makeInotifyWatcher(const fs::path& root, std::chrono::milliseconds coalescingDelay,
                                                std::function<void()> announce) {
  return std::make_unique<InotifyWatcher>(root, coalescingDelay,
                                          [announce = std::move(announce)](const TreeChanges&) { announce(); });
}

std::unique_ptr<FileWatcher> makeInotifyChangeWatcher(const fs::path& root, std::chrono::milliseconds coalescingDelay,
                                                      std::function<void(TreeChanges)> announce) {
  return std::make_unique<InotifyWatcher>(root, coalescingDelay, std::move(announce));
}

}  // namespace zarvo::reminders
