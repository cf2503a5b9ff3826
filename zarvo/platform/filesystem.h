// The file-system seam of the stores: a POSIX implementation, and a wrapper that injects faults.
//
// Every operation reports failure as a zarvo::Error (std::generic_category errno values), which a
// caller cannot drop unnoticed, and never throws; callers turn codes into their own errors. Paths are
// absolute or relative to the process's working directory. Implementations are thread-safe.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "zarvo/platform/error.h"

namespace zarvo::platform {

struct FileInfo {
  bool exists = false;
  bool isDirectory = false;
  bool isRegular = false;
  uint64_t size = 0;
  int64_t modifiedNs = 0;  // st_mtim
  int64_t changedNs = 0;   // st_ctim: also moves on rename-over and chmod
  uint64_t inode = 0;
  uint64_t device = 0;
  uint32_t mode = 0;  // permission bits

  // Same file with the same contents as far as the metadata tells.
  bool sameVersion(const FileInfo& o) const {
    return exists == o.exists && size == o.size && modifiedNs == o.modifiedNs &&
           changedNs == o.changedNs && inode == o.inode && device == o.device;
  }
};

struct DirectoryEntry {
  std::string name;
  bool isDirectory = false;
  bool isRegular = false;
  FileInfo info;  // filled by listDirectoryWithInfo only
};

// A file being written. Closing is part of writing: a close error means the data may be lost.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Error append(std::string_view data) = 0;
  virtual Error sync() = 0;  // data and metadata reach the disk (fsync)
  virtual Error close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The process-wide POSIX file system.
  static std::shared_ptr<FileSystem> posix();

  // The most a read takes: a larger file fails with EFBIG, so no input can make a reader's memory
  // grow without bound.
  static constexpr uint64_t kMaxReadBytes = uint64_t{256} << 20;

  // Reads a regular file (following symbolic links) of at most kMaxReadBytes. Anything else fails at
  // once, without blocking (a FIFO, a device such as /dev/zero: EINVAL; a folder: EISDIR).
  virtual Error readFile(const std::filesystem::path& path, std::string& contents) = 0;
  // A missing path is not an error: `info.exists` is false.
  virtual Error stat(const std::filesystem::path& path, FileInfo& info) = 0;
  // Entries other than "." and "..", in no particular order.
  virtual Error listDirectory(const std::filesystem::path& path,
                                        std::vector<DirectoryEntry>& entries) = 0;
  // listDirectory plus each entry's stat (following symbolic links). Implementations may do this
  // faster than a stat by full path per entry; the default does exactly that.
  virtual Error listDirectoryWithInfo(const std::filesystem::path& path,
                                                std::vector<DirectoryEntry>& entries);
  // readFile plus the file's metadata as of the end of the read (the default stats after reading).
  virtual Error readFileWithInfo(const std::filesystem::path& path, std::string& contents,
                                           FileInfo& info);
  // The stat (following symbolic links) of the entries names[i] of the folder `dir` for each i in
  // `which`, into infos[i] (`infos` as long as `names`); an entry whose stat fails gets an empty info
  // (exists false). Fails only when the folder cannot be opened. Implementations may do this faster
  // than a stat by full path per entry; the default does exactly that.
  virtual Error statEntries(const std::filesystem::path& dir, const std::vector<std::string>& names,
                            const std::vector<size_t>& which, std::vector<FileInfo>& infos);
  // Creates `path`, which must not exist, with permission bits `mode` (before the umask).
  virtual Error newWritableFile(const std::filesystem::path& path, uint32_t mode,
                                          std::unique_ptr<WritableFile>& file) = 0;
  // Replaces `to` atomically when it exists.
  virtual Error rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Renames `from` to `to` only when `to` does not exist (EEXIST otherwise), in one atomic step, so a
  // file another program made meanwhile is never replaced. ENOTSUP where the file system cannot.
  virtual Error renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);
  // Swaps the files at `a` and `b` (both must exist: ENOENT otherwise) in one atomic step: afterwards
  // `b` holds what `a` held and `a` what `b` held a moment before, whatever another program wrote
  // there in between. ENOTSUP (or EINVAL) where the file system cannot.
  virtual Error exchange(const std::filesystem::path& a, const std::filesystem::path& b);
  // Sets the permission bits of `path` to exactly `mode` (the umask does not apply).
  virtual Error setPermissions(const std::filesystem::path& path, uint32_t mode);
  // The file a chain of symbolic links at `path` ends at, as an absolute path; `path` itself when it
  // is no link. A dangling or looping link is an error.
  virtual Error resolveLinks(const std::filesystem::path& path, std::filesystem::path& resolved);
  virtual Error removeFile(const std::filesystem::path& path) = 0;
  // Removes `path` only while it holds exactly `expected` and no program has it open for writing:
  // a program that has could still write through its descriptor after the removal, and its bytes
  // would go with the file. ETXTBSY when one has it open for writing, ECANCELED when the bytes
  // differ; `path` stays then. The default reads, compares and removes, which leaves that window
  // open; the POSIX file system closes it where the file system grants read leases (local and FUSE
  // file systems; not NFS or SMB, whose other clients no local check can see anyway).
  virtual Error removeIfUnchanged(const std::filesystem::path& path, std::string_view expected);
  // Creates a directory private to its owner (0700 less the umask). An existing directory is not an
  // error (its bits stay as they are).
  virtual Error createDirectory(const std::filesystem::path& path) = 0;
  // Only an empty directory.
  virtual Error removeDirectory(const std::filesystem::path& path) = 0;
  // Makes renames and removals inside `path` durable.
  virtual Error syncDirectory(const std::filesystem::path& path) = 0;
  // Whether this process may read and write (create files in) `path`.
  virtual bool isReadableAndWritable(const std::filesystem::path& path) = 0;
};

// Creates `path` and every missing parent.
Error createDirectories(FileSystem& fs, const std::filesystem::path& path);

// Replaces (or creates) `path` with `data` so that a reader sees the old or the new contents, never
// a mix: writes a temporary file in the same folder, syncs it, renames it over `path` and syncs the
// folder. On failure the temporary file is removed and `path` is as it was. `mode` defaults to 0600
// (private to the owner: task files, conflict copies and caches hold what the user wrote) less the
// umask; a mode given is set exactly (a rewritten file keeps the bits it had).
// A folder sync that fails afterwards is not reported (the contents are in place; only their
// durability across a crash is weaker).
Error writeFileAtomically(FileSystem& fs, const std::filesystem::path& path, std::string_view data,
                          std::optional<uint32_t> mode = std::nullopt);

// The two steps of writeFileAtomically, for callers that write several files and rename them only
// when every one was written: `prepareAtomicWrite` returns the synced temporary file's path.
Error prepareAtomicWrite(FileSystem& fs, const std::filesystem::path& path, std::string_view data,
                         std::optional<uint32_t> mode, std::filesystem::path& temporary);
// A process as the files it leaves name it: its pid and when it started (clock ticks after boot, as
// /proc/PID/stat gives it), so that a process that later gets the same pid is not taken for it.
// Written into names as "<pid>@<start>"; names of older versions carry the pid alone.
struct ProcessIdentity {
  long pid = 0;
  std::optional<uint64_t> startTime;  // none: only the pid is known
};
// This process.
ProcessIdentity currentProcess();
// "<pid>@<start>" (or "<pid>" without a start time).
std::string ownerTag(const ProcessIdentity& process);
// The identity an owner tag at the start of `text` gives, and the length of the tag; nothing when
// `text` does not start with one followed by '-'.
std::optional<ProcessIdentity> parseOwnerTag(std::string_view text, size_t* length = nullptr);
// Whether the process is running: its pid is, and (when the identity has one) with the same start
// time. A file owned by a process that is not is left over by a crash.
bool processIsAlive(const ProcessIdentity& process);
bool processIsAlive(long pid);

// True for the names prepareAtomicWrite gives its temporary files (readers skip them). Those names
// start with ".zarvo-tmp-<owner tag>-" and end in ".tmp", never in a task file's extension, so that
// no other program takes a temporary file (or one a crash left behind) for a file of its own.
bool isTemporaryFileName(std::string_view name);
// The process that made a temporary file, from its name; nothing for other names.
std::optional<ProcessIdentity> temporaryFileOwner(std::string_view name);
// A fresh temporary name for a file beside `target` (as prepareAtomicWrite uses).
std::filesystem::path temporaryPathFor(const std::filesystem::path& target);

// Passes every call to a base file system, failing the ones a test asks to fail. Faults:
// - failWritesAfter(n): the write that would take the total bytes written past n writes only up to
//   n and fails with ENOSPC, as does every later write (a disk filling up half-way through a file);
// - setDiskFull(true): every append, and every creation of a file, fails with ENOSPC;
// - failRenames / failSyncs: those calls fail with EIO; failRenamesAfter(n): after n more renames
//   succeed, the next one fails with EIO (once; later renames succeed again);
// - setReadOnly(dir): creating, renaming into, or removing anything inside `dir` fails with EROFS
//   (and isReadableAndWritable answers false), as on a read-only mount.
class FaultInjectingFileSystem final : public FileSystem {
 public:
  explicit FaultInjectingFileSystem(std::shared_ptr<FileSystem> base);

  void failWritesAfter(std::optional<uint64_t> bytes);
  void setDiskFull(bool full);
  void failRenames(bool fail);
  void failRenamesAfter(std::optional<int> successes);
  void failSyncs(bool fail);
  void setReadOnly(const std::filesystem::path& dir);
  void clearFaults();
  uint64_t bytesWritten() const;
  int renames() const;

  Error readFile(const std::filesystem::path& path, std::string& contents) override;
  Error stat(const std::filesystem::path& path, FileInfo& info) override;
  Error listDirectory(const std::filesystem::path& path,
                                std::vector<DirectoryEntry>& entries) override;
  Error listDirectoryWithInfo(const std::filesystem::path& path,
                                        std::vector<DirectoryEntry>& entries) override;
  Error readFileWithInfo(const std::filesystem::path& path, std::string& contents,
                                   FileInfo& info) override;
  Error statEntries(const std::filesystem::path& dir, const std::vector<std::string>& names,
                    const std::vector<size_t>& which, std::vector<FileInfo>& infos) override;
  Error newWritableFile(const std::filesystem::path& path, uint32_t mode,
                                  std::unique_ptr<WritableFile>& file) override;
  Error rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
  Error renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) override;
  Error exchange(const std::filesystem::path& a, const std::filesystem::path& b) override;
  Error setPermissions(const std::filesystem::path& path, uint32_t mode) override;
  Error resolveLinks(const std::filesystem::path& path, std::filesystem::path& resolved) override;
  Error removeFile(const std::filesystem::path& path) override;
  Error removeIfUnchanged(const std::filesystem::path& path, std::string_view expected) override;
  Error createDirectory(const std::filesystem::path& path) override;
  Error removeDirectory(const std::filesystem::path& path) override;
  Error syncDirectory(const std::filesystem::path& path) override;
  bool isReadableAndWritable(const std::filesystem::path& path) override;

  // Runs `hook` just before the next rename, exchange or renameNoReplace, once: a test's stand-in for
  // another program writing in the instant between a check and a rename. A hook may set the next one.
  void beforeNextReplace(std::function<void()> hook);

 private:
  class FaultyFile;
  void runReplaceHook();
  Error countRename();
  bool readOnlyPath(const std::filesystem::path& path) const;
  // Bytes of `size` that may still be written, or nullopt for all of them.
  std::optional<uint64_t> admit(uint64_t size);

  std::shared_ptr<FileSystem> base_;
  mutable std::mutex mu_;
  std::optional<uint64_t> writeLimit_;
  bool diskFull_ = false;
  bool failRenames_ = false;
  std::optional<int> renamesLeft_;
  bool failSyncs_ = false;
  std::vector<std::filesystem::path> readOnly_;
  uint64_t written_ = 0;
  int renames_ = 0;
  std::function<void()> replaceHook_;
};

}  // namespace zarvo::platform
