// Base of every date-engine parser: one regular expression, and the scan loop that turns each of its
// matches into a result.
//
// A subclass supplies `pattern()` and `extract()`; `execute()` is the same for every parser. Parsers
// hold no state besides `strictMode` and are shared by all threads of a configuration, so `pattern` and
// `extract` must be safe to call concurrently (they are pure).
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "zarvo/chrono/options.h"
#include "zarvo/chrono/parsed_result.h"
#include "zarvo/chrono/prefilter.h"
#include "zarvo/platform/clock.h"
#include "zarvo/platform/regex.h"

namespace zarvo::chrono {

class Parser {
 public:
  explicit Parser(bool strictMode) : strictMode_(strictMode) {}
  virtual ~Parser() = default;
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  bool strictMode() const { return strictMode_; }

  // The regular expression searched for, compiled case-insensitively. It must be the same text at
  // every call: it is read and compiled once per parser, on the first scan. The base returns the empty
  // string.
  virtual std::u16string_view pattern() const;

  // A cheap condition the engine checks before searching a text: when it is false, `pattern()` has no
  // match in the text and the scan is skipped. The base reads it off `pattern()` (see prefilter.h); an
  // override must stay necessary, or results would change with the prefilter on and off.
  virtual Prefilter prefilter() const;

  // The language of the phrases the parser reads; the base answers english.
  virtual Language language() const;

  // Turns one match of `pattern()` in `text` into a result, or nothing to reject the match. `match`
  // holds the ranges of the whole match and of every group in UTF-16 code units of `text`. The base
  // returns nothing.
  virtual std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                              const Options& opt) const;

  // The scan loop: finds every match of `pattern()` in `text` from left to right and returns the kept
  // results in the order found. After a rejected match the scan resumes one position after the match's
  // start; after a move-index result at that result's index; after a result at its end position. In
  // strict mode a result is kept only when its start (and its end, if any) is a possible date. The
  // resume position is never at or before the start of the last match, so the scan always ends.
  // A pattern that does not compile yields an empty list.
  std::vector<ParsedResult> execute(std::u16string_view text, Date ref, const Options& opt) const;

  // The scan loop as the engine runs it: when `summary` (the same text's, made once per parse for
  // every parser) fails `prefilter()`, there can be no match and the list is empty without a search.
  // A null `summary` scans unconditionally.
  std::vector<ParsedResult> execute(std::u16string_view text, Date ref, const Options& opt,
                                    const PrefilterText* summary) const;

 protected:
  // The opening most `extract` implementations share, for patterns whose group 1 is leading context
  // (such as "(\W|^)"): the result's index is the match's start plus the length of group 1, its text is
  // the match without that prefix, and `start` holds only what is implied from `ref` and the defaults.
  // No tags are set; the caller sets its own.
  static ParsedResult commonOpening(std::u16string_view text, Date ref, const platform::Match& match);

  // The opening for patterns without a leading-context group, as for scripts written without spaces
  // between words: the result's index is the match's start and its text the whole match. No tags.
  static ParsedResult wholeMatchOpening(std::u16string_view text, Date ref, const platform::Match& match);

  // The text of group `group` of `match` (empty when the group did not take part).
  static std::u16string_view groupText(std::u16string_view text, const platform::Match& match, size_t group);

  // True when `position` is not 0 and the whole character just before it (a surrogate pair counts as
  // one) is a word character ("\w"). Patterns whose leading context may be the start of a resumed
  // search use it to reject a match glued to a word.
  static bool followsWordCharacter(std::u16string_view text, int64_t position);

 private:
  struct Compiled {
    std::shared_ptr<const platform::Regex> regex;  // null when the pattern does not compile
    Prefilter prefilter;
  };
  // Compiles the pattern and reads the prefilter on first use; later calls only read.
  const Compiled& compiled() const;

  bool strictMode_;
  mutable std::once_flag compileOnce_;
  mutable Compiled compiled_;
};

}  // namespace zarvo::chrono
