#include "zarvo/chrono/fr/fr_time_expression_parser.h"

namespace zarvo::chrono {

namespace {

constexpr std::u16string_view kPattern =
    uR"re((^|\s|T)(?:(?:[àa])\s*)?(\d{1,2}(?:h)?|midi|minuit)(?:(?:\.|\:|\：|h)(\d{1,2})(?:m)?(?:(?:\:|\：|m)(\d{0,2})(?:s)?)?)?(?:\s*(A\.M\.|P\.M\.|AM?|PM?))?(?=\W|$))re";

constexpr std::u16string_view kRangeEndPattern =
    uR"re(^\s*(\-|\–|\~|\〜|[àa]|\?)\s*(\d{1,2}(?:h)?)(?:(?:\.|\:|\：|h)(\d{1,2})(?:m)?(?:(?:\.|\:|\：|m)(\d{1,2})(?:s)?)?)?(?:\s*(A\.M\.|P\.M\.|AM?|PM?))?(?=\W|$))re";

}  // namespace

std::u16string_view FRTimeExpressionParser::pattern() const { return kPattern; }

std::u16string_view FRTimeExpressionParser::rangeEndPattern() const { return kRangeEndPattern; }

std::span<const TimeExpressionParser::NamedHour> FRTimeExpressionParser::namedHours() const {
  static constexpr NamedHour kWords[] = {{u"midi", 12, 1}, {u"minuit", 0, 0}};
  return kWords;
}

std::u16string_view FRTimeExpressionParser::hourDigits(std::u16string_view hourText) const {
  if (!hourText.empty() && (hourText.back() == u'h' || hourText.back() == u'H')) hourText.remove_suffix(1);
  return hourText;
}

}  // namespace zarvo::chrono
