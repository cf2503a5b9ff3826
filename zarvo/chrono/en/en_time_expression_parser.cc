#include "zarvo/chrono/en/en_time_expression_parser.h"

namespace zarvo::chrono {

namespace {

constexpr std::u16string_view kPattern =
    u"(^|\\s|T)(?:(?:at|from)\\s*)?(\\d{1,4}|noon|midnight)(?:(?:\\.|\\:|\\：)(\\d{1,2})(?:(?:\\:|\\：)(\\d{2}))?)?"
    u"(?:\\s*(A\\.M\\.|P\\.M\\.|AM?|PM?))?(?=\\W|$)";

constexpr std::u16string_view kRangeEndPattern =
    u"^\\s*(\\-|\\–|\\~|\\〜|to|\\?)\\s*(\\d{1,4})(?:(?:\\.|\\:|\\：)(\\d{1,2})(?:(?:\\.|\\:|\\：)(\\d{1,2}))?)?"
    u"(?:\\s*(A\\.M\\.|P\\.M\\.|AM?|PM?))?(?=\\W|$)";

}  // namespace

std::u16string_view ENTimeExpressionParser::pattern() const { return kPattern; }

std::u16string_view ENTimeExpressionParser::rangeEndPattern() const { return kRangeEndPattern; }

std::span<const TimeExpressionParser::NamedHour> ENTimeExpressionParser::namedHours() const {
  static constexpr NamedHour kWords[] = {{u"noon", 12, 1}, {u"midnight", 0, 0}};
  return kWords;
}

}  // namespace zarvo::chrono
