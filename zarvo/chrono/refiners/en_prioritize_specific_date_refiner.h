// Lets a result of the English relative-date parser ("next week") and an adjacent date of another
// parser collapse into one result spanning both, keeping the components of the one that states more
// of year, month and day.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class ENPrioritizeSpecificDateRefiner : public Refiner {
 public:
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

}  // namespace zarvo::chrono
