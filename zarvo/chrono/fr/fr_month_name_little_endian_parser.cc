#include "zarvo/chrono/fr/fr_month_name_little_endian_parser.h"

#include "zarvo/chrono/fr/fr_words.h"
#include "zarvo/chrono/month_name_date.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday, 3 day ("1er" is the first), 4 end day, 5 month, 6 year (with
// the blanks before it), 7 era.
enum Group : size_t { kWeekday = 2, kDay = 3, kEndDay = 4, kMonth = 5, kYear = 6, kEra = 7 };

constexpr std::u16string_view kPattern =
    uR"re((\W|^)(?:(Dimanche|Lundi|Mardi|mercredi|Jeudi|Vendredi|Samedi|Dim|Lun|Mar|Mer|Jeu|Ven|Sam)\s*,?\s*)?)re"
    uR"re(([0-9]{1,2}|1er)(?:\s*(?:au|\-|\–|jusqu'au?|\s)\s*([0-9]{1,2})(?:er)?)?\s*(?:de)?\s*)re"
    uR"re((Jan(?:vier|\.)?|Fév(?:rier|\.)?|Mars|Avr(?:il|\.)?|Mai|Juin|Juil(?:let|\.)?|Ao[uû]t|Sept(?:embre|\.)?|Oct(?:obre|\.)?|Nov(?:embre|\.)?|déc(?:embre|\.)?))re"
    uR"re((?:\s*(\s*[0-9]{1,4}(?![^\s]\d))(?:\s*(AC|[ap]\.?\s*c(?:h(?:r)?)?\.?\s*n\.?))?)?(?=\W|$))re";

std::optional<int64_t> readDay(std::u16string_view day) {
  if (platform::equalsIgnoringCase(day, std::u16string_view(u"1er"))) return 1;
  return platform::toInt(day);
}

}  // namespace

std::u16string_view FRMonthNameLittleEndianParser::pattern() const { return kPattern; }

std::optional<ParsedResult> FRMonthNameLittleEndianParser::extract(std::u16string_view text, Date ref,
                                                                   const platform::Match& match,
                                                                   const Options&) const {
  const std::optional<int64_t> month = fr::monthNumber(groupText(text, match, kMonth));
  const std::optional<int64_t> day = readDay(groupText(text, match, kDay));
  if (!month || !day) return std::nullopt;

  MonthNameDate date;
  date.day = *day;
  date.month = *month;
  if (match.took(kYear)) {
    // "AC" and "a.c.n." (before Christ) have an "a"; "p.c.n." has none.
    const std::u16string era = platform::lowercased(groupText(text, match, kEra));
    date.year = yearWithOptionalEra(groupText(text, match, kYear), match.took(kEra),
                                    era.find(u'a') != std::u16string::npos);
    if (!date.year) return std::nullopt;
  }
  date.weekday = fr::weekdays().lookup(groupText(text, match, kWeekday));
  if (match.took(kEndDay)) {
    date.endDay = platform::toInt(groupText(text, match, kEndDay));
    if (!date.endDay) return std::nullopt;
  }

  ParsedResult result = commonOpening(text, ref, match);
  setMonthNameDate(result, ref, date);
  result.tags().set(TagUnit::frMonthNameLittleEndianParser);
  return result;
}

}  // namespace zarvo::chrono
