// Reads a numeric UTC offset written right after a result ("5pm GMT+0200", "10:00 +05:30", "9am -0800")
// into its timeZoneOffset and extends the result's text over it. A result that already states an offset
// is left alone; "GMT+2" without minute digits is not read.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class ExtractTimezoneOffsetRefiner : public Refiner {
 public:
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

}  // namespace zarvo::chrono
