// Joins two dates separated by a range word ("Monday to Friday", "5 - 7 May") into one result whose
// end is the later date. Subclasses name the range words they accept and the tag they add.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class MergeDateRangeRefiner : public Refiner {
 public:
  // What the text between the two dates must match. The base's empty pattern matches anything.
  virtual std::u16string_view pattern() const;
  // Added to every merged result. The base answers none.
  virtual TagUnit tag() const;

  // Each date receives the values only the other states (unless either states a weekday without a
  // day); the earlier becomes the start and the later the end. Index and text span both.
  ParsedResult mergeResult(std::u16string_view text, const ParsedResult& fromResult,
                           const ParsedResult& toResult) const;

  // Neighbours merge when neither has an end and the gap between them matches `pattern()`.
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

}  // namespace zarvo::chrono
