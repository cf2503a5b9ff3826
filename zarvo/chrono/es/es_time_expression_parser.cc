#include "zarvo/chrono/es/es_time_expression_parser.h"

namespace zarvo::chrono {

namespace {

constexpr std::u16string_view kPattern =
    uR"re((^|\s|T)(?:(?:a las?|al?|desde|de)\s*)?(\d{1,4}|mediod[ií]a|medianoche)(?:(?:\.|\:|\：)(\d{1,2})(?:(?:\:|\：)(\d{2}))?)?(?:\s*(A\.M\.|P\.M\.|AM?|PM?))?(?=\W|$))re";

constexpr std::u16string_view kRangeEndPattern =
    uR"re(^\s*(\-|\–|\~|\〜|a(?:\s*las)?|\?)\s*(\d{1,4})(?:(?:\.|\:|\：)(\d{1,2})(?:(?:\.|\:|\：)(\d{1,2}))?)?(?:\s*(A\.M\.|P\.M\.|AM?|PM?))?(?=\W|$))re";

}  // namespace

std::u16string_view ESTimeExpressionParser::pattern() const { return kPattern; }

std::u16string_view ESTimeExpressionParser::rangeEndPattern() const { return kRangeEndPattern; }

std::span<const TimeExpressionParser::NamedHour> ESTimeExpressionParser::namedHours() const {
  static constexpr NamedHour kWords[] = {{u"mediodía", 12, 1}, {u"mediodia", 12, 1}, {u"medianoche", 0, 0}};
  return kWords;
}

}  // namespace zarvo::chrono
