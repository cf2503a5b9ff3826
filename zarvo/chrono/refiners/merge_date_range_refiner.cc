#include "zarvo/chrono/refiners/merge_date_range_refiner.h"

namespace zarvo::chrono {

using U = ComponentUnit;

std::u16string_view MergeDateRangeRefiner::pattern() const { return {}; }
TagUnit MergeDateRangeRefiner::tag() const { return TagUnit::none; }

ParsedResult MergeDateRangeRefiner::mergeResult(std::u16string_view text, const ParsedResult& fromResult,
                                                const ParsedResult& toResult) const {
  ParsedResult from = fromResult;
  ParsedResult to = toResult;

  auto weekdayWithoutDay = [](const ParsedComponents& c) { return c.isCertain(U::weekday) && !c.isCertain(U::day); };
  if (!weekdayWithoutDay(from.start()) && !weekdayWithoutDay(to.start())) {
    // "5 - 7 May": the first date takes the month (and year) only the second states, and the reverse.
    to.start().knownValues().forEach([&](U unit, int64_t value) {
      if (!from.start().isCertain(unit)) from.start().assign(unit, value);
    });
    from.start().knownValues().forEach([&](U unit, int64_t value) {
      if (!to.start().isCertain(unit)) to.start().assign(unit, value);
    });
  }

  if (to.start().moment() < from.start().moment()) std::swap(from, to);

  from.setEnd(to.start());
  from.tags().addAll(to.tags());
  setSpan(from, text, from, to);
  from.tags().set(tag());
  return from;
}

std::vector<ParsedResult> MergeDateRangeRefiner::refine(std::u16string_view text, std::vector<ParsedResult> results,
                                                        const Options&) const {
  return pairwiseScan(std::move(results),
                      [&](const ParsedResult& prev, const ParsedResult& curr) -> std::optional<ParsedResult> {
                        if (prev.end() || curr.end()) return std::nullopt;
                        if (!gapMatches(pattern(), gapText(text, prev, curr))) return std::nullopt;
                        return mergeResult(text, prev, curr);
                      });
}

}  // namespace zarvo::chrono
