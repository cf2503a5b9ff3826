// Internal: the parsed task files of the whole process, and their copy on disk that lets the next
// process skip reading and parsing files that did not change. Not part of the public interface.
//
// An entry is a file version: its metadata as listed (size, mtime, ctime, inode, device) and what was
// parsed from it. A look-up hits only when the file's current metadata is the same version, so a file
// changed by any program is read again; the saved copy is checked the same way after loading, so it
// can be out of date but never wrong about a file that changed.
//
// What is checked, on every read of a folder, and why it is enough to see every change another
// program makes:
// - The folder is listed: a file added, removed or renamed (the way vdir clients write: a new file
//   renamed over the old one) shows as a name the cache does not hold, or holds no more.
// - Each listed file is stat'ed, and its size, mtime, ctime, inode and device must all equal the
//   cached version's. A file rewritten in place keeps its name and inode but gets a new ctime from
//   this machine's kernel, which no program can set back, even when it restores the size and mtime;
//   a file replaced by a rename gets a new inode.
// - Times are compared for equality, never ordered, so a clock that is wrong (another machine's, in
//   the mtime a sync tool keeps, or this one's, set back) cannot make a change look old.
// - A folder whose own metadata (mtime, ctime, inode, device, size) is the same as when a complete
//   read listed it holds the same names: creating, removing or renaming an entry sets the folder's
//   ctime to this machine's time, which no program can set back. Such a folder is not listed again;
//   its names come from the folder state (FolderState), and each file is still stat'ed, which is
//   what sees an edit in place. A state is kept only when the folder's ctime is more than
//   kSettledNs older than the moment before the listing: file times are taken from a clock that
//   moves in steps of a few milliseconds, so an entry made later in the step of the folder's last
//   change would leave its times as they were.
// - With completedTaskFilesCheckInterval() set (default zero: off), a file whose tasks are all
//   completed is not stat'ed either, as long as its folder is unchanged and every file of the folder
//   was stat'ed less than the interval ago (by this machine's clock; a clock set back counts as due).
//   That is the one change it can delay: an edit in place, without a rename, of a file that holds
//   only completed tasks, seen at the latest one interval later, or at the next read that checks
//   every file (EventStore::checkEveryFileAtNextRead, a change the handle's watcher saw). Files
//   with an open task, new, removed and renamed files, and files replaced by a rename (the way vdir
//   clients write) are seen at once.
//   A read of open tasks then looks only at the files of the folder state's attention list: the
//   files that the last check of every file found with an open task (or unreadable). A file outside
//   it held only completed tasks at that check, and can come to hold an open one only by the kinds
//   of change above: a rename or a new file moves the folder's metadata (the folder is listed and
//   every file checked), an edit in place waits for the next full check, which makes the list again.
// - Which files repeat a UID another file of the account holds (DuplicateVerdict) is decided again
//   whenever a folder's key moves (its metadata, its last full check, the versions of its attention
//   list's files) or an entry of it changes in this process; otherwise the recorded verdict stands.
// What a listing of open tasks also saves is the reading and decoding of every completed task's
// entry (see Summary): the saved copy keeps the rows of files that hold only completed tasks in a
// side section, a checksummed block per folder, which is not even read until something asks for one
// of the folder's completed tasks. A block that does not check out then is left out whole: its files
// are read again, as if the copy had never held them.
//
// Threads: every member may be called from any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/internal/ical_file.h"

namespace zarvo::reminders::detail {

// The sorted names of a folder's task files, shared by the copies of a folder state. Names loaded
// from a saved copy's index stay there, as bytes, until something reads them: a listing of open
// tasks reads only the attention list, and tens of thousands of names of completed tasks' files would
// otherwise be made into strings on every start. Reading is safe from any thread; the first read
// makes the list once.
class FolderNames {
 public:
  using List = std::vector<std::string>;
  FolderNames() = default;
  FolderNames(std::shared_ptr<const List> list);  // NOLINT: a made list is a name list
  // `count` names as the index writes them (a length, then the bytes), starting at `bytes`, which
  // must have been checked to hold them; `keep` keeps the bytes alive.
  static FolderNames inIndex(std::shared_ptr<const void> keep, std::string_view bytes, size_t count);

  explicit operator bool() const { return block_ != nullptr; }
  const List& operator*() const { return *list(); }
  const List* operator->() const { return list().get(); }
  std::shared_ptr<const List> list() const;
  // Whether both are the same list object (not compared by content).
  bool sameAs(const FolderNames& other) const { return block_ == other.block_; }

 private:
  struct Block;
  std::shared_ptr<Block> block_;
};

class FileCache {
 public:
  class SavedCopy;

  // What a saved copy's index says of a file whose entry this process has not decoded yet: for each
  // VTODO, what decides whether a listing shows it (its UID, completion, whether it overrides an
  // occurrence), and where the rest of the entry lies in the copy. Decoding waits until a reminder
  // is made from the file, so a listing of open tasks never decodes the completed ones.
  struct Summary {
    struct Todo {
      std::string uid;
      bool hasUid = false;
      bool completed = false;
      bool recurrenceOverride = false;
    };
    // The summaries read with one index (or one block of its completed tasks) and their tasks lie in
    // one allocation, which each summary's owner keeps alive: ten thousand rows make two allocations,
    // not twenty thousand. So a summary is never copied out of it (its tasks would not come along).
    Summary() = default;
    Summary(const Summary&) = delete;
    Summary& operator=(const Summary&) = delete;

    std::span<const Todo> todos;
    std::shared_ptr<const SavedCopy> copy;
    uint64_t offset = 0;  // of the entry in the copy's body
    uint64_t length = 0;
    uint64_t checksum = 0;
  };

  // Where the rows of one folder's files that hold only completed tasks lie in a saved copy's side
  // section, as the copy's index gives it.
  struct SideBlock {
    std::string folder;    // its path under the root
    std::string relative;  // the folder's path relative to the root, which every row's path starts with
    uint64_t count = 0;    // rows
    uint64_t offset = 0;   // in the side section
    uint64_t length = 0;
    uint64_t checksum = 0;
  };

  struct Entry {
    platform::FileInfo info;
    // The parsed file; null when it does not parse, or while only `summary` knows it.
    std::shared_ptr<const TodoFile> file;
    // Set (and `file` null) while the file is known from a saved copy's index alone.
    std::shared_ptr<const Summary> summary;
  };

  // What the last complete read of a folder saw. Valid while the folder's own metadata stays `dir`.
  struct FolderState {
    platform::FileInfo dir;  // the folder's, taken before it was listed
    FolderNames names;  // its task files, sorted
    bool leftovers = false;  // it also held temporary files or previous versions of a write
    int64_t checkedAllAtNs = 0;  // when every task file in it was last stat'ed (this machine's clock)
    // Of `names`, the files not known to hold only completed tasks, as the last check of every file
    // of the folder found them (sorted); null when no such check was recorded for this state. A read
    // of open tasks that need not check the others reads only these.
    std::shared_ptr<const std::vector<std::string>> attention;
  };

  // What a folder's task files were when a duplicate verdict was made: its state (the folder's
  // metadata, so the same names; when every file was last checked, so the same files of completed
  // tasks) and the fingerprint of its attention list's files (names and versions as stat'ed).
  struct FolderKey {
    platform::FileInfo dir;
    int64_t checkedAllAtNs = 0;
    uint64_t fingerprint = 0;
    bool operator==(const FolderKey& o) const {
      return dir.sameVersion(o.dir) && checkedAllAtNs == o.checkedAllAtNs && fingerprint == o.fingerprint;
    }
  };
  // The fingerprint of a folder's files: `names` with their versions `infos` (same length).
  static uint64_t fingerprint(const std::vector<std::string>& names, const std::vector<platform::FileInfo>& infos);

  // Which task files of one account repeat a UID that another file of it holds already, as a read of
  // `folders` (calendar folders, in the order read) found them. It holds while each folder's key
  // does, so a read that finds the same files need not compare every task's UID with every other's.
  struct DuplicateVerdict {
    struct Loser {
      size_t folder = 0;  // index into `folders`
      std::string name;   // the file's name in that folder
      std::string why;
    };
    std::vector<std::string> folders;
    std::vector<FolderKey> keys;  // one per folder
    std::vector<Loser> losers;
    // Per folder, changesOf() when it was recorded (or loaded): it holds while no entry of them has
    // changed in this process since. Not saved.
    std::vector<uint64_t> changes;
  };
  // How much older than the moment before a listing a folder's ctime must be for its state to be kept.
  static constexpr int64_t kSettledNs = 1'000'000'000;

  // The process's cache.
  static FileCache& shared();

  // The clock of FolderState::checkedAllAtNs and of kSettledNs: nanoseconds since 1970 (the system
  // clock). Tests set their own (null: the system clock again); not to be changed while reads run.
  static int64_t nowNs();
  static void setClockForTesting(std::function<int64_t()> clock);

  // The state of `folder` when it was recorded with the metadata `dirNow`; nothing otherwise.
  std::optional<FolderState> folderState(const std::filesystem::path& folder, const platform::FileInfo& dirNow);
  // Records what a complete read of `folder` saw, listed no earlier than `listedAtNs`; a folder whose
  // ctime is not more than kSettledNs older than that keeps no state (see above). Answers whether it
  // was kept.
  bool setFolderState(const std::filesystem::path& folder, FolderState state, int64_t listedAtNs);
  // Records, for a folder whose state is still `dir`, which of its files were found not to hold only
  // completed tasks by a check of every file of it made at `atNs` (see FolderState::attention).
  void setAttention(const std::filesystem::path& folder, const platform::FileInfo& dir, int64_t atNs,
                    std::shared_ptr<const std::vector<std::string>> attention);
  // The cached entry of each of `names` of `folder`, whatever its version (found[i].info.exists is
  // false where there is none). Without `all`, the entries of files a saved copy says hold only
  // completed tasks are not looked at (nor decoded from its index): they count as none.
  void entriesOf(const std::filesystem::path& folder, const std::vector<std::string>& names,
                 std::vector<Entry>& found, bool all = true);

  // How many times an entry of `folder` was stored, erased or dropped in this process.
  uint64_t changesOf(const std::filesystem::path& folder) const;
  // The losers of the verdict recorded for exactly `folders` with exactly `keys`, none of whose
  // entries changed since; nothing otherwise.
  std::optional<std::vector<DuplicateVerdict::Loser>> duplicateVerdict(const std::vector<std::string>& folders,
                                                                     const std::vector<FolderKey>& keys);
  // Records a verdict (replacing the one of the same folders) made from reads that found each folder
  // with changesOf() equal to `changes` once they were done (counting their own stores): when
  // another thread changed an entry meanwhile, the verdict may not hold for it and is not kept.
  void setDuplicateVerdict(DuplicateVerdict verdict, const std::vector<uint64_t>& changes);

  std::optional<Entry> find(const std::filesystem::path& path, const platform::FileInfo& info);
  void store(const std::filesystem::path& path, Entry entry);
  void erase(const std::filesystem::path& path);
  void clear();

  // Looks up many files of one folder under a single lock: sets found[i] for each name cached at
  // version infos[i] (a parsed file, or a summary to decode()); the indices of the misses are
  // appended to `misses`. Entries of the folder whose names are not listed are dropped, as the files
  // are gone, and counted in filesFoundGone(); answers whether any were (a change of the folder).
  bool lookUpFolder(const std::filesystem::path& folder, const std::vector<std::string>& names,
                    const std::vector<platform::FileInfo>& infos, std::vector<Entry>& found,
                    std::vector<size_t>& misses);

  // The file a summary entry of `path` stands for, decoded from its saved copy (and kept in the
  // cache from then on), or null when the copy no longer gives it back intact: the caller then reads
  // the file itself. Any thread; the decoding runs outside the cache's lock.
  std::shared_ptr<const TodoFile> decode(const std::filesystem::path& path, const Entry& entry);
  // The same for the file `name` of `folder` (a folder path as the cache keys it, without a trailing
  // separator): a listing that decodes thousands of entries builds no path object for each.
  std::shared_ptr<const TodoFile> decode(const std::string& folder, const std::string& name, const Entry& entry);

  // decode() of found[i] for each i of `which` (indices into `names`, ascending, each entry holding a
  // summary), for the files of one folder: entries that lie close together in the same saved copy are read from it in one go,
  // not one read each. Sets found[i].file where the copy gives the entry back intact and leaves it
  // null otherwise (the caller then reads the file itself); `summary` is left as it was.
  void decodeAll(const std::string& folder, const std::vector<std::string>& names, std::vector<Entry>& found,
                 const std::vector<size_t>& which);
  // How far apart entries may lie in a copy to be read in one go, and how much one read takes at
  // most: a gap is read and skipped, which costs less than another read up to some kilobytes.
  static constexpr uint64_t kReadTogetherGap = 4096;
  static constexpr uint64_t kReadTogetherBytes = 64 * 1024;

  // How many times a folder look-up found cached files gone (another program removed them; this
  // process's own removals erase their entries first), or met a folder of files it knew nothing of
  // (a removal there cannot be ruled out).
  uint64_t filesFoundGone() const;

  // Adds the entries saved in `cachePath` for files under `root` that are not cached yet. A missing
  // file, one written by another format version or one that fails its checksum or consistency checks
  // adds nothing and answers false; the reason goes to `why`.
  bool load(platform::FileSystem& fs, const std::filesystem::path& cachePath, const std::filesystem::path& root,
            std::string& why);
  // The largest task file whose entry a saved copy holds. An entry holds the file's bytes and the
  // values read from them (a long DESCRIPTION twice over), so one huge file would make the copy about
  // twice its size and slow every start; such a file is read again by each process instead.
  static constexpr size_t kMaxSavedFileBytes = size_t{1} << 20;

  // Writes the parsed files under `root` to `cachePath` (temporary file, then rename), unless nothing
  // changed since this cache last loaded or saved that path. No fsync: a copy lost in a crash costs
  // one slower start and is detected by its checksum.
  Error save(platform::FileSystem& fs, const std::filesystem::path& cachePath,
                       const std::filesystem::path& root);

  // The layout of a saved copy: a header (format version, reader versions, payload length, checksum
  // of the index) followed by the payload: the index's length, the index (each file's path, metadata,
  // summary, and the place and checksum of its entry), then the body (the entries, one after the
  // other). A process reads the header and the index; an entry only when it needs the file. `frame`
  // wraps a payload so that it passes every header check; `payloadOf` answers the payload of a copy
  // whose header checks pass, or nothing with the reason.
  static std::string frame(std::string_view payload);
  static std::optional<std::string_view> payloadOf(std::string_view bytes, std::string& why);

  // The serialised form, exposed for tests of damaged copies. `encode` takes the entries under `root`
  // with their paths relative to it; `decode` rebuilds them all, each file decoded, under `root`, or
  // answers nothing.
  std::string encode(const std::filesystem::path& root);
  static std::optional<std::vector<std::pair<std::filesystem::path, Entry>>> decode(
      std::string_view bytes, const std::filesystem::path& root, std::string& why);

 private:
  using Folder = std::unordered_map<std::string, Entry>;  // by file name
  // The rows of a saved copy not made into entries yet: those of a folder's files that hold only
  // completed tasks, which a listing of open tasks does not need, as a block of the copy's side
  // section that has not even been read. They are made into entries the first time anything needs
  // more of the folder than its other files (see materializeLocked).
  struct Deferred {
    std::shared_ptr<const SavedCopy> copy;
    uint64_t bodySize = 0;
    uint64_t sideAt = 0;  // where the side section starts in the copy
    SideBlock block;
  };
  // The entries of a deferred block, read from its copy; nothing when it cannot be read or does not
  // check out, and then its files are read again when they are needed.
  static std::optional<std::vector<std::pair<std::string, Entry>>> rowsOf(const Deferred& deferred);
  mutable std::mutex mu_;
  std::unordered_map<std::string, Folder> folders_;  // by folder path
  std::unordered_map<std::string, Deferred> deferred_;  // by folder path
  std::vector<DuplicateVerdict> verdicts_;
  std::unordered_map<std::string, uint64_t> changes_;  // by folder path
  // Makes the deferred rows of `folder` entries (an entry already cached is fresher and stays).
  void materializeLocked(const std::string& folder);
  void materializeAllLocked();
  uint64_t generation_ = 0;                           // moves with every change
  uint64_t filesFoundGone_ = 0;
  std::unordered_map<std::string, FolderState> states_;  // by folder path
  std::unordered_map<std::string, uint64_t> savedAt_;  // cache path -> generation last loaded or saved
  // The bytes of an entry as a saved copy holds them, checked against the summary's checksum.
  static std::optional<std::string> savedBytes(const Summary& summary);
  // The `length` bytes at `offset` of `copy`'s body, checked against `checksum`.
  static std::optional<std::string> savedBytes(const SavedCopy* copy, uint64_t offset, uint64_t length,
                                               uint64_t checksum);
  // A decoded entry's bytes, read back from its copy when its texts are first needed.
  class SavedEntry;
  // Whether a cached entry may stand for its file: not one whose texts could not be read back from
  // the copy (the file is then read again, as if it had changed).
  static bool isUsable(const Entry& entry);
  // Keeps `file`, decoded from the summary entry `name` of `folder`, as that entry's file while the
  // entry is still the one decoded. Requires mu_.
  void keepDecodedLocked(const std::string& folder, const std::string& name, const Entry& entry,
                         const std::shared_ptr<const TodoFile>& file);
};

}  // namespace zarvo::reminders::detail

namespace zarvo::reminders {

// Drops the process-wide cache of parsed files (the next fetch reads every file again). For
// benchmarks and tests of cold reads.
void clearSharedFileCache();

}  // namespace zarvo::reminders
