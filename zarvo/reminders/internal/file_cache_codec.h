// Internal: the byte layout of the file cache's saved copy (see FileCache in file_cache.h), apart
// from how a copy is loaded, kept open and saved.
//
// A copy is a header (magic, format version, the versions of the readers whose results it holds, the
// payload's length, the checksum of the index) and a payload: the index's length, the index (per file:
// its path relative to the root, metadata, summary, and the place, length and checksum of its entry),
// then the body, the entries one after the other. Integers are LEB128 (signed ones zigzagged); a
// string is its length and bytes; an optional value is a flag and the value. Dates are microseconds
// since 1970-01-01 UTC.
//
// The decoding side trusts nothing: every count is bounded by what is left, every offset checked
// against its file, every path made only of plain names under the root. Damaged or foreign bytes give
// an answer of nothing with a reason, never a crash or a path outside the root. Pure functions; any
// thread.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zarvo/reminders/internal/file_cache.h"

namespace zarvo::reminders::detail::cache_format {

// Bump whenever the layout or what parseTodoFile extracts from a file changes: a copy written by
// another version is then ignored rather than misread. (9: dates in microseconds, and the dates a
// file's reader left out; 10: folder states after the index rows; 11: the checksum in four lanes;
// 12: a VTODO's property lines as one string, and an entry's version only in its index row; 13: the
// rows of files that hold only completed tasks in a side section after the body.)
inline constexpr uint32_t kFormatVersion = 13;

// A 64-bit checksum that only has to catch a torn or damaged copy, not an adversary. It sums four
// eight-byte words at a step in four independent lanes, so that the multiplications overlap: the
// index of a long history is checked on every start. Bytes may come in pieces: the sum of pieces
// is the sum of their concatenation, so what is checked need not be copied into one string first.
class Checksum {
 public:
  // `size`: the length of everything that will be added.
  explicit Checksum(uint64_t size);
  void add(std::string_view bytes);
  [[nodiscard]] uint64_t finish();

 private:
  void block(const char* at);

  uint64_t lanes_[4];
  char pending_[32];
  size_t pendingSize_ = 0;
};

uint64_t checksum(std::string_view bytes);

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
  // Microseconds since 1970-01-01 UTC.
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
  void info(const platform::FileInfo& i) {
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
    // Most numbers are one byte (counts, flags, small values): that case is kept small enough to be
    // inlined where it is read.
    if (at_ < in_.size()) {
      const auto byte = static_cast<uint8_t>(in_[at_]);
      if (!(byte & 0x80)) {
        ++at_;
        return byte;
      }
    }
    return longer();
  }
  // Passes over `n` numbers without decoding them; fails where u() would.
  void skip(int n) {
    for (int i = 0; i < n; ++i) {
      const size_t limit = std::min(in_.size(), at_ + 10);
      size_t at = at_;
      if (in_.size() - at_ >= 8) {
        // Eight bytes at once: the first without its high bit ends the number.
        const uint64_t stops = ~word(at_) & kHighBits;
        if (stops != 0) {
          at_ += static_cast<size_t>(std::countr_zero(stops) >> 3) + 1;
          continue;
        }
        at += 8;
      }
      while (at < limit && (static_cast<uint8_t>(in_[at]) & 0x80)) ++at;
      if (at == limit) {
        (void)fail();
        return;
      }
      at_ = at + 1;
    }
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
  // The numbers info() reads.
  static constexpr int kInfoNumbers = 6;
  platform::FileInfo info() {
    platform::FileInfo i;
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
  static constexpr uint64_t kHighBits = 0x8080808080808080ull;
  // The eight bytes at `at` as one number, the first byte lowest.
  uint64_t word(size_t at) const {
    uint64_t w;
    std::memcpy(&w, in_.data() + at, sizeof w);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    return w;
  }
  // The value of the first `bytes` (1 to 8) bytes of a number read as word(): their low seven bits
  // each, the first lowest.
  static uint64_t gather(uint64_t w, int bytes) {
    if (bytes < 8) w &= (uint64_t{1} << (8 * bytes)) - 1;
    w &= ~kHighBits;
    w = ((w & 0x7F007F007F007F00ull) >> 1) | (w & 0x007F007F007F007Full);
    w = ((w & 0x3FFF00003FFF0000ull) >> 2) | (w & 0x00003FFF00003FFFull);
    w = ((w & 0x0FFFFFFF00000000ull) >> 4) | (w & 0x000000000FFFFFFFull);
    return w;
  }
  // A number of more than one byte, or one past the end.
  [[gnu::noinline]] uint64_t longer() {
    // A full ten-byte one still ends within the input here.
    if (in_.size() - at_ >= 10) {
      // Two bytes (offsets within a file) are read as such; longer ones eight bytes at once
      // (metadata's times and checksums), and what is longer still byte by byte.
      const auto second = static_cast<uint8_t>(in_[at_ + 1]);
      if (!(second & 0x80)) {
        const uint64_t v = (static_cast<uint64_t>(in_[at_]) & 0x7F) | (static_cast<uint64_t>(second) << 7);
        at_ += 2;
        return v;
      }
      const uint64_t w = word(at_);
      const uint64_t stops = ~w & kHighBits;
      if (stops != 0) {
        const int bytes = (std::countr_zero(stops) >> 3) + 1;
        at_ += static_cast<size_t>(bytes);
        return gather(w, bytes);
      }
      uint64_t v = gather(w, 8);
      at_ += 8;
      for (int shift = 56; shift < 64; shift += 7) {
        const auto byte = static_cast<uint8_t>(in_[at_++]);
        v |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return v;
      }
      return fail();
    }
    uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (at_ >= in_.size()) return fail();
      const auto byte = static_cast<uint8_t>(in_[at_++]);
      v |= static_cast<uint64_t>(byte & 0x7F) << shift;
      if (!(byte & 0x80)) return v;
    }
    return fail();
  }
  uint64_t fail() {
    ok = false;
    at_ = in_.size();
    return 0;
  }
  std::string_view in_;
  size_t at_ = 0;
};

// Appends a VTODO's property lines as one string: their count, then per line its name, begin, end
// and whether it was dropped.
void writeLines(Writer& w, const PropertyLines& lines);
// The lines of a string writeLines() wrote, which a read of the entry checked.
PropertyLines::List readLines(std::string_view block);

// Appends the entry of one parsed file: its path relative to the root, then what it holds. Its
// version is its index row's.
void writeFile(Writer& w, const std::string& relativePath, const TodoFile& file);

// A relative path of plain names ("<source>/<collection>/<file>.ics"): nothing that could lead
// outside the root.
bool safeRelativePath(std::string_view path);
bool safeRelativePath(const std::filesystem::path& path);

// What a copy's index says of each VTODO of `file`.
std::vector<FileCache::Summary::Todo> summaryOf(const TodoFile& file);

// Appends the index row of the entry `entry`, which starts at `offset` of the body.
void writeIndexRow(Writer& w, const std::string& relativePath, const platform::FileInfo& info,
                   std::span<const FileCache::Summary::Todo> todos, uint64_t offset, std::string_view entry);

// The part of a payload the header's checksum covers: the index and the length before it. The body
// is covered entry by entry, by the checksums the index holds.
std::string_view indexPart(std::string_view payload);

struct Header {
  uint64_t payloadSize = 0;
  uint64_t sum = 0;
  size_t size = 0;  // of the header itself
};
std::string header(uint64_t payloadSize, uint64_t sum);
// Reads the header at the start of `bytes` (which may hold just its first part); nothing, with the
// reason, for another format or other readers.
std::optional<Header> readHeader(std::string_view bytes, std::string& why);

// Appends the folder states after the index rows: their count, then per folder its path relative to
// the root, its metadata, whether it held leftovers, when every file was checked, its names, and which
// of them need attention (a flag, then their positions among the names, each as its distance from the
// one before). Then the duplicate verdicts: their count, then per verdict its folders (each relative
// to the root, with its key: metadata, time of the last full check, fingerprint) and its losers
// (folder index, file name, reason).
void writeFolderStates(Writer& w, const std::vector<std::pair<std::string, const FileCache::FolderState*>>& states);
void writeVerdicts(Writer& w, const std::vector<FileCache::DuplicateVerdict>& verdicts);

// What an index holds (see readIndex).
struct IndexContents {
  // Entries known by their summaries, by file name, in the copy's order.
  std::vector<std::pair<std::string, FileCache::Entry>> rows;
  // The folders of `rows` (their paths under the root), each holding rows [begin, end). A folder's
  // rows are adjacent, so its path is made once, not once per file.
  struct Folder {
    std::string path;
    size_t begin = 0;
    size_t end = 0;
  };
  std::vector<Folder> folders;
  // Per folder, the rows of its files that hold only completed tasks: a block of the side section,
  // which follows the body. Listing open tasks never needs them, so they are read (readSideRows)
  // only when something asks for more of the folder.
  using SideBlock = FileCache::SideBlock;
  std::vector<SideBlock> side;
  uint64_t bodySize = 0;
  uint64_t sideSize = 0;
  std::vector<std::pair<std::string, FileCache::FolderState>> states;  // folder paths under the root
  std::vector<FileCache::DuplicateVerdict> verdicts;                  // folder paths under the root
};

// The rows of an index (without its length), in the copy's order (sorted by relative path, so a
// folder's files are adjacent), as entries known by their summaries (pointing into `copy`), their
// folders' paths under `root`; `afterIndex` is the size of what follows the index (the body, then the
// side section, whose size the index gives first). Each entry must lie in the body after the one
// before. Side blocks must follow one another from the side section's start to its end, one per
// folder, in order. A name that is not a plain file name, names out of order, or a verdict that names
// a folder it does not hold, make the whole index bad. With `keepIndex` (which must hold `index`),
// the folder states' names are checked but left in it until read (FolderNames).
std::optional<IndexContents> readIndex(std::string_view index, const std::filesystem::path& root,
                                       const std::shared_ptr<const FileCache::SavedCopy>& copy, uint64_t afterIndex,
                                       std::string& why, const std::shared_ptr<const void>& keepIndex = nullptr);
// The rows of the side block `block`, whose bytes are `bytes`, as readIndex makes the index's rows:
// its count of rows, each a file directly in its folder, each entry within a body of `bodySize`
// bytes, the bytes matching its checksum. Nothing, with the reason, when any of that does not hold:
// a block is used whole or not at all.
std::optional<std::vector<std::pair<std::string, FileCache::Entry>>> readSideRows(
    std::string_view bytes, const IndexContents::SideBlock& block,
    const std::shared_ptr<const FileCache::SavedCopy>& copy, uint64_t bodySize, std::string& why);
// The rows of `bytes` (an index, or a block of its completed tasks) that start at each of `starts`,
// rows that readIndex or readSideRows accepted and that hold `todoCount` tasks together: their files'
// names and entries, appended to `rows`. Their summaries share one allocation.
void readRows(std::string_view bytes, const std::vector<size_t>& starts, size_t todoCount,
              const std::shared_ptr<const FileCache::SavedCopy>& copy,
              std::vector<std::pair<std::string, FileCache::Entry>>& rows);

// Decodes an entry's bytes: the file it holds, which must be at the path `path` the index named; it
// takes the version `info` the index gives. Null, with the reason, otherwise. The file's text and
// property lines are parts of `source`, which must give exactly `bytes` (read back later, say); without
// one they are parts of a copy of `bytes`.
std::shared_ptr<const TodoFile> decodeEntry(std::string_view bytes, const std::filesystem::path& root,
                                            const std::string& path, const platform::FileInfo& info,
                                            std::string& why, std::shared_ptr<const TextBytes> source = nullptr);

}  // namespace zarvo::reminders::detail::cache_format
