#include "zarvo/chrono/de/de_month_name_little_endian_parser.h"

#include "zarvo/chrono/de/de_words.h"
#include "zarvo/chrono/month_name_date.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday, 3 day, 4 day digits, 5 end day, 6 end day digits, 7 month,
// 8 year, 9 era.
enum Group : size_t { kWeekday = 2, kDay = 3, kDayDigits = 4, kEndDay = 5, kEndDayDigits = 6, kMonth = 7, kYear = 8, kEra = 9 };

const std::u16string& littleEndianPattern() {
  static const std::u16string pattern = [] {
    const std::u16string day = uR"re((([0-9]{1,2})(?:\.)?|)re" + de::ordinals().alternation() + u")";
    return std::u16string(uR"re((\W|^)(?:vo(?:n|m)|am\s*?)?)re") + u"(?:(" + de::weekdays().alternation() +
           uR"re()\s*,?\s*)?(?:den\s*)?)re" + day + uR"re((?:\s*(?:bis|\-|\–|\s)\s*)re" + day +
           uR"re()?\s*(?:of)?\s*)re" + u"(" + de::months().alternation() + u")" +
           uR"re((?:,?\s*([0-9]{1,4}(?![^\s]\d))(\s*(?:n\.?\s?chr\.?|v\.?\s?chr\.?))?)?(?=\W|$))re";
  }();
  return pattern;
}

std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match, size_t dayGroup,
                               size_t digitsGroup) {
  if (match.took(digitsGroup)) return platform::toInt(platform::substring(text, match.range(digitsGroup).location,
                                                                            match.range(digitsGroup).length));
  const platform::Range day = match.range(dayGroup);
  return de::ordinalDay(platform::substring(text, day.location, day.length));
}

// Without an era, years below 10 are no years and two digits mean this century; with one the year is
// as written, negative before Christ.
std::optional<int64_t> yearWithEra(int64_t year, std::u16string_view era) {
  if (era.empty()) {
    if (year < 10) return std::nullopt;
    return year < 100 ? year + 2000 : year;
  }
  return platform::lowercased(era).find(u'v') != std::u16string::npos ? -year : year;
}

}  // namespace

std::u16string_view DEMonthNameLittleEndianParser::pattern() const { return littleEndianPattern(); }

std::optional<ParsedResult> DEMonthNameLittleEndianParser::extract(std::u16string_view text, Date ref,
                                                                   const platform::Match& match,
                                                                   const Options&) const {
  const std::optional<int64_t> month = monthNumber(de::months(), groupText(text, match, kMonth));
  const std::optional<int64_t> day = readDay(text, match, kDay, kDayDigits);
  if (!month || !day) return std::nullopt;

  MonthNameDate date;
  date.day = *day;
  date.month = *month;
  if (match.took(kYear)) {
    const std::optional<int64_t> written = platform::toInt(groupText(text, match, kYear));
    if (!written) return std::nullopt;
    date.year = yearWithEra(*written, groupText(text, match, kEra));
    if (!date.year) return std::nullopt;
  }
  date.weekday = de::weekdays().lookup(groupText(text, match, kWeekday));
  if (match.took(kEndDay)) {
    date.endDay = readDay(text, match, kEndDay, kEndDayDigits);
    if (!date.endDay) return std::nullopt;
  }

  ParsedResult result = commonOpening(text, ref, match);
  setMonthNameDate(result, ref, date);
  result.tags().set(TagUnit::deMonthNameLittleEndianParser);
  return result;
}

}  // namespace zarvo::chrono
