#include "zarvo/chrono/de/de_time_expression_parser.h"

namespace zarvo::chrono {

namespace {

constexpr std::u16string_view kPattern =
    uR"re((^|\s|T)(?:(?:am|um|zu)\s*)?(\d{1,4}|mittag|mitternacht)(?:(?:\.|\:|\：)(\d{1,2})(?:(?:\:|\：)(\d{2}))?)?)re"
    uR"re((?:\s*Uhr)?(?:\s*(?:(A\.M\.|P\.M\.|AM?|PM?)|uhr))?(?=\W|$))re";

constexpr std::u16string_view kRangeEndPattern =
    uR"re(^\s*(bis|\-|\–|\~|\〜|to|\?)\s*(\d{1,4})(?:(?:\.|\:|\：)(\d{1,2})(?:(?:\.|\:|\：)(\d{1,2}))?(?:\s*Uhr)?)?)re"
    uR"re((?:\s*(?:(A\.M\.|P\.M\.|AM?|PM?)|uhr))?(?=\W|$))re";

}  // namespace

std::u16string_view DETimeExpressionParser::pattern() const { return kPattern; }

std::u16string_view DETimeExpressionParser::rangeEndPattern() const { return kRangeEndPattern; }

std::span<const TimeExpressionParser::NamedHour> DETimeExpressionParser::namedHours() const {
  // Neither word states its half of the day: noon becomes PM through its hour, midnight stays implied.
  static constexpr NamedHour kWords[] = {{u"mittag", 12, std::nullopt}, {u"mitternacht", 0, std::nullopt}};
  return kWords;
}

}  // namespace zarvo::chrono
