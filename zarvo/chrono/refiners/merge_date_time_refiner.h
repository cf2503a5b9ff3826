// Joins a date and a time that stand next to each other ("tomorrow at 5pm", "5pm tomorrow") into one
// result. Subclasses name the connecting words they accept between the two and the tag they add.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class MergeDateTimeRefiner : public Refiner {
 public:
  // What the text between the date and the time must match. The base's empty pattern matches anything.
  virtual std::u16string_view pattern() const;
  // Added to every merged result. The base answers none.
  virtual TagUnit tag() const;

  // The date's day with the time's hour, minute, second and meridiem made known; an end from either
  // side carries over. Index and text span both; tags are the date's plus the time's plus `tag()`.
  ParsedResult mergeResult(std::u16string_view text, const ParsedResult& dateResult,
                           const ParsedResult& timeResult) const;

  // Neighbours merge when one states no hour, the other states neither month nor weekday, and the gap
  // between them matches `pattern()`; date before time is tried first.
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

// The date-time merge with an explicit pattern and tag, for refiners outside this class tree.
std::vector<ParsedResult> mergeDatesAndTimes(std::u16string_view text, std::vector<ParsedResult> results,
                                             std::u16string_view pattern, TagUnit tag);
ParsedResult mergeDateAndTime(std::u16string_view text, const ParsedResult& dateResult,
                              const ParsedResult& timeResult, TagUnit tag);

}  // namespace zarvo::chrono
