// German date-time merge: "morgen um 17 Uhr".
#pragma once

#include "zarvo/chrono/refiners/merge_date_time_refiner.h"

namespace zarvo::chrono {

class DEMergeDateTimeRefiner : public MergeDateTimeRefiner {
 public:
  std::u16string_view pattern() const override { return u"^\\s*(T|vor|nach|um|,|-)?\\s*$"; }
  TagUnit tag() const override { return TagUnit::deMergeDateAndTimeRefiner; }
};

}  // namespace zarvo::chrono
