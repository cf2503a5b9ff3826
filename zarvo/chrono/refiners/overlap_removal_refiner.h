// Of two results that overlap in the text, keeps the one with the longer text (the earlier on a tie).
// Results that merely touch both stay.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class OverlapRemovalRefiner : public Refiner {
 public:
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

}  // namespace zarvo::chrono
