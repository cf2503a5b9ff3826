// Reads a time-zone abbreviation written right after a clock time ("5pm PST", "10:00 (cet)") into its
// timeZoneOffset and extends the result's text over it. Only results of the English, French and
// Chinese time-expression parsers are considered; unknown abbreviations are ignored.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class ExtractTimezoneAbbrRefiner : public Refiner {
 public:
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

}  // namespace zarvo::chrono
