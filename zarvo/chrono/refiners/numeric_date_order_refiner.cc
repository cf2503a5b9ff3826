#include "zarvo/chrono/refiners/numeric_date_order_refiner.h"

namespace zarvo::chrono {

using U = ComponentUnit;

std::vector<ParsedResult> NumericDateOrderRefiner::refine(std::u16string_view, std::vector<ParsedResult> results,
                                                          const Options&) const {
  for (ParsedResult& result : results) {
    const TagSet& tags = result.tags();
    const bool monthFirst = tags.contains(TagUnit::enSlashDateFormatParser);
    const bool dayFirst = tags.contains(TagUnit::deSlashDateFormatParser) ||
                          tags.contains(TagUnit::esSlashDateFormatParser) ||
                          tags.contains(TagUnit::frSlashDateFormatParser);
    if (!(monthFirst && dayFirst_) && !(dayFirst && !dayFirst_)) continue;
    ParsedComponents& start = result.start();
    const auto day = start.knownValues().get(U::day);
    const auto month = start.knownValues().get(U::month);
    if (!day || !month || *day < 1 || *day > 12 || *month < 1 || *month > 12 || *day == *month) continue;
    start.assign(U::day, *month);
    start.assign(U::month, *day);
    result.tags().set(TagUnit::numericDateOrderRefiner);
  }
  return results;
}

}  // namespace zarvo::chrono
