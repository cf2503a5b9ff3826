#include "zarvo/chrono/es/es_slash_date_format_parser.h"

#include "zarvo/chrono/es/es_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday, 3 day, 4 month, 5 year, 6 the character after the date.
constexpr std::u16string_view kPattern =
    uR"re((\W|^)(?:((?:domingo|dom|lunes|lun|martes|mar|mi[ée]rcoles|mie|jueves|jue|viernes|vie|s[áa]bado|sab))\s*\,?\s*)?([0-1]{0,1}[0-9]{1})[\/\.\-]([0-3]{0,1}[0-9]{1})(?:[\/\.\-]([0-9]{4}|[0-9]{2}))?(\W|$))re";

}  // namespace

std::u16string_view ESSlashDateFormatParser::pattern() const { return kPattern; }

const WordTable& ESSlashDateFormatParser::weekdays() const { return es::weekdays(); }

}  // namespace zarvo::chrono
