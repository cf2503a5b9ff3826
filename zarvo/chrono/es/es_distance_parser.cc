#include "zarvo/chrono/es/es_distance_parser.h"

#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono {

namespace {

const WordTable& numbers() {
  static const WordTable table{{u"un", 1},     {u"uno", 1},   {u"una", 1},   {u"dos", 2},   {u"tres", 3},
                               {u"cuatro", 4}, {u"cinco", 5}, {u"seis", 6},  {u"siete", 7}, {u"ocho", 8},
                               {u"nueve", 9},  {u"diez", 10}, {u"once", 11}, {u"doce", 12}};
  return table;
}

// Groups: 1 leading context, 2 "en"/"dentro de", 3 amount, 4 unit.
const std::u16string& distancePattern() {
  static const std::u16string pattern = u"(\\W|^)(en|dentro\\s+de)\\s+(" + numbers().alternation() +
                                        u"|[0-9]+|medi[oa])\\s+(minutos?|horas?|d[ií]as?|semanas?|mes(?:es)?|"
                                        u"años?)(?=\\W|$)";
  return pattern;
}

constexpr UnitWord kUnits[] = {{u"minuto", RelativeUnit::minute}, {u"hora", RelativeUnit::hour},
                               {u"semana", RelativeUnit::week},   {u"mes", RelativeUnit::month},
                               {u"año", RelativeUnit::year},      {u"d[ií]a", RelativeUnit::day}};

}  // namespace

std::u16string_view ESDistanceParser::pattern() const { return distancePattern(); }

const DistanceWords& ESDistanceParser::words() const {
  static const DistanceWords words{
      .amount = {.numbers = &numbers(), .articles = nullptr, .emptyMeansOne = false, .few = {}, .half = u"medi", .numeral = nullptr}, .units = kUnits, .otherwise = std::nullopt};
  return words;
}

}  // namespace zarvo::chrono
