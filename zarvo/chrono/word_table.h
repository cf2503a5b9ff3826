// A language's word table: lower-case words mapped to integers (weekday numbers, month numbers,
// ordinal days, counts), with the regular-expression alternation that matches any of its words.
//
// Every language's parsers keep their tables as function-local statics built on first use, so each
// table and its alternation exist once per process and are only read afterwards. A WordTable is
// immutable after construction and safe to share between threads.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvo::chrono {

// How the words are written into an alternation.
struct AlternationStyle {
  // Appended to every word inside the group, e.g. "[nrms]?" for inflected endings. Default: nothing.
  std::u16string_view suffix;
  // Written in place of every blank inside a word, e.g. "[ -]" so "twenty first" also matches
  // "twenty-first". Default (empty): blanks stay blanks.
  std::u16string_view blank;
  // When true, regular-expression metacharacters in words ("." in "jan.") are escaped so they match
  // only themselves. Default false: words go into the pattern as written, as the stored patterns
  // expect.
  bool escapeMetacharacters = false;
};

class WordTable {
 public:
  using Entry = std::pair<std::u16string_view, int64_t>;

  // REQUIRES: every word is lower case and appears once. The words are copied.
  WordTable(std::initializer_list<Entry> entries, AlternationStyle style = {});

  // The value of `word` compared after lower-casing it (full Unicode lower case); nothing when the
  // table lacks it.
  std::optional<int64_t> lookup(std::u16string_view word) const;
  // The value of a word already in lower case; nothing when absent. No allocation.
  std::optional<int64_t> find(std::u16string_view lowerCaseWord) const;

  // The value of the longest word that `lowerCaseText` begins with ("montag, den" gives montag's);
  // nothing when it begins with none.
  std::optional<int64_t> findAtStart(std::u16string_view lowerCaseText) const;

  // "(?:w1|w2|...)", built once at construction with the table's style. Longer words come first, so
  // where one word is a prefix of another ("so" and "sonntag") the longer is tried first; words of
  // equal length keep their declaration order.
  const std::u16string& alternation() const { return alternation_; }
  // The same group with another style, assembled on each call (for building patterns once).
  std::u16string alternation(const AlternationStyle& style) const;

  // The entries in declaration order.
  const std::vector<std::pair<std::u16string, int64_t>>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }

 private:
  std::vector<std::pair<std::u16string, int64_t>> entries_;  // declaration order
  std::vector<size_t> byWord_;                               // indexes into entries_, sorted by word
  std::u16string alternation_;
};

// The key a multi-word phrase is looked up by: `phrase` lower-cased, each run of blanks and dashes
// one blank ("Après-demain" and "après  demain" are one key).
std::u16string phraseKey(std::u16string_view phrase);

}  // namespace zarvo::chrono
