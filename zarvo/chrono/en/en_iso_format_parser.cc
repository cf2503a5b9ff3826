#include "zarvo/chrono/en/en_iso_format_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 year, 3 month, 4 day, 5 hour, 6 minute, 7 second, 8 fraction,
// 9 offset hours with sign, 10 offset minutes.
constexpr std::u16string_view kPattern =
    uR"re((\W|^)([0-9]{4})\-([0-9]{1,2})\-([0-9]{1,2})(?:T([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2})(?:\.(\d{1,4}))?)?(?:Z|([+-]\d{2}):?(\d{2})?)?)?(?=\W|$))re";

enum Group : size_t {
  kYear = 2, kMonth = 3, kDay = 4, kHour = 5, kMinute = 6, kSecond = 7, kFraction = 8,
  kOffsetHours = 9, kOffsetMinutes = 10,
};

}  // namespace

std::u16string_view ENISOFormatParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENISOFormatParser::extract(std::u16string_view text, Date ref,
                                                       const platform::Match& match, const Options&) const {
  // Groups that took part but do not read as decimal numbers (the fraction and offset admit digits
  // of any script) reject the whole timestamp rather than reading half of it.
  auto number = [&](size_t group) { return platform::toInt(groupText(text, match, group)); };
  const std::optional<int64_t> year = number(kYear);
  const std::optional<int64_t> month = number(kMonth);
  const std::optional<int64_t> day = number(kDay);
  if (!year || !month || !day) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;

  ParsedResult result = commonOpening(text, ref, match);
  ParsedComponents& start = result.start();
  start.assign(ComponentUnit::year, *year);
  start.assign(ComponentUnit::month, *month);
  start.assign(ComponentUnit::day, *day);

  if (match.took(kHour)) {
    const std::optional<int64_t> hour = number(kHour);
    const std::optional<int64_t> minute = number(kMinute);
    if (!hour || !minute) return std::nullopt;
    start.assign(ComponentUnit::hour, *hour);
    start.assign(ComponentUnit::minute, *minute);
    if (match.took(kSecond)) {
      const std::optional<int64_t> second = number(kSecond);
      if (!second) return std::nullopt;
      start.assign(ComponentUnit::second, *second);
    }
    if (match.took(kFraction)) {
      const std::optional<int64_t> fraction = number(kFraction);
      if (!fraction) return std::nullopt;
      start.assign(ComponentUnit::millisecond, *fraction);
    }
    // "Z" and a time without an offset both mean UTC.
    int64_t offset = 0;
    if (match.took(kOffsetHours)) {
      const std::u16string_view signedHours = groupText(text, match, kOffsetHours);
      const std::optional<int64_t> hours = platform::toInt(signedHours);
      const std::optional<int64_t> minutes = 
          match.took(kOffsetMinutes) ? number(kOffsetMinutes) : std::optional<int64_t>(0);
      if (!hours || !minutes) return std::nullopt;
      // The minutes take the sign written before the hours, which "-00" alone would lose.
      const bool west = !signedHours.empty() && signedHours.front() == u'-';
      offset = *hours * 60 + (west ? -*minutes : *minutes);
    }
    start.assign(ComponentUnit::timeZoneOffset, offset);
  }

  result.tags().set(TagUnit::enCasualTimeParser);
  return result;
}

}  // namespace zarvo::chrono
