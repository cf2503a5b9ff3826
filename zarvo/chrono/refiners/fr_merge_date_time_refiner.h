// French date-time merge: "demain à 17h". The same merge as MergeDateTimeRefiner with French connecting
// words, outside that class tree.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class FRMergeDateTimeRefiner : public Refiner {
 public:
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

}  // namespace zarvo::chrono
