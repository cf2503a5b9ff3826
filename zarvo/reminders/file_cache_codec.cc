#include "zarvo/reminders/internal/file_cache_codec.h"

#include <libical/ical.h>
#include <unicode/uvernum.h>

#include <algorithm>
#include <cstring>

namespace zarvo::reminders::detail::cache_format {

namespace fs = std::filesystem;

static_assert(std::is_same_v<Date::duration, std::chrono::microseconds>,
              "a copy holds dates in microseconds: another unit needs a new format version");

namespace {

constexpr std::string_view kMagic = "ZARVO FILE CACHE";
// The readers whose results are stored: a copy made with other versions of them is not trusted.
constexpr std::string_view kReaders = "libical " ICAL_VERSION ", ICU " U_ICU_VERSION;

// Whether `block` holds property lines an edit can splice by: each inside the VTODO, from `begin` to
// `endLineBegin`, after the one before it.
bool linesFit(std::string_view block, size_t begin, size_t endLineBegin) {
  Reader r(block);
  const size_t count = r.count();
  size_t previousEnd = begin;
  bool fit = true;
  for (size_t i = 0; i < count && r.ok; ++i) {
    (void)r.view();  // the name
    const uint64_t lineBegin = r.u();
    const uint64_t lineEnd = r.u();
    const uint64_t dropped = r.u();
    fit = fit && previousEnd <= lineBegin && lineBegin <= lineEnd && lineEnd <= endLineBegin && dropped < 2;
    previousEnd = static_cast<size_t>(lineEnd);
  }
  return fit && r.ok && r.atEnd();
}

// Whether `path` is root / relative, as the text of a path under `base` (the root's).
bool isUnder(std::string_view path, const std::string& base, std::string_view relative) {
  if (!path.starts_with(base)) return false;
  path.remove_prefix(base.size());
  if (!base.empty() && base.back() != '/') {
    if (!path.starts_with('/')) return false;
    path.remove_prefix(1);
  }
  return path == relative;
}

// Reads one entry, which must be the file at `path` (root / its relative path) at version `info`:
// what the index row names, whose path the index found safe.
// The file's texts are parts of `source`, whose bytes are `entry`, the bytes `r` reads.
std::shared_ptr<TodoFile> readFile(Reader& r, std::string_view entry, const fs::path& root, const std::string& path,
                                   const platform::FileInfo& info, const std::shared_ptr<const TextBytes>& source,
                                   std::string& why) {
  const char* const start = entry.data();
  const auto partOf = [&](std::string_view part) {
    return SharedText::partOf(source, static_cast<size_t>(part.data() - start), part.size());
  };
  const std::string_view relative = r.view();
  if (r.ok && !isUnder(path, root.native(), relative)) {
    why = "an entry is not the file its index row names (" + path + ")";
    return nullptr;
  }
  auto file = std::make_shared<TodoFile>();
  file->info = info;
  const std::string_view content = r.view();
  file->content = partOf(content);
  // Most files end their lines as a new file's default does, and most VTODOs have no start or
  // rule: a fresh string is left as it is for them.
  if (const std::string_view newline = r.view(); newline != file->newline) file->newline.assign(newline);
  file->firstComponentBegin = r.u();
  file->timezoneIds.resize(r.count());
  for (auto& id : file->timezoneIds) id.assign(r.view());
  file->todos.resize(r.count());
  const size_t size = content.size();
  bool consistent = r.ok && file->info.size == size && file->firstComponentBegin <= size;
  for (TodoEntry& todo : file->todos) {
    if (!r.ok) break;
    todo.begin = r.u();
    todo.end = r.u();
    todo.endLineBegin = r.u();
    todo.recurrenceOverride = r.flag();
    consistent = consistent && todo.begin <= todo.endLineBegin && todo.endLineBegin <= todo.end && todo.end <= size;
    // Checked now, made into a list only if an edit reads them.
    const std::string_view lines = r.view();
    consistent = consistent && linesFit(lines, todo.begin, todo.endLineBegin);
    todo.lines = PropertyLines::encoded(partOf(lines));
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
    if (const std::string_view start = r.view(); !start.empty()) f.start.assign(start);
    if (const std::string_view rule = r.view(); !rule.empty()) f.recurrence.assign(rule);
    f.datesLeftOut.resize(r.count());
    for (auto& leftOut : f.datesLeftOut) leftOut.assign(r.view());
  }
  if (!r.ok) {
    why = "the copy ends early";
    return nullptr;
  }
  if (!consistent) {
    why = "an entry does not fit its file (" + std::string(relative) + ")";
    return nullptr;
  }
  // Its parts are split only if someone asks.
  file->path = FilePath::fromText(path);
  return file;
}

}  // namespace

namespace {

constexpr uint64_t kMultiplier = 0xFF51AFD7ED558CCDull;

void mix(uint64_t& h, uint64_t word) {
  h ^= word;
  h *= kMultiplier;
  h ^= h >> 32;
}

}  // namespace

Checksum::Checksum(uint64_t size)
    : lanes_{0x9E3779B97F4A7C15ull ^ size, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull} {}

void Checksum::block(const char* at) {
  for (uint64_t& lane : lanes_) {
    uint64_t word;
    std::memcpy(&word, at, 8);
    mix(lane, word);
    at += 8;
  }
}

void Checksum::add(std::string_view bytes) {
  if (pendingSize_ > 0) {
    const size_t taken = std::min(bytes.size(), sizeof pending_ - pendingSize_);
    if (taken > 0) std::memcpy(pending_ + pendingSize_, bytes.data(), taken);
    pendingSize_ += taken;
    bytes.remove_prefix(taken);
    if (pendingSize_ < sizeof pending_) return;
    block(pending_);
    pendingSize_ = 0;
  }
  for (; bytes.size() >= sizeof pending_; bytes.remove_prefix(sizeof pending_)) block(bytes.data());
  if (!bytes.empty()) std::memcpy(pending_, bytes.data(), bytes.size());
  pendingSize_ = bytes.size();
}

uint64_t Checksum::finish() {
  // The last bytes, fewer than a block, go into the first lane word by word, zero-padded.
  uint64_t& first = lanes_[0];
  for (size_t at = 0; at < pendingSize_; at += 8) {
    uint64_t word = 0;
    std::memcpy(&word, pending_ + at, std::min<size_t>(8, pendingSize_ - at));
    mix(first, word);
  }
  uint64_t h = lanes_[0];
  for (size_t i = 1; i < 4; ++i) mix(h, lanes_[i]);
  mix(h, 0);
  return h;
}

uint64_t checksum(std::string_view bytes) {
  Checksum sum(bytes.size());
  sum.add(bytes);
  return sum.finish();
}

void writeLines(Writer& w, const PropertyLines& lines) {
  // Lines never made into a list since they were read from a copy go back as they were.
  if (const std::optional<std::string_view> kept = lines.encoding()) {
    w.str(*kept);
    return;
  }
  Writer block;
  block.u(lines.size());
  for (const PropertyLine& line : lines) {
    block.str(line.name);
    block.u(line.begin);
    block.u(line.end);
    block.u(line.dropped ? 1 : 0);
  }
  w.str(block.out);
}

PropertyLines::List readLines(std::string_view block) {
  Reader r(block);
  PropertyLines::List lines(r.count());
  for (PropertyLine& line : lines) {
    line.name.assign(r.view());
    line.begin = static_cast<size_t>(r.u());
    line.end = static_cast<size_t>(r.u());
    line.dropped = r.flag();
  }
  if (!r.ok) lines.clear();  // never, for a block that linesFit() accepted
  return lines;
}

void writeFile(Writer& w, const std::string& relativePath, const TodoFile& file) {
  w.str(relativePath);
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
    writeLines(w, todo.lines);
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
    w.u(f.datesLeftOut.size());
    for (const auto& leftOut : f.datesLeftOut) w.str(leftOut);
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

std::vector<FileCache::Summary::Todo> summaryOf(const TodoFile& file) {
  std::vector<FileCache::Summary::Todo> todos;
  todos.reserve(file.todos.size());
  for (const TodoEntry& todo : file.todos) {
    todos.push_back({todo.fields.uid, todo.fields.hasUid, todo.fields.completed, todo.recurrenceOverride});
  }
  return todos;
}

void writeIndexRow(Writer& w, const std::string& relativePath, const platform::FileInfo& info,
                   std::span<const FileCache::Summary::Todo> todos, uint64_t offset, std::string_view entry) {
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

void writeFolderStates(Writer& w, const std::vector<std::pair<std::string, const FileCache::FolderState*>>& states) {
  w.u(states.size());
  for (const auto& [relative, state] : states) {
    w.str(relative);
    w.info(state->dir);
    w.u(state->leftovers ? 1 : 0);
    w.s(state->checkedAllAtNs);
    const std::vector<std::string>& names = *state->names;
    w.u(names.size());
    for (const auto& name : names) w.str(name);
    // Positions rather than names: both lists are sorted, so each is found after the one before.
    std::vector<size_t> positions;
    if (state->attention) {
      size_t at = 0;
      for (const auto& name : *state->attention) {
        at = static_cast<size_t>(std::lower_bound(names.begin() + static_cast<std::ptrdiff_t>(at), names.end(), name) -
                                 names.begin());
        if (at == names.size() || names[at] != name) break;
        positions.push_back(at);
      }
      // Names the state does not hold: the list does not belong to it, and is left out.
      if (positions.size() != state->attention->size()) positions.clear();
    }
    const bool kept = state->attention && positions.size() == state->attention->size();
    w.u(kept ? 1 : 0);
    if (!kept) continue;
    w.u(positions.size());
    size_t previous = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
      w.u(i == 0 ? positions[i] : positions[i] - previous);
      previous = positions[i];
    }
  }
}

void writeVerdicts(Writer& w, const std::vector<FileCache::DuplicateVerdict>& verdicts) {
  w.u(verdicts.size());
  for (const auto& verdict : verdicts) {
    w.u(verdict.folders.size());
    for (size_t i = 0; i < verdict.folders.size(); ++i) {
      w.str(verdict.folders[i]);
      w.info(verdict.keys[i].dir);
      w.s(verdict.keys[i].checkedAllAtNs);
      w.u(verdict.keys[i].fingerprint);
    }
    w.u(verdict.losers.size());
    for (const auto& loser : verdict.losers) {
      w.u(loser.folder);
      w.str(loser.name);
      w.str(loser.why);
    }
  }
}

namespace {

// A path under `root` made of its text and a relative path: the same path as root / relative, made
// once.
std::string under(const std::string& base, std::string_view relative) {
  std::string path;
  path.reserve(base.size() + 1 + relative.size());
  path += base;
  if (!path.empty() && path.back() != '/') path += '/';
  path += relative;
  return path;
}

// Whether a byte of `w` is zero.
constexpr bool hasZeroByte(uint64_t w) { return ((w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull) != 0; }

bool plainName(std::string_view text) {
  if (text.empty() || text == "." || text == "..") return false;
  // Neither '/' nor NUL, looked for eight bytes at a time: folders hold tens of thousands of names.
  size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    uint64_t w;
    std::memcpy(&w, text.data() + at, sizeof w);
    if (hasZeroByte(w) || hasZeroByte(w ^ 0x2F2F2F2F2F2F2F2Full)) return false;
  }
  for (; at < text.size(); ++at) {
    if (text[at] == '/' || text[at] == '\0') return false;
  }
  return true;
}

// One index row read without keeping anything of it: what loading needs to check it.
struct RowView {
  std::string_view relative;
  uint64_t offset = 0;
  uint64_t length = 0;
  size_t todos = 0;
  bool flagsValid = true;
};

RowView scanRow(Reader& r) {
  RowView row;
  row.relative = r.view();
  r.skip(Reader::kInfoNumbers);
  row.offset = r.u();
  row.length = r.u();
  r.skip(1);  // checksum
  row.todos = r.count();
  for (size_t i = 0; i < row.todos && r.ok; ++i) {
    (void)r.view();
    row.flagsValid = row.flagsValid && r.u() < 8;
  }
  return row;
}

}  // namespace

void readRows(std::string_view bytes, const std::vector<size_t>& starts, size_t todoCount,
              const std::shared_ptr<const FileCache::SavedCopy>& copy,
              std::vector<std::pair<std::string, FileCache::Entry>>& rows) {
  using Summary = FileCache::Summary;
  struct Block {
    std::unique_ptr<Summary[]> summaries;
    std::unique_ptr<Summary::Todo[]> todos;
  };
  auto block = std::make_shared<Block>();
  block->summaries = std::make_unique<Summary[]>(starts.size());
  block->todos = std::make_unique<Summary::Todo[]>(todoCount);
  rows.reserve(rows.size() + starts.size());
  size_t todosTaken = 0;
  for (size_t i = 0; i < starts.size(); ++i) {
    Reader r(bytes.substr(std::min(starts[i], bytes.size())));
    auto& [name, entry] = rows.emplace_back();
    const std::string_view relative = r.view();
    entry.info = r.info();
    Summary& summary = block->summaries[i];
    summary.copy = copy;
    summary.offset = r.u();
    summary.length = r.u();
    summary.checksum = r.u();
    // The caller counted the tasks of these very rows; a count past it is a caller's error, and
    // reading stops short rather than writing past the block.
    const size_t count = std::min(r.count(), todoCount - todosTaken);
    Summary::Todo* todos = block->todos.get() + todosTaken;
    for (size_t k = 0; k < count; ++k) {
      todos[k].uid.assign(r.view());
      const uint64_t flags = r.u();
      todos[k].hasUid = flags & 1;
      todos[k].completed = flags & 2;
      todos[k].recurrenceOverride = flags & 4;
    }
    summary.todos = std::span<const Summary::Todo>(todos, count);
    todosTaken += count;
    name.assign(relative.substr(relative.rfind('/') + 1));  // the whole path when it has no folder
    entry.summary = std::shared_ptr<const Summary>(block, &summary);
  }
}

std::optional<IndexContents> readIndex(std::string_view index, const fs::path& root,
                                       const std::shared_ptr<const FileCache::SavedCopy>& copy, uint64_t afterIndex,
                                       std::string& why, const std::shared_ptr<const void>& keepIndex) {
  Reader r(index);
  IndexContents contents;
  contents.sideSize = r.u();
  if (!r.ok || contents.sideSize > afterIndex) {
    why = "the copy does not end where it should";
    return std::nullopt;
  }
  const uint64_t bodySize = afterIndex - contents.sideSize;
  contents.bodySize = bodySize;
  const size_t rows = r.count();
  contents.rows.reserve(rows);
  const std::string& base = root.native();
  uint64_t next = 0;
  // Rows come sorted, so a folder's rows are adjacent: once a folder's path is found safe, a row under
  // it needs only its file name checked. Each change of folder starts a new run, which tells the rows
  // of a new folder without comparing paths again.
  std::string_view safeFolder;
  bool inFolder = false;
  size_t run = 0;
  size_t rowsRun = 0;
  // The rows are read once all are found to fit.
  std::vector<size_t> starts;
  starts.reserve(rows);
  size_t todoCount = 0;
  // Whether `relative` is safe; its folder is then `safeFolder` (none when `inFolder` is false).
  const auto safe = [&](std::string_view relative) {
    if (inFolder && relative.size() > safeFolder.size() + 1 && relative.starts_with(safeFolder) &&
        relative[safeFolder.size()] == '/') {
      const std::string_view name = relative.substr(safeFolder.size() + 1);
      if (name.find('/') == std::string_view::npos) return name != "." && name != "..";
    }
    if (!safeRelativePath(relative)) return false;
    const size_t slash = relative.rfind('/');
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
    if (run == 0 || inFolder != (slash != std::string_view::npos) || folder != safeFolder) ++run;
    inFolder = slash != std::string_view::npos;
    safeFolder = folder;
    return true;
  };
  for (size_t i = 0; i < rows && r.ok; ++i) {
    const size_t at = r.position();
    const RowView row = scanRow(r);
    // Entries lie in the body in the rows' order; those of the side blocks' rows fill the gaps.
    if (!r.ok || !row.flagsValid || !safe(row.relative) || row.offset < next || row.offset > bodySize ||
        row.length > bodySize - row.offset) {
      why = "an entry does not fit the copy (" + std::string(row.relative) + ")";
      return std::nullopt;
    }
    next = row.offset + row.length;
    if (contents.folders.empty() || run != rowsRun) {
      // The folder's path as the file's, root / relative, up to its last separator.
      std::string path = inFolder ? under(base, safeFolder) : under(base, row.relative);
      if (!inFolder) path.resize(std::min(path.size(), path.rfind('/')));
      contents.folders.push_back({std::move(path), starts.size(), starts.size()});
      rowsRun = run;
    }
    starts.push_back(at);
    todoCount += row.todos;
    contents.folders.back().end = starts.size();
  }
  if (r.ok) readRows(index, starts, todoCount, copy, contents.rows);
  // The side blocks: one per folder, in the folders' order, filling the side section.
  contents.side.resize(r.count());
  uint64_t sideNext = 0;
  std::string_view previousFolder;
  for (auto& block : contents.side) {
    if (!r.ok) break;
    const std::string_view relative = r.view();
    block.count = r.u();
    block.offset = r.u();
    block.length = r.u();
    block.checksum = r.u();
    if (!r.ok || !safeRelativePath(relative) || (&block != &contents.side.front() && relative <= previousFolder) ||
        block.offset != sideNext || block.length > contents.sideSize - sideNext || block.count > block.length) {
      why = "a block of completed tasks does not fit the copy (" + std::string(relative) + ")";
      return std::nullopt;
    }
    previousFolder = relative;
    sideNext += block.length;
    block.folder = under(base, relative);
    block.relative.assign(relative);
  }
  if (r.ok && sideNext != contents.sideSize) {
    why = "the copy does not end where it should";
    return std::nullopt;
  }
  contents.states.resize(r.count());
  std::vector<std::string_view> names;
  for (auto& [path, state] : contents.states) {
    if (!r.ok) break;
    const std::string_view relative = r.view();
    state.dir = r.info();
    state.dir.isRegular = false;
    state.dir.isDirectory = true;
    const uint64_t leftovers = r.u();
    state.leftovers = leftovers != 0;
    state.checkedAllAtNs = r.s();
    // The names are checked now and made into strings only when read (see FolderNames).
    const size_t count = r.count();
    const size_t namesAt = r.position();
    names.resize(count);
    bool consistent = true;
    for (size_t i = 0; i < count && r.ok; ++i) {
      const std::string_view text = r.view();
      // Plain names in strictly increasing order, as a listing sorted them.
      consistent = consistent && plainName(text) && (i == 0 || names[i - 1] < text);
      names[i] = text;
    }
    const std::string_view namesBytes = index.substr(namesAt, r.position() - namesAt);
    const uint64_t hasAttention = r.u();
    if (hasAttention == 1) {
      auto attention = std::make_shared<std::vector<std::string>>(r.count());
      size_t position = 0;
      for (size_t i = 0; i < attention->size() && r.ok; ++i) {
        const uint64_t step = r.u();
        // Strictly increasing positions among the names.
        consistent = consistent && (i == 0 || step > 0) && step < names.size() - position;
        if (!consistent) break;
        position += static_cast<size_t>(step);
        (*attention)[i] = names[position];
      }
      state.attention = std::move(attention);
    }
    consistent = consistent && leftovers < 2 && hasAttention < 2 && safeRelativePath(relative);
    if (!r.ok || !consistent) {
      why = "a folder state does not fit the copy (" + std::string(relative) + ")";
      return std::nullopt;
    }
    path = under(base, relative);
    if (keepIndex) {
      state.names = FolderNames::inIndex(keepIndex, namesBytes, count);
    } else {
      state.names = std::make_shared<const std::vector<std::string>>(names.begin(), names.end());
    }
  }
  contents.verdicts.resize(r.count());
  for (auto& verdict : contents.verdicts) {
    if (!r.ok) break;
    verdict.folders.resize(r.count());
    verdict.keys.resize(verdict.folders.size());
    bool consistent = true;
    for (size_t i = 0; i < verdict.folders.size() && r.ok; ++i) {
      const std::string_view relative = r.view();
      consistent = consistent && safeRelativePath(relative);
      verdict.folders[i] = under(base, relative);
      FileCache::FolderKey& key = verdict.keys[i];
      key.dir = r.info();
      key.dir.isRegular = false;
      key.dir.isDirectory = true;
      key.checkedAllAtNs = r.s();
      key.fingerprint = r.u();
    }
    verdict.losers.resize(r.count());
    for (auto& loser : verdict.losers) {
      loser.folder = static_cast<size_t>(r.u());
      loser.name.assign(r.view());
      loser.why.assign(r.view());
      consistent = consistent && loser.folder < verdict.folders.size() && plainName(loser.name);
    }
    if (!r.ok || !consistent) {
      why = "a duplicate verdict does not fit the copy";
      return std::nullopt;
    }
  }
  if (!r.ok || !r.atEnd()) {
    why = "the copy does not end where it should";
    return std::nullopt;
  }
  return contents;
}

std::optional<std::vector<std::pair<std::string, FileCache::Entry>>> readSideRows(
    std::string_view bytes, const IndexContents::SideBlock& block,
    const std::shared_ptr<const FileCache::SavedCopy>& copy, uint64_t bodySize, std::string& why) {
  if (bytes.size() != block.length || checksum(bytes) != block.checksum) {
    why = "the checksum of a block of completed tasks does not match (" + block.relative + ")";
    return std::nullopt;
  }
  std::vector<size_t> starts;
  starts.reserve(static_cast<size_t>(block.count));
  size_t todoCount = 0;
  Reader r(bytes);
  uint64_t next = 0;
  for (uint64_t i = 0; i < block.count && r.ok; ++i) {
    const size_t at = r.position();
    const RowView row = scanRow(r);
    // A file directly in the block's folder, its entry in the body after the one before.
    const bool inFolder = row.relative.size() > block.relative.size() + 1 &&
                          row.relative.starts_with(block.relative) && row.relative[block.relative.size()] == '/' &&
                          plainName(row.relative.substr(block.relative.size() + 1));
    if (!r.ok || !row.flagsValid || !inFolder || row.offset < next || row.offset > bodySize ||
        row.length > bodySize - row.offset) {
      why = "an entry does not fit the copy (" + std::string(row.relative) + ")";
      return std::nullopt;
    }
    next = row.offset + row.length;
    starts.push_back(at);
    todoCount += row.todos;
  }
  if (!r.ok || !r.atEnd()) {
    why = "a block of completed tasks does not end where it should (" + block.relative + ")";
    return std::nullopt;
  }
  std::vector<std::pair<std::string, FileCache::Entry>> rows;
  readRows(bytes, starts, todoCount, copy, rows);
  return rows;
}

// Decodes an entry's bytes: the file it holds, which must be the version and path the index named.
std::shared_ptr<const TodoFile> decodeEntry(std::string_view bytes, const fs::path& root, const std::string& path,
                                            const platform::FileInfo& info, std::string& why,
                                            std::shared_ptr<const TextBytes> source) {
  if (!source) source = std::make_shared<const OwnedBytes>(std::string(bytes));
  Reader r(bytes);
  auto file = readFile(r, bytes, root, path, info, source, why);
  if (file && !r.atEnd()) {
    why = "an entry is not the file its index row names (" + path + ")";
    return nullptr;
  }
  return file;
}

}  // namespace zarvo::reminders::detail::cache_format

namespace zarvo::reminders::detail {

PropertyLines::PropertyLines(const PropertyLines& other) : encoded_(other.encoded_) {
  // An encoding is enough to make the list again; a list without one is copied.
  if (encoded_.length() == 0) {
    if (const List* made = other.list_.load(std::memory_order_acquire)) list_.store(new List(*made), std::memory_order_relaxed);
  }
}

PropertyLines::PropertyLines(PropertyLines&& other) noexcept
    : encoded_(std::move(other.encoded_)), list_(other.list_.exchange(nullptr, std::memory_order_relaxed)) {
  other.encoded_ = std::string();
}

PropertyLines& PropertyLines::operator=(const PropertyLines& other) {
  if (this != &other) *this = PropertyLines(other);
  return *this;
}

PropertyLines& PropertyLines::operator=(PropertyLines&& other) noexcept {
  if (this != &other) {
    encoded_ = std::move(other.encoded_);
    other.encoded_ = std::string();
    delete list_.exchange(other.list_.exchange(nullptr, std::memory_order_relaxed), std::memory_order_relaxed);
  }
  return *this;
}

PropertyLines PropertyLines::encoded(SharedText bytes) {
  PropertyLines lines;
  lines.encoded_ = std::move(bytes);
  return lines;
}

const PropertyLines::List& PropertyLines::list() const {
  if (const List* made = list_.load(std::memory_order_acquire)) return *made;
  static const List kNone;
  if (encoded_.length() == 0) return kNone;
  // Two threads may both make it: one list wins and stays, the other is dropped.
  auto* mine = new List(cache_format::readLines(encoded_));
  List* expected = nullptr;
  if (list_.compare_exchange_strong(expected, mine, std::memory_order_acq_rel, std::memory_order_acquire)) return *mine;
  delete mine;
  return *expected;
}

PropertyLines::List& PropertyLines::changeable() {
  List* made = list_.load(std::memory_order_relaxed);
  if (made == nullptr) {
    made = new List(encoded_.length() == 0 ? List() : cache_format::readLines(encoded_));
    list_.store(made, std::memory_order_relaxed);
  }
  // The list may change from here on: the encoding no longer stands for it.
  encoded_ = std::string();
  return *made;
}

}  // namespace zarvo::reminders::detail
