#include "zarvo/chrono/pattern_cache.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>

namespace zarvo::chrono {

namespace {

// Lets look-ups hash a u16string_view without building a string.
struct PatternHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>{}(s); }
};

struct Cache {
  std::shared_mutex mutex;
  // Entries are never erased, so the Regex objects never move or die while the process runs.
  std::unordered_map<std::u16string, std::shared_ptr<const platform::Regex>, PatternHash, std::equal_to<>>
      byPattern;
};

Cache& cache() {
  static Cache instance;
  return instance;
}

// The callers pass the same few static pattern texts again and again: each thread remembers, by the
// address of the caller's text, which entry it found last, so a repeat costs a comparison of the text
// instead of a hash of it and a lock. The comparison keeps a reused address with other contents from
// a stale hit.
struct RecentEntry {
  const char16_t* callerText = nullptr;
  std::u16string_view key;  // the cache's own key: stable, entries are never erased
  const platform::Regex* regex = nullptr;
};
// Far more slots than the patterns one parse uses, and the address mixed well: two patterns that
// share a slot evict each other on every line, and each miss hashes a pattern hundreds of units long.
constexpr size_t kRecentSlots = 256;

RecentEntry& recentSlot(std::u16string_view pattern) {
  thread_local std::array<RecentEntry, kRecentSlots> recent{};
  const uint64_t key = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pattern.data())) ^ pattern.size();
  return recent[(key * 0x9E3779B97F4A7C15ULL) >> 56];
}

}  // namespace

const platform::Regex* compiledPattern(std::u16string_view pattern) {
  RecentEntry& recent = recentSlot(pattern);
  if (recent.callerText == pattern.data() && recent.key.size() == pattern.size() &&
      std::memcmp(recent.key.data(), pattern.data(), pattern.size() * sizeof(char16_t)) == 0) {
    return recent.regex;
  }
  Cache& c = cache();
  const std::u16string* key = nullptr;
  const platform::Regex* regex = nullptr;
  {
    std::shared_lock lock(c.mutex);
    if (auto it = c.byPattern.find(pattern); it != c.byPattern.end()) {
      key = &it->first;
      regex = it->second.get();
    }
  }
  if (key == nullptr) {
    // Compile outside the lock; when two threads race, the first insertion wins and both use it.
    std::shared_ptr<const platform::Regex> compiled = platform::Regex::compile(pattern);
    std::unique_lock lock(c.mutex);
    auto it = c.byPattern.try_emplace(std::u16string(pattern), std::move(compiled)).first;
    key = &it->first;
    regex = it->second.get();
  }
  recent = RecentEntry{pattern.data(), std::u16string_view(*key), regex};
  return regex;
}

bool patternMatches(std::u16string_view pattern, std::u16string_view text) {
  const platform::Regex* regex = compiledPattern(pattern);
  return regex != nullptr && regex->search(text);
}

}  // namespace zarvo::chrono
