// A file system that can lose power: it passes every call to a base file system, remembers what has
// not reached the disk yet, and on crash() throws exactly that away.
//
// What counts as durable, as on a journaling Linux file system:
// - a file's bytes once the file was synced (WritableFile::sync); bytes appended after the last sync
//   are lost;
// - a creation, rename, exchange or removal once the folder holding the name was synced
//   (syncDirectory) afterwards, or, inside a removed folder, once that folder's removal is durable;
//   until then a crash undoes it.
// Permission changes are taken as durable at once.
//
// Crash points: every call that changes the disk (a creation, append, sync, close, rename, exchange,
// removal, folder creation, removal or sync, permission change) is one step. crashAtStep(n) makes
// step n and every later one fail with EIO without touching the disk, as if the process died right
// before it; reads keep working so that the code under test can run on to its error handling.
//
// Threads: calls may come from any thread; crash() must not run while calls are in flight.
//
// A crash is undone on the real disk under the test. The results of those undo steps are dropped on
// purpose: a step that fails shows as a wrong file in the test's own check of what survived.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "zarvo/platform/filesystem.h"

namespace zarvo::testing {

class CrashingFileSystem final : public platform::FileSystem {
 public:
  explicit CrashingFileSystem(std::shared_ptr<platform::FileSystem> base) : base_(std::move(base)) {}

  // Step `step` (counted from 1) and every later one fail; nothing: no crash.
  void crashAtStep(std::optional<int> step) {
    std::lock_guard lock(mu_);
    crashAt_ = step;
  }
  // The steps taken so far (the failed ones included).
  int steps() const {
    std::lock_guard lock(mu_);
    return steps_;
  }
  // Counts one step for a change made outside this file system (a database commit): false when the
  // process is dead by then, and the change must not be made.
  bool step() {
    std::lock_guard lock(mu_);
    return !stepLocked();
  }
  // Whether a step has failed: the simulated process is dead.
  bool crashed() const {
    std::lock_guard lock(mu_);
    return crashed_;
  }

  // Power is lost: unsynced bytes go, then every change not yet durable is undone, newest first.
  // Afterwards the file system is as a reboot would find it, and everything on it is durable.
  void crash() {
    std::lock_guard lock(mu_);
    for (const auto& [path, state] : files_) {
      if (state->synced < state->written) ::truncate(path.c_str(), static_cast<off_t>(state->synced));
    }
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) it->undo();
    forgetLocked();
  }

  Error readFile(const std::filesystem::path& path, std::string& contents) override {
    return base_->readFile(path, contents);
  }
  Error stat(const std::filesystem::path& path, platform::FileInfo& info) override {
    return base_->stat(path, info);
  }
  Error listDirectory(const std::filesystem::path& path,
                                std::vector<platform::DirectoryEntry>& entries) override {
    return base_->listDirectory(path, entries);
  }
  Error resolveLinks(const std::filesystem::path& path, std::filesystem::path& resolved) override {
    return base_->resolveLinks(path, resolved);
  }
  bool isReadableAndWritable(const std::filesystem::path& path) override { return base_->isReadableAndWritable(path); }

  Error newWritableFile(const std::filesystem::path& path, uint32_t mode,
                                  std::unique_ptr<platform::WritableFile>& file) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    std::unique_ptr<platform::WritableFile> inner;
    if (auto e = base_->newWritableFile(path, mode, inner)) return e;
    auto state = std::make_shared<FileState>();
    files_[path] = state;
    file = std::make_unique<File>(*this, std::move(inner), state);
    pendingLocked({path.parent_path()}, [this, path] { (void)base_->removeFile(path); });
    return {};
  }

  Error rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    auto replaced = backupLocked(to);
    if (auto e = base_->rename(from, to)) return e;
    moveStateLocked(from, to);
    pendingLocked({from.parent_path(), to.parent_path()}, [this, from, to, replaced] {
      (void)base_->rename(to, from);
      if (replaced) restore(to, *replaced);
    });
    return {};
  }

  Error renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    if (auto e = base_->renameNoReplace(from, to)) return e;
    moveStateLocked(from, to);
    pendingLocked({from.parent_path(), to.parent_path()}, [this, from, to] { (void)base_->rename(to, from); });
    return {};
  }

  Error exchange(const std::filesystem::path& a, const std::filesystem::path& b) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    if (auto e = base_->exchange(a, b)) return e;
    auto sa = files_.extract(a), sb = files_.extract(b);
    if (!sa.empty()) files_[b] = sa.mapped();
    if (!sb.empty()) files_[a] = sb.mapped();
    pendingLocked({a.parent_path(), b.parent_path()}, [this, a, b] { (void)base_->exchange(a, b); });
    return {};
  }

  Error setPermissions(const std::filesystem::path& path, uint32_t mode) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    return base_->setPermissions(path, mode);
  }

  Error removeFile(const std::filesystem::path& path) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    auto removed = backupLocked(path);
    if (auto e = base_->removeFile(path)) return e;
    files_.erase(path);
    pendingLocked({path.parent_path()}, [this, path, removed] {
      if (removed) restore(path, *removed);
    });
    return {};
  }

  Error createDirectory(const std::filesystem::path& path) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    platform::FileInfo before;
    (void)base_->stat(path, before);  // a failed stat reads as "did not exist": the folder is then undone too
    if (auto e = base_->createDirectory(path)) return e;
    if (!before.exists) pendingLocked({path.parent_path()}, [this, path] { (void)base_->removeDirectory(path); });
    return {};
  }

  Error removeDirectory(const std::filesystem::path& path) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    if (auto e = base_->removeDirectory(path)) return e;
    pendingLocked({path.parent_path()}, [this, path] { (void)base_->createDirectory(path); }, path);
    return {};
  }

  Error syncDirectory(const std::filesystem::path& path) override {
    std::lock_guard lock(mu_);
    if (auto e = stepLocked()) return e;
    if (auto e = base_->syncDirectory(path)) return e;
    std::vector<std::filesystem::path> gone;  // folders whose removal just became durable
    for (auto& op : pending_) {
      std::erase(op.folders, path);
      if (op.folders.empty() && !op.removedFolder.empty()) gone.push_back(op.removedFolder);
    }
    for (auto& op : pending_) {
      std::erase_if(op.folders, [&](const std::filesystem::path& f) {
        return std::any_of(gone.begin(), gone.end(), [&](const auto& g) { return isWithin(f, g); });
      });
    }
    std::erase_if(pending_, [](const Pending& op) { return op.folders.empty(); });
    return {};
  }

 private:
  struct FileState {
    uint64_t written = 0;
    uint64_t synced = 0;
  };
  struct Backup {
    std::string bytes;
    uint32_t mode = 0644;
  };
  struct Pending {
    std::vector<std::filesystem::path> folders;  // each must be synced for the change to be durable
    std::function<void()> undo;
    std::filesystem::path removedFolder;  // a removeDirectory: what it removed
  };

  class File final : public platform::WritableFile {
   public:
    File(CrashingFileSystem& owner, std::unique_ptr<platform::WritableFile> base, std::shared_ptr<FileState> state)
        : owner_(owner), base_(std::move(base)), state_(std::move(state)) {}
    Error append(std::string_view data) override {
      std::lock_guard lock(owner_.mu_);
      if (auto e = owner_.stepLocked()) return e;
      if (auto e = base_->append(data)) return e;
      state_->written += data.size();
      return {};
    }
    Error sync() override {
      std::lock_guard lock(owner_.mu_);
      if (auto e = owner_.stepLocked()) return e;
      if (auto e = base_->sync()) return e;
      state_->synced = state_->written;
      return {};
    }
    Error close() override {
      std::lock_guard lock(owner_.mu_);
      // A dead process's descriptors are closed by the kernel: the base file closes either way.
      const Error stepped = owner_.stepLocked();
      const Error closed = base_->close();
      return stepped ? stepped : closed;
    }

   private:
    CrashingFileSystem& owner_;
    std::unique_ptr<platform::WritableFile> base_;
    std::shared_ptr<FileState> state_;
  };

  static bool isWithin(const std::filesystem::path& path, const std::filesystem::path& folder) {
    auto [f, p] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return f == folder.end();
  }

  Error stepLocked() {
    ++steps_;
    if (crashAt_ && steps_ >= *crashAt_) crashed_ = true;
    return crashed_ ? std::make_error_code(std::errc::io_error) : Error();
  }

  void pendingLocked(std::vector<std::filesystem::path> folders, std::function<void()> undo,
                     std::filesystem::path removedFolder = {}) {
    pending_.push_back(Pending{std::move(folders), std::move(undo), std::move(removedFolder)});
  }

  std::optional<Backup> backupLocked(const std::filesystem::path& path) {
    platform::FileInfo info;
    if (base_->stat(path, info) || !info.exists || !info.isRegular) return std::nullopt;
    Backup backup;
    backup.mode = info.mode;
    if (base_->readFile(path, backup.bytes)) return std::nullopt;
    // Bytes of the file that never reached the disk do not come back either.
    if (auto it = files_.find(path); it != files_.end()) backup.bytes.resize(it->second->synced);
    return backup;
  }

  void moveStateLocked(const std::filesystem::path& from, const std::filesystem::path& to) {
    auto node = files_.extract(from);
    files_.erase(to);
    if (!node.empty()) files_[to] = node.mapped();
  }

  void restore(const std::filesystem::path& path, const Backup& backup) {
    std::unique_ptr<platform::WritableFile> file;
    (void)base_->removeFile(path);
    if (base_->newWritableFile(path, backup.mode, file)) return;
    (void)file->append(backup.bytes);
    (void)file->sync();
    (void)file->close();
    (void)base_->setPermissions(path, backup.mode);
  }

  void forgetLocked() {
    files_.clear();
    pending_.clear();
    steps_ = 0;
    crashAt_.reset();
    crashed_ = false;
  }

  std::shared_ptr<platform::FileSystem> base_;
  mutable std::mutex mu_;
  std::optional<int> crashAt_;
  int steps_ = 0;
  bool crashed_ = false;
  std::map<std::filesystem::path, std::shared_ptr<FileState>> files_;  // by current name
  std::vector<Pending> pending_;  // oldest first
};

// Thrown by a test's own commit step (a database commit the file system cannot see) once the
// simulated process is dead.
struct SimulatedCrash {};

// Renames what this process left in `home` as if a process that is gone had left it: a crashed
// process's temporary files carry its id and start time, and only a dead process's are cleaned up.
inline void buryCrashedProcess(const std::filesystem::path& home) {
  namespace fs = std::filesystem;
  const std::string mine = platform::ownerTag(platform::currentProcess());
  const std::string dead = "999999999";  // no process has this id
  std::vector<fs::path> leftovers;
  for (const auto& entry : fs::recursive_directory_iterator(home)) leftovers.push_back(entry.path());
  for (const auto& path : leftovers) {
    const std::string name = path.filename().string();
    for (std::string prefix : {".zarvo-tmp-", ".zarvo-old-"}) {
      if (name.starts_with(prefix + mine + "-")) {
        fs::rename(path, path.parent_path() / (prefix + dead + name.substr(prefix.size() + mine.size())));
      }
    }
  }
}

// Runs `work` on a file system over the real one that dies at step `crashAt` (nothing: it does not),
// then loses power and leaves `home` as the next process finds it. A store error or SimulatedCrash
// ends `work` as the death of the process would. Answers whether the crash happened.
inline bool runAndCrash(const std::filesystem::path& home, std::optional<int> crashAt,
                        const std::function<void(const std::shared_ptr<CrashingFileSystem>&)>& work) {
  auto crashing = std::make_shared<CrashingFileSystem>(platform::FileSystem::posix());
  crashing->crashAtStep(crashAt);
  try {
    work(crashing);
  } catch (const SimulatedCrash&) {
  } catch (const zarvo::StoreError&) {
  }
  const bool crashed = crashing->crashed();
  crashing->crash();
  buryCrashedProcess(home);
  return crashed;
}

}  // namespace zarvo::testing
