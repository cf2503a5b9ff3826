#include "zarvo/chrono/en/en_month_name_middle_endian_parser.h"

#include "zarvo/chrono/en/en_words.h"
#include "zarvo/chrono/month_name_date.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday, 3 month, 4 day, 5 day digits, 6 end day, 7 end day digits,
// 8 four-digit year, 9 its era, 10 short year, 11 its era.
enum Group : size_t {
  kWeekday = 2, kMonth = 3, kDay = 4, kDayDigits = 5, kEndDay = 6, kEndDayDigits = 7,
  kYear = 8, kYearEra = 9, kShortYear = 10, kShortYearEra = 11,
};

const std::u16string& middleEndianPattern() {
  // The blank after the "|" of the end-day group belongs to the pattern: an ordinal end day must be
  // preceded by one more blank.
  static const std::u16string pattern =
      std::u16string(
          uR"re((\W|^)(?:(?:on\s*?)?(Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday|Sun\.?|Mon\.?|Tue\.?|Wed\.?|Thu\.?|Fri\.?|Sat\.?)\s*,?\s*)?(Jan\.?|January|Feb\.?|February|Mar\.?|March|Apr\.?|April|May\.?|Jun\.?|June|Jul\.?|July|Aug\.?|August|Sep\.?|Sept\.?|September|Oct\.?|October|Nov\.?|November|Dec\.?|December)\s*)re") +
      uR"re((([0-9]{1,2})(?:st|nd|rd|th)?|)re" + en::ordinalPiece() + uR"re()\s*)re" + u"(?:" +
      uR"re((?:to|\-)\s*)re" + uR"re((([0-9]{1,2})(?:st|nd|rd|th)?| )re" + en::ordinalPiece() + uR"re()\s*)re" +
      u")?" + u"(?:" + uR"re(\s*,?\s*(?:([0-9]{4})\s*(BE|AD|BC)?|([0-9]{1,4})\s*(AD|BC))\s*)re" + u")?" +
      uR"re((?=\W|$)(?!\:\d))re";
  return pattern;
}

}  // namespace

std::u16string_view ENMonthNameMiddleEndianParser::pattern() const { return middleEndianPattern(); }

std::optional<ParsedResult> ENMonthNameMiddleEndianParser::extract(std::u16string_view text, Date ref,
                                                                   const platform::Match& match,
                                                                   const Options&) const {
  const std::optional<int64_t> month = en::monthNumber(groupText(text, match, kMonth));
  const std::optional<int64_t> day = en::readDay(text, match, kDay, kDayDigits);
  if (!month || !day) return std::nullopt;

  MonthNameDate date;
  date.day = *day;
  date.month = *month;
  const bool longYear = match.took(kYear);
  if (longYear || match.took(kShortYear)) {
    const std::optional<int64_t> written = platform::toInt(groupText(text, match, longYear ? kYear : kShortYear));
    if (!written) return std::nullopt;
    date.year = en::yearWithEra(*written, groupText(text, match, longYear ? kYearEra : kShortYearEra), false);
    if (!date.year) return std::nullopt;
  }
  date.weekday = en::weekdays().lookup(groupText(text, match, kWeekday));
  if (match.took(kEndDay)) {
    date.endDay = en::readDay(text, match, kEndDay, kEndDayDigits);
    if (!date.endDay) return std::nullopt;
  }

  ParsedResult result = commonOpening(text, ref, match);
  setMonthNameDate(result, ref, date);
  result.tags().set(TagUnit::enMonthNameMiddleEndianParser);
  return result;
}

}  // namespace zarvo::chrono
