// English date-time merge: "tomorrow at 5pm", "5pm, Friday", "2024-03-11T10:00".
#pragma once

#include "zarvo/chrono/refiners/merge_date_time_refiner.h"

namespace zarvo::chrono {

class ENMergeDateTimeRefiner : public MergeDateTimeRefiner {
 public:
  std::u16string_view pattern() const override { return u"^\\s*(T|at|after|before|on|of|,|-)?\\s*$"; }
  TagUnit tag() const override { return TagUnit::enMergeDateAndTimeRefiner; }
};

}  // namespace zarvo::chrono
