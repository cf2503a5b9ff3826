// A part of the day after a day: "samedi matin", "lundi soir", "vendredi après-midi".
#pragma once

#include <span>

#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Implies the hour the casual French phrases give the part of the day ("demain matin") on the
// reference day: matin 8, après-midi and aprem 14, soir 18. A day next to it is joined to it by the
// date-time refiners. Part of the extended configuration. Tag: frPartOfDayParser.
class FRPartOfDayParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

namespace fr {
// The parts of the day above with their hours, for every French parser that reads one.
std::span<const PartOfDay> partsOfDay();
}  // namespace fr

}  // namespace zarvo::chrono
