// Japanese range merge: "12月25日から12月27日", "今日から明日". It adds the English range tag.
#pragma once

#include "zarvo/chrono/refiners/en_merge_date_range_refiner.h"

namespace zarvo::chrono {

class JPMergeDateRangeRefiner : public ENMergeDateRangeRefiner {
 public:
  std::u16string_view pattern() const override { return u"^\\s*(から|ー)\\s*$"; }
};

}  // namespace zarvo::chrono
