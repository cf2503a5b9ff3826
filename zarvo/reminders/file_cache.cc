#include "zarvo/reminders/internal/file_cache.h"

#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <map>

#include "zarvo/reminders/internal/file_cache_codec.h"

// The process's cache of parsed files and the loading and saving of its copy; the copy's bytes are
// file_cache_codec.cc's.

namespace zarvo::reminders::detail {

namespace fs = std::filesystem;
using platform::FileInfo;
using namespace cache_format;

// A loaded copy, the entries of which are decoded from it when needed. On the process's own file
// system the copy stays open and an entry is read with pread, so only the entries decoded are read,
// and a later save that renames a new copy over the path leaves this one readable. On any other
// file system (the tests' seams) the copy is read whole through it, once.
class FileCache::SavedCopy {
 public:
  static std::shared_ptr<const SavedCopy> open(platform::FileSystem& fs, const fs::path& path, fs::path root,
                                               std::string& why) {
    auto copy = std::shared_ptr<SavedCopy>(new SavedCopy(std::move(root)));
    if (&fs != platform::FileSystem::posix().get()) {
      if (auto e = fs.readFile(path, copy->bytes_)) {
        why = e.message();
        return nullptr;
      }
      return copy;
    }
    copy->fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (copy->fd_ < 0 || ::fstat(copy->fd_, &st) != 0) {
      why = std::strerror(errno);
      return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
      why = "not a regular file";
      return nullptr;
    }
    return copy;
  }
  ~SavedCopy() {
    if (fd_ >= 0) ::close(fd_);
  }
  SavedCopy(const SavedCopy&) = delete;
  SavedCopy& operator=(const SavedCopy&) = delete;

  const fs::path& root() const { return root_; }
  // The `length` bytes at `offset` of the whole copy; nothing where it is shorter (unless `orFewer`)
  // or unreadable.
  std::optional<std::string> readAt(uint64_t offset, uint64_t length, bool orFewer = false) const {
    std::string out;
    if (fd_ < 0) {
      if (offset > bytes_.size() || (!orFewer && length > bytes_.size() - offset)) return std::nullopt;
      out.assign(bytes_, static_cast<size_t>(offset), static_cast<size_t>(length));
      return out;
    }
    out.resize(static_cast<size_t>(length));
    size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 || (n == 0 && !orFewer)) return std::nullopt;
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    out.resize(done);
    return out;
  }
  // The `length` bytes at `offset` of the whole copy, in a buffer of their own that is not cleared
  // first (the index of a large home is megabytes, read on every start); null where the copy is
  // shorter or unreadable.
  std::shared_ptr<const char[]> readShared(uint64_t offset, uint64_t length) const {
    if (fd_ < 0 && (offset > bytes_.size() || length > bytes_.size() - offset)) return nullptr;
    std::shared_ptr<char[]> out(new char[static_cast<size_t>(std::max<uint64_t>(length, 1))]);
    if (fd_ < 0) {
      std::memcpy(out.get(), bytes_.data() + offset, static_cast<size_t>(length));
      return out;
    }
    for (size_t done = 0; done < length;) {
      const ssize_t n = ::pread(fd_, out.get() + done, static_cast<size_t>(length) - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return nullptr;
      done += static_cast<size_t>(n);
    }
    return out;
  }
  // Where the body starts and how long it is, once the index has been read.
  void setBody(uint64_t at, uint64_t size) {
    bodyAt_ = at;
    bodySize_ = size;
  }
  std::optional<std::string> read(uint64_t offset, uint64_t length) const { return readAt(bodyAt_ + offset, length); }
  // The `length` bytes at `offset` of the body into `out` (its storage reused); false where the copy
  // is shorter or unreadable.
  bool readInto(uint64_t offset, uint64_t length, std::string& out) const {
    if (fd_ < 0) {
      auto bytes = read(offset, length);
      if (!bytes) return false;
      out = std::move(*bytes);
      return true;
    }
    out.resize(static_cast<size_t>(length));
    for (size_t done = 0; done < out.size();) {
      const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(bodyAt_ + offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  std::optional<std::string> readBody() const { return read(0, bodySize_); }

 private:
  explicit SavedCopy(fs::path root) : root_(std::move(root)) {}
  const fs::path root_;
  int fd_ = -1;
  std::string bytes_;
  uint64_t bodyAt_ = 0;
  uint64_t bodySize_ = 0;
};

struct FolderNames::Block {
  std::once_flag made;
  std::shared_ptr<const List> list;
  // Until made: where the names lie.
  std::shared_ptr<const void> keep;
  std::string_view bytes;
  size_t count = 0;
};

FolderNames::FolderNames(std::shared_ptr<const List> list) {
  if (!list) return;
  block_ = std::make_shared<Block>();
  std::call_once(block_->made, [&] { block_->list = std::move(list); });
}

FolderNames FolderNames::inIndex(std::shared_ptr<const void> keep, std::string_view bytes, size_t count) {
  FolderNames names;
  names.block_ = std::make_shared<Block>();
  names.block_->keep = std::move(keep);
  names.block_->bytes = bytes;
  names.block_->count = count;
  return names;
}

std::shared_ptr<const FolderNames::List> FolderNames::list() const {
  if (!block_) return nullptr;
  std::call_once(block_->made, [&] {
    auto list = std::make_shared<List>(block_->count);
    Reader r(block_->bytes);
    for (auto& name : *list) name.assign(r.view());
    block_->list = std::move(list);
    block_->keep.reset();
  });
  return block_->list;
}

std::optional<std::string> FileCache::savedBytes(const SavedCopy* copy, uint64_t offset, uint64_t length,
                                                 uint64_t sum) {
  auto bytes = copy ? copy->read(offset, length) : std::nullopt;
  if (!bytes || checksum(*bytes) != sum) return std::nullopt;
  return bytes;
}

std::optional<std::string> FileCache::savedBytes(const Summary& summary) {
  return savedBytes(summary.copy.get(), summary.offset, summary.length, summary.checksum);
}

// The bytes of one entry of a saved copy, read back from the copy the first time they are asked for
// and kept from then on. They were checked when the entry was decoded; read back, they are checked
// again, and bytes that no longer check out (the copy was changed in place, or cannot be read: a copy
// on a network file system that another machine replaced) are never given: the file's texts are then
// unavailable, an edit of it is refused, and the cache reads the file again (see isUsable).
class FileCache::SavedEntry final : public TextBytes {
 public:
  SavedEntry(std::shared_ptr<const SavedCopy> copy, uint64_t offset, uint64_t length, uint64_t checksum)
      : copy_(std::move(copy)), offset_(offset), length_(length), checksum_(checksum) {}

  const std::string* get() const override {
    std::call_once(once_, [&] {
      if (auto bytes = savedBytes(copy_.get(), offset_, length_, checksum_)) {
        bytes_ = std::make_unique<const std::string>(std::move(*bytes));
        read_.store(true, std::memory_order_release);
      } else {
        failed_.store(true, std::memory_order_release);
      }
    });
    return bytes_.get();
  }
  bool failed() const override { return failed_.load(std::memory_order_acquire); }
  // Whether the bytes were read back already; asks without trying.
  bool read() const { return read_.load(std::memory_order_acquire); }
  const SavedCopy* copy() const { return copy_.get(); }
  uint64_t offset() const { return offset_; }
  uint64_t length() const { return length_; }
  uint64_t checksum() const { return checksum_; }

 private:
  const std::shared_ptr<const SavedCopy> copy_;
  const uint64_t offset_, length_, checksum_;
  mutable std::once_flag once_;
  mutable std::unique_ptr<const std::string> bytes_;
  mutable std::atomic<bool> read_{false};
  mutable std::atomic<bool> failed_{false};
};

bool FileCache::isUsable(const Entry& entry) { return !entry.file || !entry.file->content.failed(); }

namespace {
std::mutex gClockMu;
std::function<int64_t()> gClock;  // tests' own; null: the system clock
std::atomic<int64_t> gCompletedCheckIntervalNs{0};
}  // namespace

int64_t FileCache::nowNs() {
  {
    std::lock_guard lock(gClockMu);
    if (gClock) return gClock();
  }
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void FileCache::setClockForTesting(std::function<int64_t()> clock) {
  std::lock_guard lock(gClockMu);
  gClock = std::move(clock);
}

std::optional<FileCache::FolderState> FileCache::folderState(const fs::path& folder, const FileInfo& dirNow) {
  std::lock_guard lock(mu_);
  auto it = states_.find(folder.native());
  if (it == states_.end() || !dirNow.exists || !it->second.dir.sameVersion(dirNow)) return std::nullopt;
  return it->second;
}

bool FileCache::setFolderState(const fs::path& folder, FolderState state, int64_t listedAtNs) {
  std::lock_guard lock(mu_);
  if (!state.dir.exists || !state.names || state.dir.changedNs >= listedAtNs - kSettledNs) {
    if (states_.erase(folder.native()) > 0) ++generation_;
    return false;
  }
  auto [it, added] = states_.try_emplace(folder.native(), state);
  if (!added) {
    FolderState& old = it->second;
    if (old.dir.sameVersion(state.dir) && old.leftovers == state.leftovers &&
        old.checkedAllAtNs == state.checkedAllAtNs && (old.names.sameAs(state.names) || *old.names == *state.names)) {
      return true;
    }
    old = std::move(state);
  }
  ++generation_;
  return true;
}

void FileCache::setAttention(const fs::path& folder, const FileInfo& dir, int64_t atNs,
                             std::shared_ptr<const std::vector<std::string>> attention) {
  std::lock_guard lock(mu_);
  auto it = states_.find(folder.native());
  if (it == states_.end() || !it->second.dir.sameVersion(dir)) return;
  FolderState& state = it->second;
  if (state.checkedAllAtNs == atNs && state.attention && attention && *state.attention == *attention) return;
  state.checkedAllAtNs = atNs;
  state.attention = std::move(attention);
  ++generation_;
}

void FileCache::materializeLocked(const std::string& key) {
  auto it = deferred_.find(key);
  if (it == deferred_.end()) return;
  // `key` may be the very key erased below (materializeAllLocked): it is copied first, as are the rows.
  const std::string folderPath = it->first;
  const Deferred deferred = std::move(it->second);
  deferred_.erase(it);
  auto rows = rowsOf(deferred);
  if (!rows) return;
  Folder& folder = folders_[folderPath];
  folder.reserve(folder.size() + rows->size());
  for (auto& [name, entry] : *rows) folder.try_emplace(std::move(name), std::move(entry));
}

std::optional<std::vector<std::pair<std::string, FileCache::Entry>>> FileCache::rowsOf(const Deferred& deferred) {
  const auto bytes = deferred.copy->readShared(deferred.sideAt + deferred.block.offset, deferred.block.length);
  if (!bytes) return std::nullopt;
  std::string why;
  return readSideRows(std::string_view(bytes.get(), static_cast<size_t>(deferred.block.length)), deferred.block,
                      deferred.copy, deferred.bodySize, why);
}

void FileCache::materializeAllLocked() {
  while (!deferred_.empty()) materializeLocked(deferred_.begin()->first);
}

uint64_t FileCache::fingerprint(const std::vector<std::string>& names, const std::vector<FileInfo>& infos) {
  // Summed as fixed-width words, not encoded first: it is taken of every file of a folder on each
  // read. Each name's length goes before it, so no two lists sum the same bytes.
  const size_t count = std::min(names.size(), infos.size());
  uint64_t total = 0;
  for (size_t i = 0; i < count; ++i) total += 7 * sizeof(uint64_t) + names[i].size();
  Checksum sum(total);
  for (size_t i = 0; i < count; ++i) {
    const FileInfo& info = infos[i];
    const uint64_t words[7] = {names[i].size(), info.size, static_cast<uint64_t>(info.modifiedNs),
                               static_cast<uint64_t>(info.changedNs), info.inode, info.device, info.mode};
    sum.add(std::string_view(reinterpret_cast<const char*>(words), sizeof words));
    sum.add(names[i]);
  }
  return sum.finish();
}

uint64_t FileCache::changesOf(const fs::path& folder) const {
  std::lock_guard lock(mu_);
  const auto it = changes_.find(folder.native());
  return it == changes_.end() ? 0 : it->second;
}

std::optional<std::vector<FileCache::DuplicateVerdict::Loser>> FileCache::duplicateVerdict(
    const std::vector<std::string>& folders, const std::vector<FolderKey>& keys) {
  std::lock_guard lock(mu_);
  for (const auto& verdict : verdicts_) {
    if (verdict.folders != folders || verdict.keys != keys) continue;
    for (size_t i = 0; i < folders.size(); ++i) {
      const auto it = changes_.find(folders[i]);
      if ((it == changes_.end() ? 0 : it->second) != verdict.changes[i]) return std::nullopt;
    }
    return verdict.losers;
  }
  return std::nullopt;
}

void FileCache::setDuplicateVerdict(DuplicateVerdict verdict, const std::vector<uint64_t>& changes) {
  if (verdict.keys.size() != verdict.folders.size() || changes.size() != verdict.folders.size()) return;
  std::lock_guard lock(mu_);
  for (size_t i = 0; i < changes.size(); ++i) {
    const auto it = changes_.find(verdict.folders[i]);
    if ((it == changes_.end() ? 0 : it->second) != changes[i]) return;
  }
  verdict.changes = changes;
  for (auto& old : verdicts_) {
    if (old.folders != verdict.folders) continue;
    if (old.keys == verdict.keys && old.losers.size() == verdict.losers.size()) return;
    old = std::move(verdict);
    ++generation_;
    return;
  }
  // A few readers of different sets of lists (all of them, one, another): more is not worth keeping.
  constexpr size_t kMaxVerdicts = 8;
  if (verdicts_.size() >= kMaxVerdicts) verdicts_.erase(verdicts_.begin());
  verdicts_.push_back(std::move(verdict));
  ++generation_;
}

void FileCache::entriesOf(const fs::path& folderPath, const std::vector<std::string>& names, std::vector<Entry>& found,
                          bool all) {
  std::lock_guard lock(mu_);
  if (all) materializeLocked(folderPath.native());
  found.assign(names.size(), Entry{});
  auto [known, unknown] = folders_.try_emplace(folderPath.native());
  // As in lookUpFolder: without an earlier view of the folder's files, a removal cannot be ruled out.
  if (unknown && !names.empty() && !deferred_.contains(folderPath.native())) ++filesFoundGone_;
  for (size_t i = 0; i < names.size(); ++i) {
    if (auto it = known->second.find(names[i]); it != known->second.end() && isUsable(it->second)) found[i] = it->second;
  }
}

FileCache& FileCache::shared() {
  // Never destroyed: freeing tens of thousands of entries one by one as the process exits costs a
  // command-line run a noticeable share of its time, and the memory goes back with the process.
  static FileCache* const cache = new FileCache;
  return *cache;
}

std::optional<FileCache::Entry> FileCache::find(const fs::path& path, const FileInfo& info) {
  std::lock_guard lock(mu_);
  auto folder = folders_.find(path.parent_path().native());
  // A row not made an entry yet: the folder's rows are made entries now.
  if ((folder == folders_.end() || !folder->second.contains(path.filename().native())) &&
      deferred_.contains(path.parent_path().native())) {
    materializeLocked(path.parent_path().native());
    folder = folders_.find(path.parent_path().native());
  }
  if (folder == folders_.end()) return std::nullopt;
  auto it = folder->second.find(path.filename().native());
  if (it == folder->second.end() || !it->second.info.sameVersion(info) || !isUsable(it->second)) return std::nullopt;
  return it->second;
}

void FileCache::store(const fs::path& path, Entry entry) {
  std::lock_guard lock(mu_);
  // A deferred row of the same name is older: made an entry later, it gives way to this one.
  ++changes_[path.parent_path().native()];
  auto [it, added] = folders_[path.parent_path().native()].insert_or_assign(path.filename().native(), std::move(entry));
  // A name the folder's state may not hold: it is listed again (its metadata has moved anyway).
  if (added) states_.erase(path.parent_path().native());
  ++generation_;
}

void FileCache::erase(const fs::path& path) {
  std::lock_guard lock(mu_);
  materializeLocked(path.parent_path().native());
  states_.erase(path.parent_path().native());
  auto folder = folders_.find(path.parent_path().native());
  if (folder != folders_.end() && folder->second.erase(path.filename().native()) > 0) {
    ++generation_;
    ++changes_[path.parent_path().native()];
  }
}

void FileCache::clear() {
  std::lock_guard lock(mu_);
  folders_.clear();
  deferred_.clear();
  states_.clear();
  verdicts_.clear();
  ++generation_;
}

bool FileCache::lookUpFolder(const fs::path& folderPath, const std::vector<std::string>& names,
                             const std::vector<FileInfo>& infos, std::vector<Entry>& found, std::vector<size_t>& misses) {
  std::lock_guard lock(mu_);
  materializeLocked(folderPath.native());
  auto [known, unknown] = folders_.try_emplace(folderPath.native());
  if (unknown && !names.empty()) ++filesFoundGone_;
  Folder& folder = known->second;
  for (size_t i = 0; i < names.size(); ++i) {
    auto it = folder.find(names[i]);
    if (it != folder.end() && it->second.info.sameVersion(infos[i]) && isUsable(it->second)) {
      found[i] = it->second;
    } else {
      misses.push_back(i);
    }
  }
  if (folder.size() > names.size() - misses.size()) {
    // Some cached files were not listed: forget them. `names` is sorted.
    const size_t before = folder.size();
    std::erase_if(folder, [&](const auto& kv) { return !std::binary_search(names.begin(), names.end(), kv.first); });
    if (folder.size() != before) {
      ++generation_;
      ++filesFoundGone_;
      ++changes_[folderPath.native()];
      return true;
    }
  }
  return false;
}

std::shared_ptr<const TodoFile> FileCache::decode(const fs::path& path, const Entry& entry) {
  return decode(path.parent_path().native(), path.filename().native(), entry);
}

std::shared_ptr<const TodoFile> FileCache::decode(const std::string& folder, const std::string& name,
                                                  const Entry& entry) {
  if (!entry.summary) return entry.file;
  const auto bytes = savedBytes(*entry.summary);
  if (!bytes) return nullptr;
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += '/';
  path += name;
  std::string why;
  const Summary& s = *entry.summary;
  auto file = decodeEntry(*bytes, s.copy->root(), path, entry.info, why,
                          std::make_shared<const SavedEntry>(s.copy, s.offset, s.length, s.checksum));
  if (!file) return nullptr;
  std::lock_guard lock(mu_);
  keepDecodedLocked(folder, name, entry, file);
  return file;
}

void FileCache::keepDecodedLocked(const std::string& folder, const std::string& name, const Entry& entry,
                                  const std::shared_ptr<const TodoFile>& file) {
  // Later look-ups of this version get the file. Nothing the copy holds changed: no new generation.
  if (auto f = folders_.find(folder); f != folders_.end()) {
    if (auto it = f->second.find(name); it != f->second.end() && it->second.summary == entry.summary) {
      it->second.file = file;
      it->second.summary.reset();
    }
  }
}

void FileCache::decodeAll(const std::string& folder, const std::vector<std::string>& names, std::vector<Entry>& found,
                          const std::vector<size_t>& which) {
  std::string run;  // the bytes of one read, reused: the files keep no text (see SavedEntry)
  std::string path;
  std::string why;
  for (size_t k = 0; k < which.size();) {
    const Summary& first = *found[which[k]].summary;
    // The entries after it in the same copy, close enough behind each other and all in one read.
    size_t end = k + 1;
    uint64_t length = first.length;
    for (; end < which.size(); ++end) {
      const Summary& next = *found[which[end]].summary;
      const uint64_t at = first.offset + length;
      if (next.copy != first.copy || next.offset < at || next.offset - at > kReadTogetherGap ||
          next.offset - first.offset + next.length > kReadTogetherBytes) {
        break;
      }
      length = next.offset - first.offset + next.length;
    }
    const bool read = first.copy && first.copy->readInto(first.offset, length, run);
    for (; k < end; ++k) {
      Entry& entry = found[which[k]];
      const Summary& summary = *entry.summary;
      if (!read) continue;
      const std::string_view bytes = std::string_view(run).substr(summary.offset - first.offset, summary.length);
      if (checksum(bytes) != summary.checksum) continue;
      path.assign(folder).append("/").append(names[which[k]]);
      entry.file = decodeEntry(bytes, summary.copy->root(), path, entry.info, why,
                               std::make_shared<const SavedEntry>(summary.copy, summary.offset, summary.length,
                                                                  summary.checksum));
    }
  }
  std::lock_guard lock(mu_);
  const auto kept = folders_.find(folder);
  if (kept == folders_.end()) return;
  for (const size_t i : which) {
    if (!found[i].file) continue;
    // As keepDecodedLocked, with the folder looked up once.
    if (auto it = kept->second.find(names[i]); it != kept->second.end() && it->second.summary == found[i].summary) {
      it->second.file = found[i].file;
      it->second.summary.reset();
    }
  }
}

uint64_t FileCache::filesFoundGone() const {
  std::lock_guard lock(mu_);
  return filesFoundGone_;
}

std::string FileCache::encode(const fs::path& root) {
  std::lock_guard lock(mu_);
  materializeAllLocked();
  std::vector<std::pair<std::string, const Entry*>> entries;
  for (const auto& [folder, files] : folders_) {
    const fs::path relativeFolder = fs::path(folder).lexically_relative(root);
    if (relativeFolder.empty() || !safeRelativePath(relativeFolder)) continue;
    for (const auto& [name, entry] : files) {
      // A file whose texts could not be read back is left out: it is read again next time.
      if ((entry.file && entry.file->content.length() <= kMaxSavedFileBytes && !entry.file->content.failed()) ||
          entry.summary) {
        entries.emplace_back((relativeFolder / name).string(), &entry);
      }
    }
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // Entries known only by their summary, and files decoded from a copy whose texts were never read
  // back, are copied as the earlier copy holds them: each copy's body is read once, and an entry that
  // no longer checks out is left out (its file is read again).
  std::unordered_map<const SavedCopy*, std::optional<std::string>> bodies;
  const auto fromCopy = [&](const SavedCopy* copy, uint64_t offset, uint64_t length,
                            uint64_t sum) -> std::optional<std::string_view> {
    auto [it, first] = bodies.try_emplace(copy);
    if (first) it->second = copy->readBody();
    if (!it->second || offset > it->second->size() || length > it->second->size() - offset) return std::nullopt;
    const std::string_view bytes = std::string_view(*it->second).substr(offset, length);
    if (checksum(bytes) != sum) return std::nullopt;
    return bytes;
  };
  // The rows of files in a folder that hold only completed tasks go to the side section, one block
  // per folder in the folders' order, where a listing of open tasks never reads them; the others
  // stay in the index.
  Writer body, index;
  struct Block {
    Writer rows;
    size_t count = 0;
  };
  std::map<std::string, Block, std::less<>> blocks;
  size_t rows = 0;
  for (const auto& [relative, entry] : entries) {
    const size_t begin = body.out.size();
    std::vector<Summary::Todo> made;
    std::span<const Summary::Todo> todos;
    std::string_view bytes;
    const auto* unread = entry->file ? dynamic_cast<const SavedEntry*>(entry->file->content.bytes().get()) : nullptr;
    if (unread && unread->read()) unread = nullptr;
    if (entry->file && !unread) {
      writeFile(body, relative, *entry->file);
      made = summaryOf(*entry->file);
      todos = made;
      bytes = std::string_view(body.out).substr(begin);
    } else if (unread) {
      // The entry it was decoded from is what writeFile would write again.
      const auto saved = fromCopy(unread->copy(), unread->offset(), unread->length(), unread->checksum());
      if (!saved) continue;
      body.out.append(*saved);
      made = summaryOf(*entry->file);
      todos = made;
      bytes = std::string_view(body.out).substr(begin);
    } else {
      const Summary& summary = *entry->summary;
      const auto saved = fromCopy(summary.copy.get(), summary.offset, summary.length, summary.checksum);
      if (!saved) continue;
      body.out.append(*saved);
      todos = summary.todos;
      bytes = *saved;
    }
    const size_t slash = relative.rfind('/');
    const bool onlyCompleted = slash != std::string::npos && !todos.empty() &&
                               std::all_of(todos.begin(), todos.end(), [](const auto& t) { return t.completed; });
    if (onlyCompleted) {
      Block& block = blocks[relative.substr(0, slash)];
      writeIndexRow(block.rows, relative, entry->info, todos, begin, bytes);
      ++block.count;
    } else {
      writeIndexRow(index, relative, entry->info, todos, begin, bytes);
      ++rows;
    }
  }
  Writer side;
  index.u(blocks.size());
  for (const auto& [folder, block] : blocks) {
    index.str(folder);
    index.u(block.count);
    index.u(side.out.size());
    index.u(block.rows.out.size());
    index.u(checksum(block.rows.out));
    side.out += block.rows.out;
  }
  std::vector<std::pair<std::string, const FolderState*>> states;
  for (const auto& [folder, state] : states_) {
    const fs::path relativeFolder = fs::path(folder).lexically_relative(root);
    if (!relativeFolder.empty() && safeRelativePath(relativeFolder)) states.emplace_back(relativeFolder.string(), &state);
  }
  std::sort(states.begin(), states.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  writeFolderStates(index, states);
  // The verdicts that hold for the entries written, their folders under the root.
  std::vector<DuplicateVerdict> verdicts;
  for (const auto& verdict : verdicts_) {
    // One that an entry changed since no longer holds, for this process or the next.
    bool holds = true;
    for (size_t i = 0; i < verdict.folders.size(); ++i) {
      const auto it = changes_.find(verdict.folders[i]);
      holds = holds && (it == changes_.end() ? 0 : it->second) == verdict.changes[i];
    }
    if (!holds) continue;
    DuplicateVerdict relative{{}, verdict.keys, verdict.losers, {}};
    for (const auto& folder : verdict.folders) {
      const fs::path r = fs::path(folder).lexically_relative(root);
      if (r.empty() || !safeRelativePath(r)) break;
      relative.folders.push_back(r.string());
    }
    if (relative.folders.size() == verdict.folders.size()) verdicts.push_back(std::move(relative));
  }
  writeVerdicts(index, verdicts);
  Writer payload;
  Writer counted;
  counted.u(side.out.size());
  counted.u(rows);
  payload.u(counted.out.size() + index.out.size());
  payload.out += counted.out;
  payload.out += index.out;
  payload.out += body.out;
  payload.out += side.out;
  return frame(payload.out);
}

std::string FileCache::frame(std::string_view payload) {
  std::string out = header(payload.size(), checksum(indexPart(payload)));
  out.append(payload);
  return out;
}

std::optional<std::string_view> FileCache::payloadOf(std::string_view bytes, std::string& why) {
  const auto head = readHeader(bytes, why);
  if (!head) return std::nullopt;
  if (bytes.size() != head->size + head->payloadSize) {
    why = "the copy has the wrong length";
    return std::nullopt;
  }
  const std::string_view payload = bytes.substr(head->size);
  if (checksum(indexPart(payload)) != head->sum) {
    why = "the checksum does not match";
    return std::nullopt;
  }
  return payload;
}

std::optional<std::vector<std::pair<fs::path, FileCache::Entry>>> FileCache::decode(std::string_view bytes,
                                                                                    const fs::path& root,
                                                                                    std::string& why) {
  const auto payload = payloadOf(bytes, why);
  if (!payload) return std::nullopt;
  const std::string_view index = indexPart(*payload);
  Reader lengthOf(index);
  (void)lengthOf.count();
  const std::string_view rest = payload->substr(index.size());
  auto contents = readIndex(index.substr(lengthOf.position()), root, nullptr, rest.size(), why);
  if (!contents) return std::nullopt;
  const std::string_view body = rest.substr(0, static_cast<size_t>(contents->bodySize));
  const std::string_view side = rest.substr(static_cast<size_t>(contents->bodySize));
  std::vector<std::pair<fs::path, Entry>> out;
  out.reserve(contents->rows.size());
  auto add = [&](const std::string& folder, const std::string& name, const Entry& entry) {
    const std::string path = folder + '/' + name;
    const Summary& summary = *entry.summary;
    const std::string_view bytes = body.substr(summary.offset, summary.length);
    if (checksum(bytes) != summary.checksum) {
      why = "the checksum of an entry does not match (" + path + ")";
      return false;
    }
    auto file = decodeEntry(bytes, root, path, entry.info, why);
    if (!file) return false;
    fs::path decodedPath = file->path;
    out.emplace_back(std::move(decodedPath), Entry{entry.info, std::move(file), nullptr});
    return true;
  };
  for (const auto& [folder, begin, end] : contents->folders) {
    for (size_t row = begin; row < end; ++row) {
      if (!add(folder, contents->rows[row].first, contents->rows[row].second)) return std::nullopt;
    }
  }
  // Every side block is read here too: a copy is decoded whole or not at all.
  for (const auto& block : contents->side) {
    const auto rows = readSideRows(side.substr(static_cast<size_t>(block.offset), static_cast<size_t>(block.length)),
                                   block, nullptr, body.size(), why);
    if (!rows) return std::nullopt;
    for (const auto& [name, entry] : *rows) {
      if (!add(block.folder, name, entry)) return std::nullopt;
    }
  }
  // In the order of their paths, as the copy's rows were before some went to the side section.
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first.native() < b.first.native(); });
  return out;
}

bool FileCache::load(platform::FileSystem& fs, const fs::path& cachePath, const fs::path& root, std::string& why) {
  auto forget = [&] {
    // Whatever was saved there before is gone or unusable: the next save must write.
    std::lock_guard lock(mu_);
    savedAt_.erase(cachePath.native());
    return false;
  };
  // The header, the index's length and the index are read now; the body stays in the copy.
  const auto opened = SavedCopy::open(fs, cachePath, root, why);
  if (!opened) return forget();
  auto copy = std::const_pointer_cast<SavedCopy>(opened);
  constexpr size_t kHeadBytes = 256;  // more than any header and the index length after it
  const std::string head = copy->readAt(0, kHeadBytes, /*orFewer=*/true).value_or(std::string());
  const auto header = readHeader(head, why);
  if (!header) return forget();
  const uint64_t size = header->size + header->payloadSize;
  if (header->payloadSize == 0 || !copy->readAt(size - 1, 1) || copy->readAt(size, 1)) {
    why = "the copy has the wrong length";
    return forget();
  }
  Reader lengthOf(std::string_view(head).substr(std::min(head.size(), header->size)));
  const uint64_t indexLength = lengthOf.u();
  const uint64_t indexAt = header->size + lengthOf.position();
  const auto kept = lengthOf.ok && indexLength <= size - indexAt ? copy->readShared(indexAt, indexLength) : nullptr;
  if (!kept) {
    why = "the copy ends early";
    return forget();
  }
  {
    // The checksum covers the length too; the index is summed where it lies, not copied behind it.
    Writer length;
    length.u(indexLength);
    Checksum sum(length.out.size() + indexLength);
    sum.add(length.out);
    sum.add(std::string_view(kept.get(), static_cast<size_t>(indexLength)));
    if (sum.finish() != header->sum) {
      why = "the checksum does not match";
      return forget();
    }
  }
  const uint64_t bodyAt = indexAt + indexLength;
  // Kept for the folder states' names, left as they are until read.
  const std::string_view index(kept.get(), static_cast<size_t>(indexLength));
  auto contents = readIndex(index, root, copy, size - bodyAt, why, kept);
  if (!contents) return forget();
  copy->setBody(bodyAt, contents->bodySize);
  std::lock_guard lock(mu_);
  // A verdict holds for the copy's entries: taken only where this process has none of its own.
  for (auto& verdict : contents->verdicts) {
    const bool known = std::any_of(verdict.folders.begin(), verdict.folders.end(), [&](const std::string& f) {
      return folders_.contains(f) || deferred_.contains(f);
    });
    if (known || std::any_of(verdicts_.begin(), verdicts_.end(), [&](const auto& v) { return v.folders == verdict.folders; })) {
      continue;
    }
    for (const auto& f : verdict.folders) verdict.changes.push_back(changes_[f]);
    verdicts_.push_back(std::move(verdict));
  }
  // As with the files, what this process saw itself is at least as fresh.
  for (auto& [path, state] : contents->states) states_.try_emplace(std::move(path), std::move(state));
  for (auto& block : contents->side) {
    const std::string folder = block.folder;
    if (deferred_.contains(folder)) {
      materializeLocked(folder);
    }
    Deferred deferred{copy, contents->bodySize, bodyAt + contents->bodySize, std::move(block)};
    // Rows of a folder this process already holds entries of are made entries at once, so that what
    // it read itself stays the fresher.
    if (folders_.contains(folder)) {
      if (auto rows = rowsOf(deferred)) {
        Folder& known = folders_[folder];
        for (auto& [name, entry] : *rows) known.try_emplace(std::move(name), std::move(entry));
      }
      continue;
    }
    deferred_.emplace(folder, std::move(deferred));
  }
  // What this process read itself is at least as fresh.
  for (const auto& [path, begin, end] : contents->folders) {
    Folder& folder = folders_[path];
    folder.reserve(folder.size() + (end - begin));
    for (size_t row = begin; row < end; ++row) {
      auto& [name, entry] = contents->rows[row];
      folder.try_emplace(std::move(name), std::move(entry));
    }
  }
  savedAt_[cachePath.native()] = generation_;
  return true;
}

Error FileCache::save(platform::FileSystem& fs, const fs::path& cachePath, const fs::path& root) {
  uint64_t generation;
  {
    std::lock_guard lock(mu_);
    generation = generation_;
    auto it = savedAt_.find(cachePath.native());
    if (it != savedAt_.end() && it->second == generation) return {};
  }
  const std::string bytes = encode(root);
  const std::string prefix = cachePath.filename().string() + ".tmp-";
  // Copies that processes which died before renaming them left (recognised by pid and start time, so
  // a live process that reused a dead one's pid keeps its own); one named for this very process is a
  // leftover of an earlier save of it that failed. A copy that cannot be removed is tried again at the
  // next save.
  std::vector<platform::DirectoryEntry> entries;
  if (fs.listDirectory(cachePath.parent_path(), entries).ok()) {
    for (const auto& entry : entries) {
      if (!entry.name.starts_with(prefix)) continue;
      const auto owner = platform::parseOwnerTag(entry.name.substr(prefix.size()) + "-");
      if (owner && !platform::processIsAlive(*owner)) (void)fs.removeFile(cachePath.parent_path() / entry.name);
    }
  }
  fs::path temporary = cachePath;
  temporary += ".tmp-" + platform::ownerTag(platform::currentProcess());
  std::unique_ptr<platform::WritableFile> file;
  (void)fs.removeFile(temporary);  // as above: usually there is none, and a failure shows just below
  if (auto e = fs.newWritableFile(temporary, 0600, file)) return e;
  Error e = file->append(bytes);
  if (auto closed = file->close(); !e) e = closed;
  if (!e) e = fs.rename(temporary, cachePath);
  if (e) {
    // The save failed, and says so; a temporary left behind is overwritten by the next save.
    (void)fs.removeFile(temporary);
    return e;
  }
  std::lock_guard lock(mu_);
  // Changes made while writing are not in the copy: leave them to the next save.
  savedAt_[cachePath.native()] = generation;
  return {};
}

}  // namespace zarvo::reminders::detail
namespace zarvo::reminders {

void setCompletedTaskFilesCheckInterval(std::chrono::seconds interval) {
  detail::gCompletedCheckIntervalNs.store(std::chrono::duration_cast<std::chrono::nanoseconds>(interval).count());
}

std::chrono::seconds completedTaskFilesCheckInterval() {
  return std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::nanoseconds(detail::gCompletedCheckIntervalNs.load()));
}

}  // namespace zarvo::reminders
