// Reads a clock time that names no day as the next such time: typed at 14:49, "at 9" is 9:00
// tomorrow. Applied by a Chrono whose ReaderOptions ask for timesAhead; no configuration holds it.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

// A result whose start states an hour but none of day, month, year and weekday, and whose moment lies
// before its reference, moves one day ahead (the day, month and year stay implied; an end that states
// no day moves with it). Phrases that count back from the reference ("2 hours ago") keep their
// moment. Tag: comingTimeRefiner.
class ComingTimeRefiner : public Refiner {
 public:
  std::vector<ParsedResult> refine(std::u16string_view text, std::vector<ParsedResult> results,
                                   const Options& opt) const override;
};

}  // namespace zarvo::chrono
