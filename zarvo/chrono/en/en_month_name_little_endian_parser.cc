#include "zarvo/chrono/en/en_month_name_little_endian_parser.h"

#include "zarvo/chrono/en/en_words.h"
#include "zarvo/chrono/month_name_date.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday, 3 day, 4 day digits, 5 end day, 6 end day digits, 7 month,
// 8 year, 9 era.
enum Group : size_t { kWeekday = 2, kDay = 3, kDayDigits = 4, kEndDay = 5, kEndDayDigits = 6, kMonth = 7, kYear = 8, kEra = 9 };

const std::u16string& littleEndianPattern() {
  static const std::u16string pattern =
      std::u16string(
          uR"re((\W|^)(?:on\s*?)?(?:(Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday|Sun|Mon|Tue|Wed|Thu|Fri|Sat)\s*,?\s*)?)re") +
      uR"re((([0-9]{1,2})(?:st|nd|rd|th)?|)re" + en::ordinalPiece() + u")" + uR"re((?:\s*)re" +
      uR"re((?:to|\-|\–|until|through|till|\s)\s*)re" + uR"re((([0-9]{1,2})(?:st|nd|rd|th)?|)re" +
      en::ordinalPiece() + u")" + uR"re()?\s*(?:of)?\s*)re" +
      uR"re((Jan(?:uary|\.)?|Feb(?:ruary|\.)?|Mar(?:ch|\.)?|Apr(?:il|\.)?|May|Jun(?:e|\.)?|Jul(?:y|\.)?|Aug(?:ust|\.)?|Sep(?:tember|\.)?|Oct(?:ober|\.)?|Nov(?:ember|\.)?|Dec(?:ember|\.)?))re" +
      u"(?:" + uR"re(,?\s*([0-9]{1,4}(?![^\s]\d)))re" + uR"re((\s*(?:BE|AD|BC))?)re" + u")?" + uR"re((?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view ENMonthNameLittleEndianParser::pattern() const { return littleEndianPattern(); }

std::optional<ParsedResult> ENMonthNameLittleEndianParser::extract(std::u16string_view text, Date ref,
                                                                   const platform::Match& match,
                                                                   const Options&) const {
  const std::optional<int64_t> month = en::monthNumber(groupText(text, match, kMonth));
  const std::optional<int64_t> day = en::readDay(text, match, kDay, kDayDigits);
  if (!month || !day) return std::nullopt;

  MonthNameDate date;
  date.day = *day;
  date.month = *month;
  if (match.took(kYear)) {
    const std::optional<int64_t> written = platform::toInt(groupText(text, match, kYear));
    if (!written) return std::nullopt;
    date.year = en::yearWithEra(*written, groupText(text, match, kEra), true);
    if (!date.year) return std::nullopt;
  }
  date.weekday = en::weekdays().lookup(groupText(text, match, kWeekday));
  if (match.took(kEndDay)) {
    date.endDay = en::readDay(text, match, kEndDay, kEndDayDigits);
    if (!date.endDay) return std::nullopt;
  }

  ParsedResult result = commonOpening(text, ref, match);
  setMonthNameDate(result, ref, date);
  result.tags().set(TagUnit::enMonthNameLittleEndianParser);
  return result;
}

}  // namespace zarvo::chrono
