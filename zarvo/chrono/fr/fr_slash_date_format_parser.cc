#include "zarvo/chrono/fr/fr_slash_date_format_parser.h"

#include "zarvo/chrono/fr/fr_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday (or "le"), 3 day, 4 month, 5 year, 6 the character after the
// date.
constexpr std::u16string_view kPattern =
    uR"re((\W|^)(?:((?:dimanche|dim|lundi|lun|mardi|mar|mercredi|mer|jeudi|jeu|vendredi|ven|samedi|sam|le))\s*\,?\s*)?([0-3]{0,1}[0-9]{1})[\/\.\-]([0-3]{0,1}[0-9]{1})(?:[\/\.\-]([0-9]{4}|[0-9]{2}))?(\W|$))re";

}  // namespace

std::u16string_view FRSlashDateFormatParser::pattern() const { return kPattern; }

const WordTable& FRSlashDateFormatParser::weekdays() const { return fr::weekdays(); }

}  // namespace zarvo::chrono
