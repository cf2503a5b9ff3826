#include "zarvo/chrono/es/es_month_name_little_endian_parser.h"

#include "zarvo/chrono/es/es_words.h"
#include "zarvo/chrono/month_name_date.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday, 3 day, 4 end day, 5 month, 6 year (with the blanks before
// it), 7 era.
enum Group : size_t { kWeekday = 2, kDay = 3, kEndDay = 4, kMonth = 5, kYear = 6, kEra = 7 };

constexpr std::u16string_view kPattern =
    uR"re((\W|^)(?:(Domingo|Lunes|Martes|Miércoles|Miercoles|Jueves|Viernes|Sábado|Sabado|Dom|Lun|Mar|Mie|Jue|Vie|Sab)\s*,?\s*)?)re"
    uR"re(([0-9]{1,2})(?:º|ª|°)?(?:\s*(?:desde|de|\-|\–|al?|hasta|\s)\s*([0-9]{1,2})(?:º|ª|°)?)?\s*(?:de)?\s*)re"
    uR"re((Ene(?:ro|\.)?|Feb(?:rero|\.)?|Mar(?:zo|\.)?|Abr(?:il|\.)?|May(?:o|\.)?|Jun(?:io|\.)?|Jul(?:io|\.)?|Ago(?:sto|\.)?|Sep(?:tiembre|\.)?|Oct(?:ubre|\.)?|Nov(?:iembre|\.)?|Dic(?:iembre|\.)?))re"
    uR"re((?:\s*(?:del?)?(\s*[0-9]{1,4}(?![^\s]\d))(\s*[ad]\.?\s*c\.?|a\.?\s*d\.?)?)?(?=\W|$))re";

}  // namespace

std::u16string_view ESMonthNameLittleEndianParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ESMonthNameLittleEndianParser::extract(std::u16string_view text, Date ref,
                                                                   const platform::Match& match,
                                                                   const Options&) const {
  const std::optional<int64_t> month = monthNumber(es::months(), groupText(text, match, kMonth));
  const std::optional<int64_t> day = platform::toInt(groupText(text, match, kDay));
  if (!month || !day) return std::nullopt;

  MonthNameDate date;
  date.day = *day;
  date.month = *month;
  if (match.took(kYear)) {
    const std::u16string_view era = groupText(text, match, kEra);
    date.year = yearWithOptionalEra(groupText(text, match, kYear), match.took(kEra),
                                    patternMatches(uR"re(a\.?\s*c)re", era));
    if (!date.year) return std::nullopt;
  }
  date.weekday = es::weekdays().lookup(groupText(text, match, kWeekday));
  if (match.took(kEndDay)) {
    date.endDay = platform::toInt(groupText(text, match, kEndDay));
    if (!date.endDay) return std::nullopt;
  }

  ParsedResult result = commonOpening(text, ref, match);
  setMonthNameDate(result, ref, date);
  result.tags().set(TagUnit::esMonthNameLittleEndianParser);
  return result;
}

}  // namespace zarvo::chrono
