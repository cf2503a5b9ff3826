// Regular expressions for the date engine and quick entry, on ICU.
//
// A Regex is compiled once and is immutable afterwards, so one object may be shared by any number of
// threads; every search makes its own matcher. Positions and lengths are UTF-16 code units of the text
// searched. Matching is always case-insensitive, with ICU's Unicode classes (\w, \s, \W, \d).
//
// Nothing outside regex.cc sees ICU regex types, so the engine can be swapped without touching a caller.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace zarvo::platform {

// A location and length in UTF-16 code units. A capture group that did not take part in a match has
// location kNotFound and length 0.
struct Range {
  static constexpr int64_t kNotFound = std::numeric_limits<int64_t>::max();

  int64_t location = kNotFound;
  int64_t length = 0;

  bool found() const { return location != kNotFound; }
  int64_t end() const { return location + length; }
  friend bool operator==(const Range&, const Range&) = default;
};

// The outcome of one successful search: the range of the whole match (group 0) and of each group.
class Match {
 public:
  explicit Match(std::vector<Range> groups) : groups_(std::move(groups)) {}

  // Range of group `group`; a group number beyond the pattern's groups reads as not found.
  Range range(size_t group = 0) const {
    return group < groups_.size() ? groups_[group] : Range{};
  }
  // True when the group took part in the match.
  bool took(size_t group) const { return range(group).found(); }
  // Number of ranges, group 0 included.
  size_t numberOfRanges() const { return groups_.size(); }

 private:
  std::vector<Range> groups_;
};

class Regex {
 public:
  // Compiles `pattern` case-insensitively. Returns null when the pattern does not compile.
  static std::shared_ptr<const Regex> compile(std::u16string_view pattern);
  static std::shared_ptr<const Regex> compile(std::string_view utf8Pattern);

  ~Regex();
  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;

  // First match inside `range` of `text` (whole text when absent). The search uses anchoring bounds
  // ("^" and "$" match at the ends of the range) and opaque bounds (look-around does not see outside
  // it). A range that reaches outside the text is clipped. Returns nothing when there is no match or
  // the match exceeded the engine's time limit.
  std::optional<Match> firstMatch(std::u16string_view text, std::optional<Range> range = {}) const;

  // True when the pattern matches anywhere in `text`.
  bool search(std::u16string_view text) const { return firstMatch(text).has_value(); }

  // Every non-overlapping match in `text`, in order.
  std::vector<Match> allMatches(std::u16string_view text) const;

  // Work limit for one search, in ICU match-engine steps (roughly milliseconds). A search that runs
  // past it reports no match instead of running away.
  static constexpr int32_t kTimeLimitSteps = 100;

 private:
  struct Impl;
  explicit Regex(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Compile-once holder for a pattern known at compile time, for function-local statics:
//   static const LazyRegex kWord(u"^\\w+$");  if (kWord->search(s)) ...
// Thread-safe: initialisation happens once, on first use.
class LazyRegex {
 public:
  explicit LazyRegex(std::u16string_view pattern) : regex_(Regex::compile(pattern)) {}
  // Null when the pattern does not compile.
  const Regex* get() const { return regex_.get(); }
  const Regex* operator->() const { return regex_.get(); }
  explicit operator bool() const { return regex_ != nullptr; }

 private:
  std::shared_ptr<const Regex> regex_;
};

}  // namespace zarvo::platform
