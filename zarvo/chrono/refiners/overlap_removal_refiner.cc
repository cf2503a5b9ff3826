#include "zarvo/chrono/refiners/overlap_removal_refiner.h"

namespace zarvo::chrono {

std::vector<ParsedResult> OverlapRemovalRefiner::refine(std::u16string_view, std::vector<ParsedResult> results,
                                                        const Options&) const {
  if (results.size() < 2) return results;
  std::vector<ParsedResult> out;
  out.reserve(results.size());
  size_t kept = 0;
  for (size_t i = 1; i < results.size(); ++i) {
    const ParsedResult& r = results[i];
    if (r.index() < results[kept].endPosition()) {
      if (r.text().size() > results[kept].text().size()) kept = i;
    } else {
      out.push_back(std::move(results[kept]));
      kept = i;
    }
  }
  out.push_back(std::move(results[kept]));
  return out;
}

}  // namespace zarvo::chrono
