// Reads a time-zone abbreviation written right after a clock time ("5pm PST", "10:00 (cet)") into its
// timeZoneOffset and extends the result's text over it. Only results of the English, French and
// Chinese time-expression parsers are considered; unknown abbreviations are ignored.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class ExtractTimezoneAbbrRefiner : public Refiner {
 public:
  // `capitalsOnly` false (the default): the abbreviation may be written in any letter case, as the
  // configurations read it. True: only an abbreviation written in capitals ("PST", not "pst" or
  // "get") is read, for callers whose text is everyday prose.
  explicit ExtractTimezoneAbbrRefiner(bool capitalsOnly = false) : capitalsOnly_(capitalsOnly) {}

  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;

 private:
  bool capitalsOnly_;
};

}  // namespace zarvo::chrono
