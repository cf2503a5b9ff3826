#include "zarvo/chrono/refiners/fr_merge_date_time_refiner.h"

#include "zarvo/chrono/refiners/merge_date_time_refiner.h"

namespace zarvo::chrono {

std::vector<ParsedResult> FRMergeDateTimeRefiner::refine(std::u16string_view text, std::vector<ParsedResult> results,
                                                         const Options&) const {
  return mergeDatesAndTimes(text, std::move(results), u"^\\s*(T|à|a|vers|de|,|-)?\\s*$",
                            TagUnit::frMergeDateAndTimeRefiner);
}

}  // namespace zarvo::chrono
