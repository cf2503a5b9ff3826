// A part of the day after a day: "el lunes por la mañana", "el viernes por la tarde", "por la noche".
#pragma once

#include <span>

#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Implies the hour of the part of the day on the reference day, as the casual phrases do ("mañana
// por la mañana"): por la mañana 9, por la tarde 18, por la noche 22 (PM). A day next to it is
// joined to it by the date-time refiners. Part of the extended configuration. Tag: esPartOfDayParser.
class ESPartOfDayParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

namespace es {
// The parts of the day of "por la mañana/tarde/noche" with the hours above, for every Spanish parser
// that reads one.
std::span<const PartOfDay> partsOfDay();
}  // namespace es

}  // namespace zarvo::chrono
