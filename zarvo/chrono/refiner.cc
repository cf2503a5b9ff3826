#include "zarvo/chrono/refiner.h"

#include <algorithm>

#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::vector<ParsedResult> Refiner::refine(std::u16string_view, std::vector<ParsedResult> results,
                                          const Options&) const {
  return results;
}

bool Filter::isValid(std::u16string_view, const ParsedResult&, const Options&) const { return true; }

std::vector<ParsedResult> Filter::refine(std::u16string_view text, std::vector<ParsedResult> results,
                                         const Options& opt) const {
  std::vector<ParsedResult> kept;
  kept.reserve(results.size());
  for (auto& r : results) {
    if (isValid(text, r, opt)) kept.push_back(std::move(r));
  }
  return kept;
}

std::u16string_view gapText(std::u16string_view text, const ParsedResult& a, const ParsedResult& b) {
  const int64_t from = a.endPosition();
  const int64_t to = b.index();
  if (from < 0 || to < 0) return {};
  const int64_t lo = std::min(from, to);
  const int64_t hi = std::max(from, to);
  return platform::substring(text, lo, hi - lo);
}

bool gapMatches(std::u16string_view pattern, std::u16string_view gap) { return patternMatches(pattern, gap); }

void setSpan(ParsedResult& target, std::u16string_view text, const ParsedResult& a, const ParsedResult& b) {
  const int64_t from = std::min(a.index(), b.index());
  const int64_t to = std::max(a.endPosition(), b.endPosition());
  target.setIndex(from);
  target.setText(std::u16string(platform::substring(text, from, to - from)));
}

std::u16string_view followingText(std::u16string_view text, const ParsedResult& result) {
  const int64_t from = result.endPosition();
  return platform::substring(text, from, static_cast<int64_t>(text.size()) - from);
}

}  // namespace zarvo::chrono
