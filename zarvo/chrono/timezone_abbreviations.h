// Time-zone abbreviations a user may write after a time ("5pm PST", "10:00 (CET)").
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo::chrono {

// Abbreviation in capitals -> offset from UTC in minutes, east positive. 176 entries, built once per
// process on first use (thread-safe) and read-only afterwards.
const std::map<std::u16string, int64_t, std::less<>>& timezoneAbbreviations();

// The offset of `abbreviation` (capitals; other case does not match), if the table has it.
std::optional<int64_t> timezoneAbbreviationOffset(std::u16string_view abbreviation);

}  // namespace zarvo::chrono
