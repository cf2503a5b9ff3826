#include "zarvo/platform/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <random>

namespace zarvo::platform {

namespace fs = std::filesystem;

Error FileSystem::listDirectoryWithInfo(const fs::path& path, std::vector<DirectoryEntry>& entries) {
  if (auto e = listDirectory(path, entries)) return e;
  // An entry whose stat fails keeps an empty info (exists false): gone meanwhile, as far as the
  // caller can tell.
  for (auto& entry : entries) (void)stat(path / entry.name, entry.info);
  return {};
}

Error FileSystem::statEntries(const fs::path& dir, const std::vector<std::string>& names,
                              const std::vector<size_t>& which, std::vector<FileInfo>& infos) {
  FileInfo folder;
  if (auto e = stat(dir, folder)) return e;
  if (!folder.exists) return std::make_error_code(std::errc::no_such_file_or_directory);
  for (size_t i : which) {
    infos[i] = FileInfo{};
    (void)stat(dir / names[i], infos[i]);
  }
  return {};
}

Error FileSystem::renameNoReplace(const fs::path&, const fs::path&) {
  return std::make_error_code(std::errc::not_supported);
}
Error FileSystem::exchange(const fs::path&, const fs::path&) {
  return std::make_error_code(std::errc::not_supported);
}
Error FileSystem::setPermissions(const fs::path&, uint32_t) { return {}; }
Error FileSystem::resolveLinks(const fs::path& path, fs::path& resolved) {
  resolved = path;
  return {};
}

Error FileSystem::removeIfUnchanged(const fs::path& path, std::string_view expected) {
  std::string current;
  if (auto e = readFile(path, current)) return e;
  if (current != expected) return std::make_error_code(std::errc::operation_canceled);
  return removeFile(path);
}

Error FileSystem::readFileWithInfo(const fs::path& path, std::string& contents, FileInfo& info) {
  if (auto e = readFile(path, contents)) return e;
  return stat(path, info);
}

namespace {

Error lastError() { return std::error_code(errno, std::generic_category()); }
Error errc(int e) { return std::error_code(e, std::generic_category()); }

class PosixFile final : public WritableFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  Error append(std::string_view data) override {
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
  Error sync() override { return ::fsync(fd_) == 0 ? Error() : lastError(); }
  Error close() override {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? Error() : lastError();
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

// Network file systems refuse a lease with EAGAIN, as if a writer held the file, whenever the server
// has not delegated the file to this client (NFSv4, SMB, Ceph): asking them would keep every previous
// version as a conflict copy. A write from another client of the share is invisible here anyway.
bool grantsLeasesOnlyWithDelegations(int fd) {
  struct statfs info {};
  if (::fstatfs(fd, &info) != 0) return false;
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969UL:      // NFS
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x517BUL:      // SMB
    case 0x00C36400UL:  // Ceph
    case 0x5346414FUL:  // AFS
      return true;
    default:
      return false;
  }
}

class PosixFileSystem final : public FileSystem {
 public:
  // One open directory and one relative fstatat per entry: no path resolution from the root.
  Error listDirectoryWithInfo(const fs::path& path, std::vector<DirectoryEntry>& entries) override {
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

  Error readFileWithInfo(const fs::path& path, std::string& contents, FileInfo& info) override {
    return readRegular(path, contents, &info);
  }

  Error statEntries(const fs::path& dir, const std::vector<std::string>& names, const std::vector<size_t>& which,
                    std::vector<FileInfo>& infos) override {
    // One walk of the folder's path, then a look-up of each name in it.
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return lastError();
    for (size_t i : which) {
      infos[i] = FileInfo{};
      struct stat st {};
      if (::fstatat(fd, names[i].c_str(), &st, 0) == 0) fillInfo(st, infos[i]);
    }
    ::close(fd);
    return {};
  }

  Error readFile(const fs::path& path, std::string& contents) override {
    return readRegular(path, contents, nullptr);
  }

  // O_NONBLOCK: opening a FIFO must not wait for a writer; the type check then refuses it.
  static Error readRegular(const fs::path& path, std::string& contents, FileInfo* info) {
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

  static Error readAll(int fd, std::string& contents) {
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

  Error stat(const fs::path& path, FileInfo& info) override {
    struct stat st {};
    info = FileInfo{};
    if (::stat(path.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return {};
      return lastError();
    }
    fillInfo(st, info);
    return {};
  }

  Error listDirectory(const fs::path& path, std::vector<DirectoryEntry>& entries) override {
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

  Error newWritableFile(const fs::path& path, uint32_t mode,
                                  std::unique_ptr<WritableFile>& file) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) return lastError();
    file = std::make_unique<PosixFile>(fd);
    return {};
  }

  Error rename(const fs::path& from, const fs::path& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? Error() : lastError();
  }
  Error renameNoReplace(const fs::path& from, const fs::path& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS) return lastError();
    // A file system without the flag: a hard link fails on an existing name just as atomically.
    if (::link(from.c_str(), to.c_str()) != 0) return errno == EPERM ? errc(ENOTSUP) : lastError();
    ::unlink(from.c_str());
    return {};
  }
  Error exchange(const fs::path& a, const fs::path& b) override {
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) return {};
    return errno == ENOSYS ? errc(ENOTSUP) : lastError();
  }
  Error setPermissions(const fs::path& path, uint32_t mode) override {
    return ::chmod(path.c_str(), static_cast<mode_t>(mode)) == 0 ? Error() : lastError();
  }
  Error resolveLinks(const fs::path& path, fs::path& resolved) override {
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
  Error removeFile(const fs::path& path) override {
    return ::unlink(path.c_str()) == 0 ? Error() : lastError();
  }
  Error removeIfUnchanged(const fs::path& path, std::string_view expected) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return lastError();
    // A read lease is granted only while no descriptor on this machine has the file open for writing,
    // and a program opening it for writing meanwhile waits until the lease goes: from the lease to the
    // unlink nobody can write into the file. The kernel signals the holder of a lease another program
    // waits for; SIGURG, which is ignored unless handled, instead of SIGIO, which ends the process.
    const bool ask = !grantsLeasesOnlyWithDelegations(fd);
    bool leased = false;
    if (ask && ::fcntl(fd, F_SETSIG, SIGURG) == 0 && ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
      leased = true;
    } else if (ask && errno == EAGAIN) {
      ::close(fd);
      return errc(ETXTBSY);
    }
    // Without a lease (a file system or a file owner that grants none) the check below is all there is.
    std::string current;
    Error e = readAll(fd, current);
    if (!e && current != expected) e = errc(ECANCELED);
    if (!e && ::unlink(path.c_str()) != 0) e = lastError();
    if (leased) (void)::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    return e;
  }
  Error createDirectory(const fs::path& path) override {
    if (::mkdir(path.c_str(), 0700) == 0) return {};
    if (errno == EEXIST) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return {};
      return errc(EEXIST);
    }
    return lastError();
  }
  Error removeDirectory(const fs::path& path) override {
    return ::rmdir(path.c_str()) == 0 ? Error() : lastError();
  }
  Error syncDirectory(const fs::path& path) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return lastError();
    std::error_code e = ::fsync(fd) == 0 ? Error() : lastError();
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
  return target.parent_path() / (std::string(kTemporaryPrefix) + ownerTag(currentProcess()) + "-" +
                                 std::to_string(counter.fetch_add(1)) + "-" + std::to_string(random() % 1000000) +
                                 "-" + stem + std::string(kTemporarySuffix));
}

std::optional<ProcessIdentity> temporaryFileOwner(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) return std::nullopt;
  return parseOwnerTag(name.substr(kTemporaryPrefix.size()));
}

namespace {

// When process `pid` started, in clock ticks after boot (field 22 of /proc/PID/stat, counted after
// the command name, which may itself hold blanks and parentheses); nothing when it cannot be read.
std::optional<uint64_t> startTimeOf(long pid) {
  std::string stat;
  if (FileSystem::posix()->readFile("/proc/" + std::to_string(pid) + "/stat", stat)) return std::nullopt;
  size_t at = stat.rfind(')');
  if (at == std::string::npos) return std::nullopt;
  for (int field = 2; field < 22 && at != std::string::npos; ++field) at = stat.find(' ', at + 1);
  if (at == std::string::npos) return std::nullopt;
  uint64_t ticks = 0;
  size_t i = at + 1;
  for (; i < stat.size() && stat[i] >= '0' && stat[i] <= '9'; ++i) ticks = ticks * 10 + static_cast<uint64_t>(stat[i] - '0');
  if (i == at + 1) return std::nullopt;
  return ticks;
}

}  // namespace

ProcessIdentity currentProcess() {
  static const ProcessIdentity self{static_cast<long>(::getpid()), startTimeOf(::getpid())};
  // A forked child is another process: it names its files by its own pid and start.
  if (self.pid != static_cast<long>(::getpid())) return {static_cast<long>(::getpid()), startTimeOf(::getpid())};
  return self;
}

std::string ownerTag(const ProcessIdentity& process) {
  std::string tag = std::to_string(process.pid);
  if (process.startTime) {
    tag += '@';
    tag += std::to_string(*process.startTime);
  }
  return tag;
}

std::optional<ProcessIdentity> parseOwnerTag(std::string_view text, size_t* length) {
  auto digits = [&](size_t from, size_t most, uint64_t& value) {
    size_t i = from;
    value = 0;
    for (; i < text.size() && i - from < most && text[i] >= '0' && text[i] <= '9'; ++i) {
      value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    return i;
  };
  uint64_t pid = 0;
  size_t i = digits(0, 10, pid);
  if (i == 0) return std::nullopt;
  ProcessIdentity process{static_cast<long>(pid), std::nullopt};
  if (i < text.size() && text[i] == '@') {
    uint64_t start = 0;
    const size_t end = digits(i + 1, 19, start);
    if (end == i + 1) return std::nullopt;
    process.startTime = start;
    i = end;
  }
  if (i >= text.size() || text[i] != '-') return std::nullopt;
  if (length != nullptr) *length = i;
  return process;
}

bool processIsAlive(long pid) {
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool processIsAlive(const ProcessIdentity& process) {
  if (!processIsAlive(process.pid)) return false;
  if (!process.startTime) return true;
  // A pid now held by a process that started at another time: the owner is gone. A start time that
  // cannot be read (another user's /proc hidden) counts as the same process, the side that keeps files.
  const auto start = startTimeOf(process.pid);
  return !start || *start == *process.startTime;
}

std::shared_ptr<FileSystem> FileSystem::posix() {
  static const std::shared_ptr<FileSystem> instance = std::make_shared<PosixFileSystem>();
  return instance;
}

Error createDirectories(FileSystem& fs, const fs::path& path) {
  FileInfo info;
  if (auto e = fs.stat(path, info)) return e;
  if (info.exists) return info.isDirectory ? Error() : errc(ENOTDIR);
  if (path.has_parent_path() && path.parent_path() != path) {
    if (auto e = createDirectories(fs, path.parent_path())) return e;
  }
  return fs.createDirectory(path);
}

bool isTemporaryFileName(std::string_view name) { return name.starts_with(kTemporaryPrefix); }

Error prepareAtomicWrite(FileSystem& fs, const fs::path& path, std::string_view data,
                                   std::optional<uint32_t> mode, fs::path& temporary) {
  temporary = temporaryPathFor(path);
  std::unique_ptr<WritableFile> file;
  if (auto e = fs.newWritableFile(temporary, mode.value_or(0600), file)) return e;
  Error e = mode ? fs.setPermissions(temporary, *mode) : Error();
  if (!e) e = file->append(data);
  if (!e) e = file->sync();
  Error closed = file->close();
  if (!e) e = closed;
  // The write failed, and says so; a temporary file that cannot be removed either is a leftover the
  // owner's clean-up recognises by its name.
  if (e) (void)fs.removeFile(temporary);
  return e;
}

Error writeFileAtomically(FileSystem& fs, const fs::path& path, std::string_view data,
                                    std::optional<uint32_t> mode) {
  fs::path temporary;
  if (auto e = prepareAtomicWrite(fs, path, data, mode, temporary)) return e;
  if (auto e = fs.rename(temporary, path)) {
    (void)fs.removeFile(temporary);  // as in prepareAtomicWrite
    return e;
  }
  // The new contents are in place, which is what the caller asked: a failed folder sync only weakens
  // durability across a crash, and reporting it would tell the caller a write failed that did not.
  (void)fs.syncDirectory(path.parent_path());
  return {};
}

// --- Fault injection ---

class FaultInjectingFileSystem::FaultyFile final : public WritableFile {
 public:
  FaultyFile(FaultInjectingFileSystem& owner, std::unique_ptr<WritableFile> base)
      : owner_(owner), base_(std::move(base)) {}
  Error append(std::string_view data) override {
    auto admitted = owner_.admit(data.size());
    if (!admitted) return base_->append(data);
    if (auto e = base_->append(data.substr(0, *admitted))) return e;
    return errc(ENOSPC);
  }
  Error sync() override {
    {
      std::lock_guard lock(owner_.mu_);
      if (owner_.failSyncs_) return errc(EIO);
    }
    return base_->sync();
  }
  Error close() override { return base_->close(); }

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

Error FaultInjectingFileSystem::readFile(const fs::path& path, std::string& contents) {
  return base_->readFile(path, contents);
}
Error FaultInjectingFileSystem::stat(const fs::path& path, FileInfo& info) {
  return base_->stat(path, info);
}
Error FaultInjectingFileSystem::listDirectoryWithInfo(const fs::path& path,
                                                                std::vector<DirectoryEntry>& entries) {
  return base_->listDirectoryWithInfo(path, entries);
}

Error FaultInjectingFileSystem::statEntries(const fs::path& dir, const std::vector<std::string>& names,
                                            const std::vector<size_t>& which, std::vector<FileInfo>& infos) {
  return base_->statEntries(dir, names, which, infos);
}
Error FaultInjectingFileSystem::readFileWithInfo(const fs::path& path, std::string& contents,
                                                           FileInfo& info) {
  return base_->readFileWithInfo(path, contents, info);
}
Error FaultInjectingFileSystem::listDirectory(const fs::path& path,
                                                        std::vector<DirectoryEntry>& entries) {
  return base_->listDirectory(path, entries);
}
Error FaultInjectingFileSystem::newWritableFile(const fs::path& path, uint32_t mode,
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
Error FaultInjectingFileSystem::rename(const fs::path& from, const fs::path& to) {
  if (readOnlyPath(to) || readOnlyPath(from)) return errc(EROFS);
  runReplaceHook();
  if (auto e = countRename()) return e;
  return base_->rename(from, to);
}
Error FaultInjectingFileSystem::countRename() {
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
Error FaultInjectingFileSystem::renameNoReplace(const fs::path& from, const fs::path& to) {
  if (readOnlyPath(to) || readOnlyPath(from)) return errc(EROFS);
  runReplaceHook();
  if (auto e = countRename()) return e;
  return base_->renameNoReplace(from, to);
}
Error FaultInjectingFileSystem::exchange(const fs::path& a, const fs::path& b) {
  if (readOnlyPath(a) || readOnlyPath(b)) return errc(EROFS);
  runReplaceHook();
  if (auto e = countRename()) return e;
  return base_->exchange(a, b);
}
Error FaultInjectingFileSystem::setPermissions(const fs::path& path, uint32_t mode) {
  if (readOnlyPath(path)) return errc(EROFS);
  return base_->setPermissions(path, mode);
}
Error FaultInjectingFileSystem::resolveLinks(const fs::path& path, fs::path& resolved) {
  return base_->resolveLinks(path, resolved);
}
Error FaultInjectingFileSystem::removeFile(const fs::path& path) {
  if (readOnlyPath(path)) return errc(EROFS);
  return base_->removeFile(path);
}
Error FaultInjectingFileSystem::removeIfUnchanged(const fs::path& path, std::string_view expected) {
  if (readOnlyPath(path)) return errc(EROFS);
  return base_->removeIfUnchanged(path, expected);
}
Error FaultInjectingFileSystem::createDirectory(const fs::path& path) {
  if (readOnlyPath(path.parent_path())) return errc(EROFS);
  return base_->createDirectory(path);
}
Error FaultInjectingFileSystem::removeDirectory(const fs::path& path) {
  if (readOnlyPath(path)) return errc(EROFS);
  return base_->removeDirectory(path);
}
Error FaultInjectingFileSystem::syncDirectory(const fs::path& path) {
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
