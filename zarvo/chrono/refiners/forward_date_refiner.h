// When the options hold forwardDate (any value), moves a date that lies before the reference into the
// future: a day and month without a year to the next year that is not past (at most three years on), a
// weekday alone to its next occurrence (the reference's own day counts). Without the option the list
// passes unchanged.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class ForwardDateRefiner : public Refiner {
 public:
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

}  // namespace zarvo::chrono
