// French range merge: "lundi à vendredi".
#pragma once

#include "zarvo/chrono/refiners/merge_date_range_refiner.h"

namespace zarvo::chrono {

class FRMergeDateRangeRefiner : public MergeDateRangeRefiner {
 public:
  std::u16string_view pattern() const override { return u"^\\s*(à|a|\\-)\\s*$"; }
  TagUnit tag() const override { return TagUnit::frMergeDateRangeRefiner; }
};

}  // namespace zarvo::chrono
