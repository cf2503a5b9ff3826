// Base of the refiners: steps that run after the parsers over the whole, position-ordered result list
// (merging, prioritising, moving, annotating and filtering results), and the helpers they share.
//
// Refiners hold no state and are shared by all threads of a configuration; `refine` must be safe to
// call concurrently. Results are values: a refiner returns a new list and never alters its input.
#pragma once

#include <string_view>
#include <vector>

#include "zarvo/chrono/options.h"
#include "zarvo/chrono/parsed_result.h"
#include "zarvo/platform/regex.h"

namespace zarvo::chrono {

class Refiner {
 public:
  Refiner() = default;
  virtual ~Refiner() = default;
  Refiner(const Refiner&) = delete;
  Refiner& operator=(const Refiner&) = delete;

  // `text` is the whole input of the parse, `results` the current list ordered by index. Returns the
  // new list. The base returns `results` unchanged.
  virtual std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                           const Options& opt) const;
};

// A refiner that keeps, in order, the results for which `isValid` is true.
class Filter : public Refiner {
 public:
  // The base keeps everything.
  virtual bool isValid(std::u16string_view text, const ParsedResult& result, const Options& opt) const;
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

// ---- Helpers shared by the refiners --------------------------------------------------------------

// The text between two results: from the smaller to the larger of a's end position and b's index.
// Empty when either bound is negative.
std::u16string_view gapText(std::u16string_view text, const ParsedResult& a, const ParsedResult& b);

// True when `pattern` (compiled once, case-insensitively) matches anywhere in `gap`. A pattern that
// does not compile never matches.
bool gapMatches(std::u16string_view pattern, std::u16string_view gap);

// Sets `target`'s index and text to the span of `a` and `b`: from the smaller index to the larger end
// position, cut from `text`.
void setSpan(ParsedResult& target, std::u16string_view text, const ParsedResult& a, const ParsedResult& b);

// The input after `result`: from its end position to the end of the text.
std::u16string_view followingText(std::u16string_view text, const ParsedResult& result);

// The pairwise scan the merging refiners share: walks neighbours (prev, curr) of `results`; when
// `merge(prev, curr)` yields a result it replaces curr and becomes the prev of the next step, else prev
// is output. Lists of fewer than two results come back unchanged.
template <typename MergeFn>
std::vector<ParsedResult> pairwiseScan(std::vector<ParsedResult> results, MergeFn&& merge) {
  if (results.size() < 2) return results;
  std::vector<ParsedResult> out;
  out.reserve(results.size());
  for (size_t i = 1; i < results.size(); ++i) {
    std::optional<ParsedResult> merged = merge(results[i - 1], results[i]);
    if (merged) {
      results[i] = std::move(*merged);
    } else {
      out.push_back(std::move(results[i - 1]));
    }
  }
  out.push_back(std::move(results.back()));
  return out;
}

}  // namespace zarvo::chrono
