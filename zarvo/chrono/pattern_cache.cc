#include "zarvo/chrono/pattern_cache.h"

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

}  // namespace

const platform::Regex* compiledPattern(std::u16string_view pattern) {
  Cache& c = cache();
  {
    std::shared_lock lock(c.mutex);
    auto it = c.byPattern.find(pattern);
    if (it != c.byPattern.end()) return it->second.get();
  }
  // Compile outside the lock; when two threads race, the first insertion wins and both use it.
  std::shared_ptr<const platform::Regex> compiled = platform::Regex::compile(pattern);
  std::unique_lock lock(c.mutex);
  auto it = c.byPattern.try_emplace(std::u16string(pattern), std::move(compiled)).first;
  return it->second.get();
}

bool patternMatches(std::u16string_view pattern, std::u16string_view text) {
  const platform::Regex* regex = compiledPattern(pattern);
  return regex != nullptr && regex->search(text);
}

}  // namespace zarvo::chrono
