#include "zarvo/chrono/refiners/en_prioritize_specific_date_refiner.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

constexpr std::u16string_view kGapPattern = u"^\\s*(at|after|before|on|,|-|\\(|\\))?\\s*$";

bool Y(const ParsedResult& r) { return r.start().isCertain(U::year); }
bool M(const ParsedResult& r) { return r.start().isCertain(U::month); }
bool D(const ParsedResult& r) { return r.start().isCertain(U::day); }

bool shouldMerge(std::u16string_view text, const ParsedResult& a, const ParsedResult& b) {
  if (!a.tags().isTrue(TagUnit::enRelativeDateFormatParser) && !b.tags().isTrue(TagUnit::enRelativeDateFormatParser)) {
    return false;
  }
  if (!gapMatches(kGapPattern, gapText(text, a, b))) return false;
  bool ok = !D(a) && !M(a) && !Y(a);
  if (Y(a) && Y(b)) ok = a.start()[U::year] == b.start()[U::year];
  if (M(a) && M(b)) ok = ok && a.start()[U::month] == b.start()[U::month];
  return ok;
}

// `winner` spanning both results, with the loser's tags added.
ParsedResult absorb(std::u16string_view text, const ParsedResult& winner, const ParsedResult& loser) {
  ParsedResult merged = winner;
  setSpan(merged, text, winner, loser);
  merged.tags().addAll(loser.tags());
  merged.tags().set(TagUnit::enPrioritizeSpecificDateRefiner);
  return merged;
}

}  // namespace

std::vector<ParsedResult> ENPrioritizeSpecificDateRefiner::refine(std::u16string_view text,
                                                                  std::vector<ParsedResult> results,
                                                                  const Options&) const {
  return pairwiseScan(std::move(results),
                      [&](const ParsedResult& prev, const ParsedResult& curr) -> std::optional<ParsedResult> {
                        if (Y(prev) && (!Y(curr) || (M(prev) && (!M(curr) || (D(prev) && !D(curr))))) &&
                            shouldMerge(text, prev, curr)) {
                          return absorb(text, prev, curr);
                        }
                        if (Y(curr) && (!Y(prev) || (M(curr) && (!M(prev) || (D(curr) && !D(prev))))) &&
                            shouldMerge(text, prev, curr)) {
                          return absorb(text, curr, prev);
                        }
                        return std::nullopt;
                      });
}

}  // namespace zarvo::chrono
