// Reads dates of two numbers in one order whatever the language that read them ("3/12" as 3 December,
// or as 12 March). Applied by a Chrono whose ReaderOptions fix a NumericDateOrder; no configuration
// holds it.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

// A slash date read in the other order (month first by the English parser, day first by the German,
// Spanish and French ones) whose two numbers could be either a day or a month (both 1 to 12) has its
// day and month exchanged. A date only one order can read ("25/12") stays. Tag:
// numericDateOrderRefiner.
class NumericDateOrderRefiner : public Refiner {
 public:
  explicit NumericDateOrderRefiner(bool dayFirst) : dayFirst_(dayFirst) {}
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;

 private:
  bool dayFirst_;
};

}  // namespace zarvo::chrono
