#include "zarvo/home/snapshot_cache.h"

#include <cstdlib>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace zarvo {

namespace {

// Fixed-width integers little-endian, strings and lists as a 32-bit count then their items: a
// format any front end (whatever its toolkit) reads the same.
constexpr std::string_view kMagic = "zarvo snapshot cache\n";
// Raised whenever what is written changes: a file of another version is ignored.
// Version 2 keeps each list's account and fold: a first screen of version 1 would show every list
// unfolded and ungrouped, so such a file is read as none and rewritten after the home's read.
constexpr uint32_t kVersion = 2;
constexpr uint8_t kFixedColour = 0, kSemanticColour = 1;
constexpr uint8_t kLastSemantic = uint8_t(platform::SemanticColour::systemRed);

class Writer {
 public:
  template <class Int>
  void integer(Int value) {
    auto bits = static_cast<std::make_unsigned_t<Int>>(value);
    for (size_t i = 0; i < sizeof(Int); ++i) {
      bytes_.push_back(char(bits & 0xff));
      bits = static_cast<decltype(bits)>(uint64_t(bits) >> 8);
    }
  }
  void flag(bool value) { integer(uint8_t(value)); }
  void text(std::string_view value) {
    integer(uint32_t(value.size()));
    bytes_.append(value);
  }
  void colour(const platform::Colour& value) {
    if (const auto semantic = value.semantic()) {
      integer(kSemanticColour);
      integer(uint8_t(*semantic));
      return;
    }
    const platform::RGBA rgba = value.resolved();
    integer(kFixedColour);
    for (const uint8_t channel : {rgba.red, rgba.green, rgba.blue, rgba.alpha}) integer(channel);
  }
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Every read checks what is left, so damaged data fails the read instead of reading past the end,
// and a count cannot promise more items than the bytes left could hold.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}

  bool ok() const { return ok_; }
  bool atEnd() const { return rest_.empty(); }

  bool raw(std::string_view expected) {
    if (!ok_ || rest_.substr(0, expected.size()) != expected) return ok_ = false;
    rest_.remove_prefix(expected.size());
    return true;
  }
  template <class Int>
  Int integer() {
    if (!ok_ || rest_.size() < sizeof(Int)) {
      ok_ = false;
      return 0;
    }
    std::make_unsigned_t<Int> bits = 0;
    for (size_t i = sizeof(Int); i-- > 0;) bits = static_cast<decltype(bits)>((uint64_t(bits) << 8) | uint8_t(rest_[i]));
    rest_.remove_prefix(sizeof(Int));
    return static_cast<Int>(bits);
  }
  bool flag() {
    const uint8_t value = integer<uint8_t>();
    if (value > 1) ok_ = false;
    return value == 1;
  }
  std::string text() {
    const uint32_t size = integer<uint32_t>();
    if (!ok_ || size > rest_.size()) {
      ok_ = false;
      return {};
    }
    std::string value(rest_.substr(0, size));
    rest_.remove_prefix(size);
    return value;
  }
  platform::Colour colour() {
    const uint8_t kind = integer<uint8_t>();
    if (kind == kSemanticColour) {
      const uint8_t semantic = integer<uint8_t>();
      if (semantic > kLastSemantic) ok_ = false;
      return ok_ ? platform::Colour(platform::SemanticColour(semantic)) : platform::Colour();
    }
    if (kind != kFixedColour) ok_ = false;
    platform::RGBA rgba;
    rgba.red = integer<uint8_t>();
    rgba.green = integer<uint8_t>();
    rgba.blue = integer<uint8_t>();
    rgba.alpha = integer<uint8_t>();
    return platform::Colour::rgb(rgba);
  }
  // A count of items that each take at least `smallestItem` bytes.
  uint32_t count(size_t smallestItem) {
    const uint32_t n = integer<uint32_t>();
    if (ok_ && uint64_t(n) * smallestItem > rest_.size()) ok_ = false;
    return ok_ ? n : 0;
  }

 private:
  std::string_view rest_;
  bool ok_ = true;
};

std::string homeKey(const std::filesystem::path& home) {
  std::error_code e;
  std::filesystem::path key = std::filesystem::absolute(home, e).lexically_normal();
  if (key.has_relative_path() && !key.has_filename()) key = key.parent_path();  // "/a/b/" is "/a/b"
  return key.string();
}

// The least a list and a task take: their strings empty, their colours semantic.
constexpr size_t kSmallestList = 4 * 4 + 2 + 8 + 1;
constexpr size_t kSmallestTask = 3 * 4 + 2 * 2 + 1 + 8 + 2 + 4 + 4 + 3;

}  // namespace

CachedView firstScreens(const CachedView& view, size_t rowsPerEntry) {
  CachedView first = view;
  first.tasks.clear();
  std::array<size_t, std::tuple_size_v<decltype(view.smartCounts)>> inSmart{};
  std::unordered_map<std::string_view, size_t> inList;
  for (const auto& task : view.tasks) {
    bool keep = ++inList[task.listId] <= rowsPerEntry;
    const bool smart[] = {task.today, task.upcoming, task.flagged, task.top, true};
    for (size_t i = 0; i < inSmart.size(); ++i) {
      if (smart[i]) keep = ++inSmart[i] <= rowsPerEntry || keep;
    }
    if (keep) first.tasks.push_back(task);
  }
  return first;
}

std::string encodeCachedView(const CachedView& view, const std::filesystem::path& home) {
  Writer out;
  std::string bytes(kMagic);
  out.integer(kVersion);
  out.text(homeKey(home));
  out.integer(uint32_t(view.lists.size()));
  for (const auto& list : view.lists) {
    out.text(list.id);
    out.text(list.title);
    out.colour(list.colour);
    out.integer(list.openCount);
    out.text(list.countTitle);
    out.text(list.account);
    out.flag(list.collapsed);
  }
  out.integer(uint32_t(view.tasks.size()));
  for (const auto& task : view.tasks) {
    out.text(task.uid);
    out.text(task.title);
    out.text(task.listId);
    out.colour(task.titleColour);
    out.colour(task.listColour);
    out.flag(task.dueMilliseconds.has_value());
    out.integer(task.dueMilliseconds.value_or(0));
    out.flag(task.allDay);
    out.flag(task.flagged);
    out.integer(int32_t(task.priority));
    out.integer(uint32_t(task.tags.size()));
    for (const auto& tag : task.tags) out.text(tag);
    out.flag(task.today);
    out.flag(task.upcoming);
    out.flag(task.top);
  }
  out.text(view.defaultListId);
  for (const int64_t count : view.smartCounts) out.integer(count);
  return bytes + out.take();
}

std::optional<CachedView> decodeCachedView(std::string_view bytes, const std::filesystem::path& home) {
  Reader in(bytes);
  if (!in.raw(kMagic) || in.integer<uint32_t>() != kVersion || in.text() != homeKey(home) || !in.ok()) {
    return std::nullopt;
  }
  CachedView view;
  for (uint32_t i = in.count(kSmallestList); i > 0 && in.ok(); --i) {
    CachedList list;
    list.id = in.text();
    list.title = in.text();
    list.colour = in.colour();
    list.openCount = in.integer<int64_t>();
    list.countTitle = in.text();
    list.account = in.text();
    list.collapsed = in.flag();
    view.lists.push_back(std::move(list));
  }
  for (uint32_t i = in.count(kSmallestTask); i > 0 && in.ok(); --i) {
    CachedTask task;
    task.uid = in.text();
    task.title = in.text();
    task.listId = in.text();
    task.titleColour = in.colour();
    task.listColour = in.colour();
    const bool hasDue = in.flag();
    const int64_t due = in.integer<int64_t>();
    if (hasDue) task.dueMilliseconds = due;
    task.allDay = in.flag();
    task.flagged = in.flag();
    task.priority = in.integer<int32_t>();
    for (uint32_t tags = in.count(4); tags > 0 && in.ok(); --tags) task.tags.push_back(in.text());
    task.today = in.flag();
    task.upcoming = in.flag();
    task.top = in.flag();
    view.tasks.push_back(std::move(task));
  }
  view.defaultListId = in.text();
  for (int64_t& count : view.smartCounts) count = in.integer<int64_t>();
  if (!in.ok() || !in.atEnd()) return std::nullopt;
  return view;
}

std::optional<std::filesystem::path> snapshotCachePath(const std::filesystem::path& home, std::string_view frontEnd) {
  std::filesystem::path cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) {
    cache = xdg;
  } else if (const char* user = std::getenv("HOME"); user && *user) {
    cache = std::filesystem::path(user) / ".cache";
  } else {
    return std::nullopt;
  }
  // 64-bit FNV-1a of the home's path: a short, stable file name. The file itself names its home, so
  // two homes whose names collide only take turns at the file.
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : homeKey(home)) {
    hash ^= uint8_t(c);
    hash *= 0x100000001b3ULL;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name;
  for (int shift = 60; shift >= 0; shift -= 4) name.push_back(kHex[(hash >> shift) & 0xf]);
  return cache / "zarvo" / std::string(frontEnd) / (name + ".snapshot");
}

std::optional<CachedView> loadCachedView(platform::FileSystem& fs, const std::filesystem::path& path,
                                         const std::filesystem::path& home) {
  std::string bytes;
  if (fs.readFile(path, bytes)) return std::nullopt;
  return decodeCachedView(bytes, home);
}

Error storeCachedView(platform::FileSystem& fs, const std::filesystem::path& path, const std::filesystem::path& home,
                      const CachedView& view) {
  if (Error e = platform::createDirectories(fs, path.parent_path())) return e;
  return platform::writeFileAtomically(fs, path, encodeCachedView(view, home));
}

}  // namespace zarvo
