// The weekday rule every language's weekday parser ends with: a weekday number and a modifier word
// ("next", "last", ...) become a date.
#pragma once

#include <cstdint>
#include <string_view>

#include "zarvo/chrono/parsed_result.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

// Completes `result`'s start for weekday `offset` (0 = Sunday ... 6 = Saturday) read against `ref`.
// `modifier` is an English word in lower case; each language maps its own words onto these first:
//   "last" or "past": that weekday in the week before `ref`'s (7 days before this week's);
//   "next": that weekday in the week after `ref`'s;
//   "this": that weekday in `ref`'s week (Sunday first);
//   anything else: whichever of the three lies nearest to `ref`, the week before or after winning
//     only when strictly nearer than `ref`'s week.
// `weekday` becomes known; the day, month and year are known for "last", "past" and "next" and only
// implied otherwise, so a later refiner or the caller may still move them. Time components are left
// as they are. Days are counted in the current calendar (wall-clock time kept across DST changes).
ParsedResult updateParsedComponent(ParsedResult result, Date ref, int64_t offset, std::u16string_view modifier);

}  // namespace zarvo::chrono
