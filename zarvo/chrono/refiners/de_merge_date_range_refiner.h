// German range merge: "Montag bis Freitag".
#pragma once

#include "zarvo/chrono/refiners/merge_date_range_refiner.h"

namespace zarvo::chrono {

class DEMergeDateRangeRefiner : public MergeDateRangeRefiner {
 public:
  std::u16string_view pattern() const override { return u"^\\s*(bis|\\-)\\s*$"; }
  TagUnit tag() const override { return TagUnit::deMergeDateRangeRefiner; }
};

}  // namespace zarvo::chrono
