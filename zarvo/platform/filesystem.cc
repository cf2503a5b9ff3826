#include "zarvo/platform/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <random>

namespace zarvo::platform {

namespace fs = std::filesystem;

std::error_code FileSystem::listDirectoryWithInfo(const fs::path& path, std::vector<DirectoryEntry>& entries) {
  if (auto e = listDirectory(path, entries)) return e;
  for (auto& entry : entries) stat(path / entry.name, entry.info);
  return {};
}

std::error_code FileSystem::renameNoReplace(const fs::path&, const fs::path&) {
  return std::make_error_code(std::errc::not_supported);
}
std::error_code FileSystem::exchange(const fs::path&, const fs::path&) {
  return std::make_error_code(std::errc::not_supported);
}
std::error_code FileSystem::setPermissions(const fs::path&, uint32_t) { return {}; }
std::error_code FileSystem::resolveLinks(const fs::path& path, fs::path& resolved) {
  resolved = path;
  return {};
}

std::error_code FileSystem::readFileWithInfo(const fs::path& path, std::string& contents, FileInfo& info) {
  if (auto e = readFile(path, contents)) return e;
  return stat(path, info);
}

namespace {

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }
std::error_code errc(int e) { return std::error_code(e, std::generic_category()); }

class PosixFile final : public WritableFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  std::error_code append(std::string_view data) override {
    while (!data.empty()) {
      ssize_t n = ::write(fd_, data.data(), data.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return lastError();
      }
      data.remove_prefix(static_cast<size_t>(n));
    }
    return {};
  }
  std::error_code sync() override { return ::fsync(fd_) == 0 ? std::error_code() : lastError(); }
  std::error_code close() override {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? std::error_code() : lastError();
  }

 private:
  int fd_;
};

void fillInfo(const struct stat& st, FileInfo& info) {
  info.exists = true;
  info.isDirectory = S_ISDIR(st.st_mode);
  info.isRegular = S_ISREG(st.st_mode);
  info.size = static_cast<uint64_t>(st.st_size);
  info.modifiedNs = int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
  info.changedNs = int64_t{st.st_ctim.tv_sec} * 1'000'000'000 + st.st_ctim.tv_nsec;
  info.inode = st.st_ino;
  info.device = st.st_dev;
  info.mode = st.st_mode & 07777;
}

class PosixFileSystem final : public FileSystem {
 public:
  // One open directory and one relative fstatat per entry: no path resolution from the root.
  std::error_code listDirectoryWithInfo(const fs::path& path, std::vector<DirectoryEntry>& entries) override {
    entries.clear();
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return lastError();
    const int fd = ::dirfd(dir);
    while (dirent* e = ::readdir(dir)) {
      std::string_view name(e->d_name);
      if (name == "." || name == "..") continue;
      DirectoryEntry entry{std::string(name), false, false, {}};
      struct stat st {};
      if (::fstatat(fd, e->d_name, &st, 0) == 0) {
        fillInfo(st, entry.info);
        entry.isDirectory = entry.info.isDirectory;
        entry.isRegular = entry.info.isRegular;
      }
      entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return {};
  }

  std::error_code readFileWithInfo(const fs::path& path, std::string& contents, FileInfo& info) override {
    return readRegular(path, contents, &info);
  }

  std::error_code readFile(const fs::path& path, std::string& contents) override {
    return readRegular(path, contents, nullptr);
  }

  // O_NONBLOCK: opening a FIFO must not wait for a writer; the type check then refuses it.
  static std::error_code readRegular(const fs::path& path, std::string& contents, FileInfo* info) {
    contents.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return lastError();
    std::error_code e = readAll(fd, contents);
    struct stat st {};
    if (!e && info != nullptr && ::fstat(fd, &st) == 0) fillInfo(st, *info);
    ::close(fd);
    if (e) contents.clear();
    return e;
  }

  static std::error_code readAll(int fd, std::string& contents) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return lastError();
    if (S_ISDIR(st.st_mode)) return errc(EISDIR);
    if (!S_ISREG(st.st_mode)) return errc(EINVAL);
    if (static_cast<uint64_t>(st.st_size) > kMaxReadBytes) return errc(EFBIG);
    if (st.st_size > 0) contents.reserve(static_cast<size_t>(st.st_size));
    char buffer[16384];
    while (true) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        return lastError();
      }
      if (n == 0) return {};
      // The file may grow while it is read.
      if (contents.size() + static_cast<size_t>(n) > kMaxReadBytes) return errc(EFBIG);
      contents.append(buffer, static_cast<size_t>(n));
    }
  }

  std::error_code stat(const fs::path& path, FileInfo& info) override {
    struct stat st {};
    info = FileInfo{};
    if (::stat(path.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return {};
      return lastError();
    }
    fillInfo(st, info);
    return {};
  }

  std::error_code listDirectory(const fs::path& path, std::vector<DirectoryEntry>& entries) override {
    entries.clear();
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return lastError();
    while (dirent* e = ::readdir(dir)) {
      std::string_view name(e->d_name);
      if (name == "." || name == "..") continue;
      DirectoryEntry entry{std::string(name), e->d_type == DT_DIR, e->d_type == DT_REG, {}};
      if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
        struct stat st {};
        if (::stat((path / entry.name).c_str(), &st) == 0) {
          entry.isDirectory = S_ISDIR(st.st_mode);
          entry.isRegular = S_ISREG(st.st_mode);
        }
      }
      entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return {};
  }

  std::error_code newWritableFile(const fs::path& path, uint32_t mode,
                                  std::unique_ptr<WritableFile>& file) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) return lastError();
    file = std::make_unique<PosixFile>(fd);
    return {};
  }

  std::error_code rename(const fs::path& from, const fs::path& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : lastError();
  }
  std::error_code renameNoReplace(const fs::path& from, const fs::path& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS) return lastError();
    // A file system without the flag: a hard link fails on an existing name just as atomically.
    if (::link(from.c_str(), to.c_str()) != 0) return errno == EPERM ? errc(ENOTSUP) : lastError();
    ::unlink(from.c_str());
    return {};
  }
  std::error_code exchange(const fs::path& a, const fs::path& b) override {
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) return {};
    return errno == ENOSYS ? errc(ENOTSUP) : lastError();
  }
  std::error_code setPermissions(const fs::path& path, uint32_t mode) override {
    return ::chmod(path.c_str(), static_cast<mode_t>(mode)) == 0 ? std::error_code() : lastError();
  }
  std::error_code resolveLinks(const fs::path& path, fs::path& resolved) override {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return lastError();
    if (!S_ISLNK(st.st_mode)) {
      resolved = path;
      return {};
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return lastError();
    resolved = real;
    std::free(real);
    return {};
  }
  std::error_code removeFile(const fs::path& path) override {
    return ::unlink(path.c_str()) == 0 ? std::error_code() : lastError();
  }
  std::error_code createDirectory(const fs::path& path) override {
    if (::mkdir(path.c_str(), 0755) == 0) return {};
    if (errno == EEXIST) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return {};
      return errc(EEXIST);
    }
    return lastError();
  }
  std::error_code removeDirectory(const fs::path& path) override {
    return ::rmdir(path.c_str()) == 0 ? std::error_code() : lastError();
  }
  std::error_code syncDirectory(const fs::path& path) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return lastError();
    std::error_code e = ::fsync(fd) == 0 ? std::error_code() : lastError();
    ::close(fd);
    return e;
  }
  bool isReadableAndWritable(const fs::path& path) override {
    return ::access(path.c_str(), R_OK | W_OK | X_OK) == 0;
  }
};

constexpr std::string_view kTemporaryPrefix = ".zarvo-tmp-";
constexpr std::string_view kTemporarySuffix = ".tmp";

}  // namespace

fs::path temporaryPathFor(const fs::path& target) {
  static std::atomic<uint64_t> counter{0};
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string stem = target.stem().string();
  if (stem.size() > 180) stem.resize(180);
  return target.parent_path() / (std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1)) + "-" + std::to_string(random() % 1000000) +
                                 "-" + stem + std::string(kTemporarySuffix));
}

std::optional<long> temporaryFileOwner(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) return std::nullopt;
  name.remove_prefix(kTemporaryPrefix.size());
  long pid = 0;
  size_t i = 0;
  for (; i < name.size() && i < 10 && name[i] >= '0' && name[i] <= '9'; ++i) pid = pid * 10 + (name[i] - '0');
  if (i == 0 || i >= name.size() || name[i] != '-') return std::nullopt;
  return pid;
}

bool processIsAlive(long pid) {
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::shared_ptr<FileSystem> FileSystem::posix() {
  static const std::shared_ptr<FileSystem> instance = std::make_shared<PosixFileSystem>();
  return instance;
}

std::error_code createDirectories(FileSystem& fs, const fs::path& path) {
  FileInfo info;
  if (auto e = fs.stat(path, info)) return e;
  if (info.exists) return info.isDirectory ? std::error_code() : errc(ENOTDIR);
  if (path.has_parent_path() && path.parent_path() != path) {
    if (auto e = createDirectories(fs, path.parent_path())) return e;
  }
  return fs.createDirectory(path);
}

bool isTemporaryFileName(std::string_view name) { return name.starts_with(kTemporaryPrefix); }

std::error_code prepareAtomicWrite(FileSystem& fs, const fs::path& path, std::string_view data,
                                   std::optional<uint32_t> mode, fs::path& temporary) {
  temporary = temporaryPathFor(path);
  std::unique_ptr<WritableFile> file;
  if (auto e = fs.newWritableFile(temporary, mode.value_or(0644), file)) return e;
  std::error_code e = mode ? fs.setPermissions(temporary, *mode) : std::error_code();
  if (!e) e = file->append(data);
  if (!e) e = file->sync();
  std::error_code closed = file->close();
  if (!e) e = closed;
  if (e) fs.removeFile(temporary);
  return e;
}

std::error_code writeFileAtomically(FileSystem& fs, const fs::path& path, std::string_view data,
                                    std::optional<uint32_t> mode) {
  fs::path temporary;
  if (auto e = prepareAtomicWrite(fs, path, data, mode, temporary)) return e;
  if (auto e = fs.rename(temporary, path)) {
    fs.removeFile(temporary);
    return e;
  }
  // The new contents are in place; a failed folder sync only weakens durability across a crash.
  fs.syncDirectory(path.parent_path());
  return {};
}

// --- Fault injection ---

class FaultInjectingFileSystem::FaultyFile final : public WritableFile {
 public:
  FaultyFile(FaultInjectingFileSystem& owner, std::unique_ptr<WritableFile> base)
      : owner_(owner), base_(std::move(base)) {}
  std::error_code append(std::string_view data) override {
    auto admitted = owner_.admit(data.size());
    if (!admitted) return base_->append(data);
    if (auto e = base_->append(data.substr(0, *admitted))) return e;
    return errc(ENOSPC);
  }
  std::error_code sync() override {
    {
      std::lock_guard lock(owner_.mu_);
      if (owner_.failSyncs_) return errc(EIO);
    }
    return base_->sync();
  }
  std::error_code close() override { return base_->close(); }

 private:
  FaultInjectingFileSystem& owner_;
  std::unique_ptr<WritableFile> base_;
};

FaultInjectingFileSystem::FaultInjectingFileSystem(std::shared_ptr<FileSystem> base)
    : base_(std::move(base)) {}

void FaultInjectingFileSystem::failWritesAfter(std::optional<uint64_t> bytes) {
  std::lock_guard lock(mu_);
  written_ = 0;
  writeLimit_ = bytes;
}
void FaultInjectingFileSystem::setDiskFull(bool full) {
  std::lock_guard lock(mu_);
  diskFull_ = full;
}
void FaultInjectingFileSystem::failRenames(bool fail) {
  std::lock_guard lock(mu_);
  failRenames_ = fail;
}
void FaultInjectingFileSystem::failRenamesAfter(std::optional<int> successes) {
  std::lock_guard lock(mu_);
  renamesLeft_ = successes;
}
void FaultInjectingFileSystem::failSyncs(bool fail) {
  std::lock_guard lock(mu_);
  failSyncs_ = fail;
}
void FaultInjectingFileSystem::setReadOnly(const fs::path& dir) {
  std::lock_guard lock(mu_);
  readOnly_.push_back(dir.lexically_normal());
}
void FaultInjectingFileSystem::clearFaults() {
  std::lock_guard lock(mu_);
  writeLimit_.reset();
  diskFull_ = failRenames_ = failSyncs_ = false;
  renamesLeft_.reset();
  readOnly_.clear();
}
uint64_t FaultInjectingFileSystem::bytesWritten() const {
  std::lock_guard lock(mu_);
  return written_;
}
int FaultInjectingFileSystem::renames() const {
  std::lock_guard lock(mu_);
  return renames_;
}

std::optional<uint64_t> FaultInjectingFileSystem::admit(uint64_t size) {
  std::lock_guard lock(mu_);
  if (diskFull_) return 0;
  if (!writeLimit_) {
    written_ += size;
    return std::nullopt;
  }
  uint64_t room = *writeLimit_ > written_ ? *writeLimit_ - written_ : 0;
  if (size <= room) {
    written_ += size;
    return std::nullopt;
  }
  written_ += room;
  return room;
}

bool FaultInjectingFileSystem::readOnlyPath(const fs::path& path) const {
  std::lock_guard lock(mu_);
  const fs::path p = path.lexically_normal();
  for (const auto& dir : readOnly_) {
    auto [d, q] = std::mismatch(dir.begin(), dir.end(), p.begin(), p.end());
    if (d == dir.end()) return true;
  }
  return false;
}

std::error_code FaultInjectingFileSystem::readFile(const fs::path& path, std::string& contents) {
  return base_->readFile(path, contents);
}
std::error_code FaultInjectingFileSystem::stat(const fs::path& path, FileInfo& info) {
  return base_->stat(path, info);
}
std::error_code FaultInjectingFileSystem::listDirectoryWithInfo(const fs::path& path,
                                                                std::vector<DirectoryEntry>& entries) {
  return base_->listDirectoryWithInfo(path, entries);
}
std::error_code FaultInjectingFileSystem::readFileWithInfo(const fs::path& path, std::string& contents,
                                                           FileInfo& info) {
  return base_->readFileWithInfo(path, contents, info);
}
std::error_code FaultInjectingFileSystem::listDirectory(const fs::path& path,
                                                        std::vector<DirectoryEntry>& entries) {
  return base_->listDirectory(path, entries);
}
std::error_code FaultInjectingFileSystem::newWritableFile(const fs::path& path, uint32_t mode,
                                                          std::unique_ptr<WritableFile>& file) {
  if (readOnlyPath(path)) return errc(EROFS);
  {
    std::lock_guard lock(mu_);
    if (diskFull_) return errc(ENOSPC);
  }
  std::unique_ptr<WritableFile> base;
  if (auto e = base_->newWritableFile(path, mode, base)) return e;
  file = std::make_unique<FaultyFile>(*this, std::move(base));
  return {};
}
std::error_code FaultInjectingFileSystem::rename(const fs::path& from, const fs::path& to) {
  if (readOnlyPath(to) || readOnlyPath(from)) return errc(EROFS);
  if (auto e = countRename()) return e;
  return base_->rename(from, to);
}
std::error_code FaultInjectingFileSystem::countRename() {
  std::lock_guard lock(mu_);
  if (failRenames_) return errc(EIO);
  if (renamesLeft_ && (*renamesLeft_)-- == 0) {
    renamesLeft_.reset();
    return errc(EIO);
  }
  ++renames_;
  return {};
}
void FaultInjectingFileSystem::beforeNextReplace(std::function<void()> hook) {
  std::lock_guard lock(mu_);
  replaceHook_ = std::move(hook);
}
void FaultInjectingFileSystem::runReplaceHook() {
  std::function<void()> hook;
  {
    std::lock_guard lock(mu_);
    hook.swap(replaceHook_);
  }
  if (hook) hook();
}
// Both count as renames: failRenames and failRenamesAfter apply to them.
std::error_code FaultInjectingFileSystem::renameNoReplace(const fs::path& from, const fs::path& to) {
  if (readOnlyPath(to) || readOnlyPath(from)) return errc(EROFS);
  runReplaceHook();
  if (auto e = countRename()) return e;
  return base_->renameNoReplace(from, to);
}
std::error_code FaultInjectingFileSystem::exchange(const fs::path& a, const fs::path& b) {
  if (readOnlyPath(a) || readOnlyPath(b)) return errc(EROFS);
  runReplaceHook();
  if (auto e = countRename()) return e;
  return base_->exchange(a, b);
}
std::error_code FaultInjectingFileSystem::setPermissions(const fs::path& path, uint32_t mode) {
  if (readOnlyPath(path)) return errc(EROFS);
  return base_->setPermissions(path, mode);
}
std::error_code FaultInjectingFileSystem::resolveLinks(const fs::path& path, fs::path& resolved) {
  return base_->resolveLinks(path, resolved);
}
std::error_code FaultInjectingFileSystem::removeFile(const fs::path& path) {
  if (readOnlyPath(path)) return errc(EROFS);
  return base_->removeFile(path);
}
std::error_code FaultInjectingFileSystem::createDirectory(const fs::path& path) {
  if (readOnlyPath(path.parent_path())) return errc(EROFS);
  return base_->createDirectory(path);
}
std::error_code FaultInjectingFileSystem::removeDirectory(const fs::path& path) {
  if (readOnlyPath(path)) return errc(EROFS);
  return base_->removeDirectory(path);
}
std::error_code FaultInjectingFileSystem::syncDirectory(const fs::path& path) {
  {
    std::lock_guard lock(mu_);
    if (failSyncs_) return errc(EIO);
  }
  return base_->syncDirectory(path);
}
bool FaultInjectingFileSystem::isReadableAndWritable(const fs::path& path) {
  if (readOnlyPath(path)) return false;
  return base_->isReadableAndWritable(path);
}

}  // namespace zarvo::platform
