// Japanese date-time merge: "明日の午後3時", "金曜日の夜", "明日に15時". Part of the extended
// configuration only (extendedCasualModeOption()).
#pragma once

#include "zarvo/chrono/refiners/merge_date_time_refiner.h"

namespace zarvo::chrono {

// Joins a date and a time with nothing between them but blanks and one of の, に, 、 or ",". Tag:
// jpMergeDateAndTimeRefiner.
class JPMergeDateTimeRefiner : public MergeDateTimeRefiner {
 public:
  std::u16string_view pattern() const override { return u"^\\s*(の|に|、|,)?\\s*$"; }
  TagUnit tag() const override { return TagUnit::jpMergeDateAndTimeRefiner; }
};

}  // namespace zarvo::chrono
