// Regular expressions for the date engine and quick entry.
//
// A Regex is compiled once and is immutable afterwards, so one object may be shared by any number of
// threads; every search makes its own matcher. Positions and lengths are UTF-16 code units of the text
// searched. Matching is always case-insensitive, with ICU's pattern syntax and Unicode classes (\w, \s,
// \W, \d, "." and "$" with ICU's line terminators).
//
// Two engines run the searches:
//   - icu:   ICU's regular expressions, the reference for every result.
//   - pcre2: PCRE2 (16-bit code units, UTF + UCP + caseless, JIT-compiled), about ten times faster. The
//            pattern is rewritten so that \w \s \d "." and "$" mean exactly what they mean to ICU. Where
//            the two engines could still disagree, the search is handed to ICU instead, so results
//            are the same under both: a pattern PCRE2 cannot express the same way (\b, \B, a literal
//            whose case folding is several characters other than "ß", nested or intersected sets,
//            back-references, inline flags, ...) always runs on ICU; a search whose text holds a
//            character PCRE2 would treat differently (a lone surrogate, a character newer than PCRE2's
//            Unicode tables, a character whose full case folding is several characters such as "ﬁ" or
//            "İ", or "ß" against a pattern that contains "ss") runs on ICU; a search PCRE2 gives up on
//            (its match limit, its JIT stack) runs again on ICU.
// The process-wide choice is `regexBackend()`; every Regex follows it at each search unless it was
// compiled pinned to one engine. Nothing outside regex.cc sees either engine's types.
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

enum class RegexBackend { icu, pcre2 };

// The engine that unpinned Regex objects search with. Its first value comes from the environment
// variable ZARVO_REGEX_BACKEND ("icu" or "pcre2", read once, on first use), else from the build's
// default (the CMake option ZARVO_REGEX_BACKEND, pcre2 unless set). Any thread may call these;
// searches already running finish on the engine they started with.
RegexBackend regexBackend();
void setRegexBackend(RegexBackend backend);
// "icu" or "pcre2".
std::string_view regexBackendName(RegexBackend backend);
// Parses a backend name; nothing for anything else.
std::optional<RegexBackend> regexBackendNamed(std::string_view name);

class Regex {
 public:
  // Compiles `pattern` case-insensitively. Returns null when the pattern does not compile. Unpinned
  // (`pinned` absent), the pattern is compiled for the current backend now and for the other on its
  // first search there; it counts as compiling when the current backend (or, failing PCRE2, ICU)
  // accepts it. Pinned, it compiles and always searches with that engine alone: use `icu` for
  // patterns assembled from user text, whose meaning must not depend on the backend. PCRE2's machine
  // code is made on the pattern's first PCRE2 search (once, whichever thread comes first; the others
  // wait for it), so patterns that never search cost only their compilation.
  static std::shared_ptr<const Regex> compile(std::u16string_view pattern,
                                              std::optional<RegexBackend> pinned = {});
  static std::shared_ptr<const Regex> compile(std::string_view utf8Pattern,
                                              std::optional<RegexBackend> pinned = {});

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
  // past it reports no match instead of running away. A PCRE2 search that reaches its own match limit
  // is run again on ICU, so the same limit decides.
  static constexpr int32_t kTimeLimitSteps = 100;

  // True when searches of this pattern by PCRE2 are possible (the current backend may still be ICU).
  // False for a pattern that always runs on ICU; see the top of this file.
  bool hasPcre2Form() const;

 private:
  struct Impl;
  explicit Regex(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Declares `text` as the subject of the searches the calling thread makes while the scope lives, so
// that the characters PCRE2 must not see (see the top of this file) are located once for all of them
// instead of on every search: a scan loop that searches the rest of a long text again and again stays
// linear. Searches whose text lies inside `text` (the same view or a part of it) use the list; others
// look for themselves. `text` must outlive the scope and stay unchanged. Scopes nest; the innermost
// one is used. Only the creating thread is affected.
class RegexSubjectScope {
 public:
  explicit RegexSubjectScope(std::u16string_view text);
  ~RegexSubjectScope();
  RegexSubjectScope(const RegexSubjectScope&) = delete;
  RegexSubjectScope& operator=(const RegexSubjectScope&) = delete;

  struct State;

 private:
  std::unique_ptr<State> state_;
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
