#include "zarvo/reminders/internal/file_cache.h"

#include <libical/ical.h>
#include <unicode/uvernum.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zarvo::reminders::detail {

namespace fs = std::filesystem;
using platform::FileInfo;

namespace {

// Bump whenever the layout below or what parseTodoFile extracts from a file changes: a copy written
// by another version is then ignored rather than misread.
constexpr uint32_t kFormatVersion = 8;
constexpr std::string_view kMagic = "ZARVO FILE CACHE";
// The readers whose results are stored: a copy made with other versions of them is not trusted.
constexpr std::string_view kReaders = "libical " ICAL_VERSION ", ICU " U_ICU_VERSION;

// A 64-bit checksum of the payload, eight bytes at a step: it only has to catch a torn or damaged
// copy, not an adversary.
uint64_t checksum(std::string_view bytes) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
  auto mix = [&h](uint64_t word) {
    h ^= word;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  };
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    mix(word);
  }
  uint64_t tail = 0;
  std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
  mix(tail);
  return h;
}

class Writer {
 public:
  std::string out;

  void u(uint64_t v) {
    while (v >= 0x80) {
      out.push_back(static_cast<char>((v & 0x7F) | 0x80));
      v >>= 7;
    }
    out.push_back(static_cast<char>(v));
  }
  void s(int64_t v) { u((static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63)); }
  void str(std::string_view text) {
    u(text.size());
    out.append(text);
  }
  void optStr(const std::optional<std::string>& text) {
    u(text ? 1 : 0);
    if (text) str(*text);
  }
  void optInt(const std::optional<int64_t>& v) {
    u(v ? 1 : 0);
    if (v) s(*v);
  }
  void optDate(const std::optional<Date>& d) { optInt(d ? std::optional<int64_t>(d->time_since_epoch().count()) : std::nullopt); }
  void components(const std::optional<platform::DateComponents>& c) {
    u(c ? 1 : 0);
    if (!c) return;
    optStr(c->timeZone);
    for (const auto* field : {&c->era, &c->year, &c->month, &c->day, &c->hour, &c->minute, &c->second,
                              &c->nanosecond, &c->weekday}) {
      optInt(*field);
    }
  }
  void info(const FileInfo& i) {
    u(i.size);
    s(i.modifiedNs);
    s(i.changedNs);
    u(i.inode);
    u(i.device);
    u(i.mode);
  }
};

// Reads what Writer wrote. Any read past the end, or a count larger than what is left, marks the
// whole input bad; the caller checks `ok` once at the end.
class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool ok = true;

  bool atEnd() const { return at_ == in_.size(); }
  size_t position() const { return at_; }
  uint64_t u() {
    uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (at_ >= in_.size()) return fail();
      const auto byte = static_cast<uint8_t>(in_[at_++]);
      v |= static_cast<uint64_t>(byte & 0x7F) << shift;
      if (!(byte & 0x80)) return v;
    }
    return fail();
  }
  int64_t s() {
    const uint64_t v = u();
    return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
  }
  // A count of items that take at least one byte each.
  size_t count() {
    const uint64_t n = u();
    if (n > in_.size() - at_) return static_cast<size_t>(fail());
    return static_cast<size_t>(n);
  }
  std::string str() { return std::string(view()); }
  // The next string in place: valid while the input is. Assigning it to a field reuses the field's
  // storage instead of building a string and moving it there.
  std::string_view view() {
    const size_t n = count();
    if (!ok) return {};
    const std::string_view text = in_.substr(at_, n);
    at_ += n;
    return text;
  }
  bool flag() { return u() != 0; }
  std::optional<std::string> optStr() { return flag() ? std::optional<std::string>(str()) : std::nullopt; }
  std::optional<int64_t> optInt() { return flag() ? std::optional<int64_t>(s()) : std::nullopt; }
  std::optional<Date> optDate() {
    const auto v = optInt();
    return v ? std::optional<Date>(Date(Date::duration(*v))) : std::nullopt;
  }
  std::optional<platform::DateComponents> components() {
    if (!flag()) return std::nullopt;
    platform::DateComponents c;
    c.timeZone = optStr();
    for (auto* field : {&c.era, &c.year, &c.month, &c.day, &c.hour, &c.minute, &c.second, &c.nanosecond, &c.weekday}) {
      *field = optInt();
    }
    return c;
  }
  FileInfo info() {
    FileInfo i;
    i.exists = true;
    i.isRegular = true;
    i.size = u();
    i.modifiedNs = s();
    i.changedNs = s();
    i.inode = u();
    i.device = u();
    i.mode = static_cast<uint32_t>(u());
    return i;
  }

 private:
  uint64_t fail() {
    ok = false;
    at_ = in_.size();
    return 0;
  }
  std::string_view in_;
  size_t at_ = 0;
};

void writeFile(Writer& w, const std::string& relativePath, const FileInfo& info, const TodoFile& file) {
  w.str(relativePath);
  w.info(info);
  w.str(file.content);
  w.str(file.newline);
  w.u(file.firstComponentBegin);
  w.u(file.timezoneIds.size());
  for (const auto& id : file.timezoneIds) w.str(id);
  w.u(file.todos.size());
  for (const TodoEntry& todo : file.todos) {
    w.u(todo.begin);
    w.u(todo.end);
    w.u(todo.endLineBegin);
    w.u(todo.recurrenceOverride ? 1 : 0);
    w.u(todo.lines.size());
    for (const PropertyLine& line : todo.lines) {
      w.str(line.name);
      w.u(line.begin);
      w.u(line.end);
      w.u(line.dropped ? 1 : 0);
    }
    w.u(todo.alarmOrigins.size());
    for (const auto& origin : todo.alarmOrigins) {
      w.u(origin->begin);
      w.u(origin->end);
    }
    w.u(todo.alarms.size());
    for (const AlarmValue& alarm : todo.alarms) {
      w.optDate(alarm.absolute);
      w.optInt(alarm.relative ? std::optional<int64_t>(alarm.relative->count()) : std::nullopt);
      // The origin as an index into alarmOrigins, + 1; 0 for none.
      const auto it = std::find(todo.alarmOrigins.begin(), todo.alarmOrigins.end(), alarm.origin);
      w.u(alarm.origin && it != todo.alarmOrigins.end() ? static_cast<uint64_t>(it - todo.alarmOrigins.begin()) + 1 : 0);
      w.optDate(alarm.acknowledged);
      w.optStr(alarm.uid);
      w.optStr(alarm.snoozeOf);
    }
    const TodoFields& f = todo.fields;
    w.str(f.uid);
    w.u(f.hasUid ? 1 : 0);
    w.str(f.title);
    w.optStr(f.notes);
    w.s(f.priority);
    w.components(f.due);
    w.u(f.completed ? 1 : 0);
    w.str(f.status);
    w.optDate(f.completionDate);
    w.optDate(f.creationDate);
    w.optDate(f.lastModified);
    w.optInt(f.percentComplete);
    w.optInt(f.flagged ? std::optional<int64_t>(*f.flagged ? 1 : 0) : std::nullopt);
    w.optInt(f.order);
    w.u(f.categories.size());
    for (const auto& category : f.categories) w.str(category);
    w.str(f.start);
    w.str(f.recurrence);
  }
}

// A relative path of plain names ("<source>/<collection>/<file>.ics"): nothing that could lead
// outside the root.
// Checked on the text, as written: a copy holds ten thousand of them, and splitting each into a
// path's parts costs more than reading the rest of its entry. Stricter than the path's own view of
// its parts (an empty part, as in "a//b", is refused), which a copy we wrote never holds.
bool safeRelativePath(std::string_view path) {
  if (path.empty() || path.front() == '/') return false;
  for (size_t begin = 0; begin <= path.size();) {
    const size_t end = std::min(path.find('/', begin), path.size());
    const std::string_view part = path.substr(begin, end - begin);
    if (part.empty() || part == "." || part == "..") return false;
    begin = end + 1;
  }
  return true;
}
bool safeRelativePath(const fs::path& path) { return safeRelativePath(std::string_view(path.native())); }

// Reads one entry into `out`; the file's path (out.file->path) is built under `root`.
bool readFile(Reader& r, const fs::path& root, FileCache::Entry& out, std::string& why) {
  const std::string_view relative = r.view();
  auto file = std::make_shared<TodoFile>();
  out.info = r.info();
  file->info = out.info;
  file->content.assign(r.view());
  file->newline.assign(r.view());
  file->firstComponentBegin = r.u();
  file->timezoneIds.resize(r.count());
  for (auto& id : file->timezoneIds) id.assign(r.view());
  file->todos.resize(r.count());
  const size_t size = file->content.size();
  bool consistent = r.ok && safeRelativePath(relative) && file->info.size == size && file->firstComponentBegin <= size;
  for (TodoEntry& todo : file->todos) {
    if (!r.ok) break;
    todo.begin = r.u();
    todo.end = r.u();
    todo.endLineBegin = r.u();
    todo.recurrenceOverride = r.flag();
    consistent = consistent && todo.begin <= todo.endLineBegin && todo.endLineBegin <= todo.end && todo.end <= size;
    todo.lines.resize(r.count());
    // Edits splice by these offsets: each line lies inside its VTODO, after the one before it.
    size_t previousEnd = todo.begin;
    for (PropertyLine& line : todo.lines) {
      line.name.assign(r.view());
      line.begin = r.u();
      line.end = r.u();
      line.dropped = r.flag();
      consistent = consistent && previousEnd <= line.begin && line.begin <= line.end && line.end <= todo.endLineBegin;
      previousEnd = line.end;
    }
    const size_t origins = r.count();
    todo.alarmOrigins.reserve(origins);
    for (size_t i = 0; i < origins && r.ok; ++i) {
      auto origin = std::make_shared<AlarmOrigin>();
      origin->begin = r.u();
      origin->end = r.u();
      consistent = consistent && origin->begin <= origin->end && origin->end <= size;
      todo.alarmOrigins.push_back(std::move(origin));
    }
    todo.alarms.resize(r.count());
    for (AlarmValue& alarm : todo.alarms) {
      alarm.absolute = r.optDate();
      if (auto seconds = r.optInt()) alarm.relative = std::chrono::seconds(*seconds);
      const uint64_t origin = r.u();
      consistent = consistent && origin <= todo.alarmOrigins.size();
      if (consistent && origin > 0) alarm.origin = todo.alarmOrigins[origin - 1];
      alarm.acknowledged = r.optDate();
      alarm.uid = r.optStr();
      alarm.snoozeOf = r.optStr();
    }
    TodoFields& f = todo.fields;
    f.uid.assign(r.view());
    f.hasUid = r.flag();
    f.title.assign(r.view());
    f.notes = r.optStr();
    f.priority = static_cast<int>(r.s());
    f.due = r.components();
    f.completed = r.flag();
    f.status.assign(r.view());
    f.completionDate = r.optDate();
    f.creationDate = r.optDate();
    f.lastModified = r.optDate();
    if (auto percent = r.optInt()) f.percentComplete = static_cast<int>(*percent);
    if (auto flagged = r.optInt()) f.flagged = *flagged != 0;
    if (auto order = r.optInt()) f.order = static_cast<int>(*order);
    f.categories.resize(r.count());
    for (auto& category : f.categories) category.assign(r.view());
    f.start.assign(r.view());
    f.recurrence.assign(r.view());
  }
  if (!r.ok) {
    why = "the copy ends early";
    return false;
  }
  if (!consistent) {
    why = "an entry does not fit its file (" + std::string(relative) + ")";
    return false;
  }
  // One path built from text rather than root / relative: the same path, made once.
  const std::string& base = root.native();
  std::string full;
  full.reserve(base.size() + 1 + relative.size());
  full += base;
  if (!full.empty() && full.back() != '/') full += '/';
  file->path = fs::path(std::move(full += relative));
  out.file = std::move(file);
  return true;
}

std::vector<FileCache::Summary::Todo> summaryOf(const TodoFile& file) {
  std::vector<FileCache::Summary::Todo> todos;
  todos.reserve(file.todos.size());
  for (const TodoEntry& todo : file.todos) {
    todos.push_back({todo.fields.uid, todo.fields.hasUid, todo.fields.completed, todo.recurrenceOverride});
  }
  return todos;
}

void writeIndexRow(Writer& w, const std::string& relativePath, const FileInfo& info,
                   const std::vector<FileCache::Summary::Todo>& todos, uint64_t offset, std::string_view entry) {
  w.str(relativePath);
  w.info(info);
  w.u(offset);
  w.u(entry.size());
  w.u(checksum(entry));
  w.u(todos.size());
  for (const auto& todo : todos) {
    w.str(todo.uid);
    w.u((todo.hasUid ? 1u : 0u) | (todo.completed ? 2u : 0u) | (todo.recurrenceOverride ? 4u : 0u));
  }
}

// The part of a payload the header's checksum covers: the index and the length before it. The body
// is covered entry by entry, by the checksums the index holds.
std::string_view indexPart(std::string_view payload) {
  Reader r(payload);
  const size_t length = r.count();
  if (!r.ok) return payload;
  return payload.substr(0, r.position() + length);
}

struct Header {
  uint64_t payloadSize = 0;
  uint64_t sum = 0;
  size_t size = 0;  // of the header itself
};

std::string header(uint64_t payloadSize, uint64_t sum) {
  Writer w;
  w.out.append(kMagic);
  w.u(kFormatVersion);
  w.str(kReaders);
  w.u(payloadSize);
  w.u(sum);
  return std::move(w.out);
}

// Reads the header at the start of `bytes` (which may hold just its first part).
std::optional<Header> readHeader(std::string_view bytes, std::string& why) {
  if (!bytes.starts_with(kMagic)) {
    why = "not a file cache";
    return std::nullopt;
  }
  Reader head(bytes.substr(kMagic.size()));
  const uint64_t version = head.u();
  const std::string readers = head.str();
  Header h;
  h.payloadSize = head.u();
  h.sum = head.u();
  if (!head.ok || version != kFormatVersion || readers != kReaders) {
    why = "written by another version";
    return std::nullopt;
  }
  // The header is as long as a header with these values.
  h.size = header(h.payloadSize, h.sum).size();
  return h;
}

// The rows of an index (without its length), as entries known by their summaries, in the copy's
// order (sorted by relative path, so a folder's files are adjacent). The entries must follow one
// another in a body of `bodySize` bytes, from its start to its end.
std::optional<std::vector<std::pair<std::string, FileCache::Entry>>> readIndex(
    std::string_view index, const fs::path& root, const std::shared_ptr<const FileCache::SavedCopy>& copy,
    uint64_t bodySize, std::string& why) {
  Reader r(index);
  std::vector<std::pair<std::string, FileCache::Entry>> rows(r.count());
  const std::string& base = root.native();
  uint64_t next = 0;
  bool consistent = true;
  for (auto& [path, entry] : rows) {
    if (!r.ok) break;
    const std::string_view relative = r.view();
    entry.info = r.info();
    auto summary = std::make_shared<FileCache::Summary>();
    summary->copy = copy;
    summary->offset = r.u();
    summary->length = r.u();
    summary->checksum = r.u();
    summary->todos.resize(r.count());
    for (auto& todo : summary->todos) {
      todo.uid.assign(r.view());
      const uint64_t flags = r.u();
      todo.hasUid = flags & 1;
      todo.completed = flags & 2;
      todo.recurrenceOverride = flags & 4;
      consistent = consistent && flags < 8;
    }
    consistent = consistent && safeRelativePath(relative) && summary->offset == next &&
                 summary->length <= bodySize - next;
    if (!consistent) {
      why = "an entry does not fit the copy (" + std::string(relative) + ")";
      return std::nullopt;
    }
    next += summary->length;
    // One path built from text rather than root / relative: the same path, made once.
    path.reserve(base.size() + 1 + relative.size());
    path += base;
    if (!path.empty() && path.back() != '/') path += '/';
    path += relative;
    entry.summary = std::move(summary);
  }
  if (!r.ok || !r.atEnd() || next != bodySize) {
    why = "the copy does not end where it should";
    return std::nullopt;
  }
  return rows;
}

// Decodes an entry's bytes: the file it holds, which must be the version and path the index named.
std::shared_ptr<const TodoFile> decodeEntry(std::string_view bytes, const fs::path& root, const std::string& path,
                                            const FileInfo& info, std::string& why) {
  Reader r(bytes);
  FileCache::Entry out;
  if (!readFile(r, root, out, why)) return nullptr;
  if (!r.atEnd() || !out.info.sameVersion(info) || out.file->path.native() != path) {
    why = "an entry is not the file its index row names (" + path + ")";
    return nullptr;
  }
  return std::move(out.file);
}

}  // namespace

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
  // Where the body starts and how long it is, once the index has been read.
  void setBody(uint64_t at, uint64_t size) {
    bodyAt_ = at;
    bodySize_ = size;
  }
  std::optional<std::string> read(uint64_t offset, uint64_t length) const { return readAt(bodyAt_ + offset, length); }
  std::optional<std::string> readBody() const { return read(0, bodySize_); }

 private:
  explicit SavedCopy(fs::path root) : root_(std::move(root)) {}
  const fs::path root_;
  int fd_ = -1;
  std::string bytes_;
  uint64_t bodyAt_ = 0;
  uint64_t bodySize_ = 0;
};

std::optional<std::string> FileCache::savedBytes(const Summary& summary) {
  auto bytes = summary.copy ? summary.copy->read(summary.offset, summary.length) : std::nullopt;
  if (!bytes || checksum(*bytes) != summary.checksum) return std::nullopt;
  return bytes;
}

FileCache& FileCache::shared() {
  static FileCache cache;
  return cache;
}

std::optional<FileCache::Entry> FileCache::find(const fs::path& path, const FileInfo& info) {
  std::lock_guard lock(mu_);
  auto folder = folders_.find(path.parent_path().native());
  if (folder == folders_.end()) return std::nullopt;
  auto it = folder->second.find(path.filename().native());
  if (it == folder->second.end() || !it->second.info.sameVersion(info)) return std::nullopt;
  return it->second;
}

void FileCache::store(const fs::path& path, Entry entry) {
  std::lock_guard lock(mu_);
  folders_[path.parent_path().native()][path.filename().native()] = std::move(entry);
  ++generation_;
}

void FileCache::erase(const fs::path& path) {
  std::lock_guard lock(mu_);
  auto folder = folders_.find(path.parent_path().native());
  if (folder != folders_.end() && folder->second.erase(path.filename().native()) > 0) ++generation_;
}

void FileCache::clear() {
  std::lock_guard lock(mu_);
  folders_.clear();
  ++generation_;
}

void FileCache::lookUpFolder(const fs::path& folderPath, const std::vector<std::string>& names,
                             const std::vector<FileInfo>& infos, std::vector<Entry>& found, std::vector<size_t>& misses) {
  std::lock_guard lock(mu_);
  auto [known, unknown] = folders_.try_emplace(folderPath.native());
  if (unknown && !names.empty()) ++filesFoundGone_;
  Folder& folder = known->second;
  for (size_t i = 0; i < names.size(); ++i) {
    auto it = folder.find(names[i]);
    if (it != folder.end() && it->second.info.sameVersion(infos[i])) {
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
    }
  }
}

std::shared_ptr<const TodoFile> FileCache::decode(const fs::path& path, const Entry& entry) {
  if (!entry.summary) return entry.file;
  const auto bytes = savedBytes(*entry.summary);
  std::string why;
  auto file = bytes ? decodeEntry(*bytes, entry.summary->copy->root(), path.native(), entry.info, why) : nullptr;
  if (!file) return nullptr;
  // Later look-ups of this version get the file. Nothing the copy holds changed: no new generation.
  std::lock_guard lock(mu_);
  if (auto folder = folders_.find(path.parent_path().native()); folder != folders_.end()) {
    if (auto it = folder->second.find(path.filename().native());
        it != folder->second.end() && it->second.summary == entry.summary) {
      it->second.file = file;
      it->second.summary.reset();
    }
  }
  return file;
}

uint64_t FileCache::filesFoundGone() const {
  std::lock_guard lock(mu_);
  return filesFoundGone_;
}

std::string FileCache::encode(const fs::path& root) {
  std::lock_guard lock(mu_);
  std::vector<std::pair<std::string, const Entry*>> entries;
  for (const auto& [folder, files] : folders_) {
    const fs::path relativeFolder = fs::path(folder).lexically_relative(root);
    if (relativeFolder.empty() || !safeRelativePath(relativeFolder)) continue;
    for (const auto& [name, entry] : files) {
      if ((entry.file && entry.file->content.size() <= kMaxSavedFileBytes) || entry.summary) {
        entries.emplace_back((relativeFolder / name).string(), &entry);
      }
    }
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // Entries known only by their summary are copied as the earlier copy holds them: each copy's body
  // is read once, and an entry that no longer checks out is left out (its file is read again).
  std::unordered_map<const SavedCopy*, std::optional<std::string>> bodies;
  Writer body, index;
  size_t rows = 0;
  for (const auto& [relative, entry] : entries) {
    const size_t begin = body.out.size();
    if (entry->file) {
      writeFile(body, relative, entry->info, *entry->file);
      writeIndexRow(index, relative, entry->info, summaryOf(*entry->file), begin,
                    std::string_view(body.out).substr(begin));
    } else {
      const Summary& summary = *entry->summary;
      auto [it, first] = bodies.try_emplace(summary.copy.get());
      if (first) it->second = summary.copy->readBody();
      if (!it->second || summary.offset + summary.length > it->second->size()) continue;
      const std::string_view bytes = std::string_view(*it->second).substr(summary.offset, summary.length);
      if (checksum(bytes) != summary.checksum) continue;
      body.out.append(bytes);
      writeIndexRow(index, relative, entry->info, summary.todos, begin, bytes);
    }
    ++rows;
  }
  Writer payload;
  Writer counted;
  counted.u(rows);
  payload.u(counted.out.size() + index.out.size());
  payload.out += counted.out;
  payload.out += index.out;
  payload.out += body.out;
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
  const std::string_view body = payload->substr(index.size());
  auto rows = readIndex(index.substr(lengthOf.position()), root, nullptr, body.size(), why);
  if (!rows) return std::nullopt;
  std::vector<std::pair<fs::path, Entry>> out;
  out.reserve(rows->size());
  for (auto& [path, entry] : *rows) {
    const Summary& summary = *entry.summary;
    const std::string_view bytes = body.substr(summary.offset, summary.length);
    if (checksum(bytes) != summary.checksum) {
      why = "the checksum of an entry does not match (" + path + ")";
      return std::nullopt;
    }
    auto file = decodeEntry(bytes, root, path, entry.info, why);
    if (!file) return std::nullopt;
    fs::path decodedPath = file->path;
    out.emplace_back(std::move(decodedPath), Entry{entry.info, std::move(file), nullptr});
  }
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
  const auto index = lengthOf.ok && indexLength <= size - indexAt ? copy->readAt(indexAt, indexLength) : std::nullopt;
  if (!index) {
    why = "the copy ends early";
    return forget();
  }
  {
    // The checksum covers the length too.
    Writer covered;
    covered.u(indexLength);
    covered.out += *index;
    if (checksum(covered.out) != header->sum) {
      why = "the checksum does not match";
      return forget();
    }
  }
  const uint64_t bodyAt = indexAt + indexLength;
  copy->setBody(bodyAt, size - bodyAt);
  auto rows = readIndex(*index, root, copy, size - bodyAt, why);
  if (!rows) return forget();
  std::lock_guard lock(mu_);
  Folder* folder = nullptr;
  std::string_view folderPath;
  for (auto& [path, entry] : *rows) {
    // What this process read itself is at least as fresh. Each path was built from the root and a
    // relative path of plain names, so its last '/' parts folder from name; a folder's entries are
    // adjacent, so the folder is looked up once per run of them.
    const size_t slash = path.rfind('/');
    const std::string_view parent = std::string_view(path).substr(0, slash);
    if (!folder || parent != folderPath) {
      folder = &folders_[std::string(parent)];
      folderPath = parent;
    }
    folder->try_emplace(path.substr(slash + 1), std::move(entry));
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
