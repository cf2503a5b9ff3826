// English range merge: "Monday to Friday", "5 - 7 May".
#pragma once

#include "zarvo/chrono/refiners/merge_date_range_refiner.h"

namespace zarvo::chrono {

class ENMergeDateRangeRefiner : public MergeDateRangeRefiner {
 public:
  std::u16string_view pattern() const override { return u"^\\s*(to|\\-)\\s*$"; }
  TagUnit tag() const override { return TagUnit::enMergeDateRangeRefiner; }
};

}  // namespace zarvo::chrono
