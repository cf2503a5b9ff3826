#include "zarvo/chrono/es/es_time_ago_format_parser.h"

#include "zarvo/chrono/es/es_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 amount, 3 unit (4 the plural ending of "meses").
constexpr std::u16string_view kPattern =
    uR"re((\W|^)hace\s*([0-9]+|medi[oa]|una?)\s*(minutos?|horas?|semanas?|d[ií]as?|mes(es)?|años?)(?=(?:\W|$)))re";

constexpr UnitWord kUnits[] = {
    {u"hora", RelativeUnit::hour}, {u"minuto", RelativeUnit::minute}, {u"semana", RelativeUnit::week},
    {u"d[ií]a", RelativeUnit::day}, {u"mes", RelativeUnit::month},    {u"año", RelativeUnit::year},
};

}  // namespace

std::u16string_view ESTimeAgoFormatParser::pattern() const { return kPattern; }

const DistanceWords& ESTimeAgoFormatParser::words() const {
  static const DistanceWords words{.amount = es::amountWords(), .units = kUnits, .otherwise = std::nullopt};
  return words;
}

}  // namespace zarvo::chrono
