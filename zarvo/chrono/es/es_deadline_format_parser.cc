#include "zarvo/chrono/es/es_deadline_format_parser.h"

#include "zarvo/chrono/es/es_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 "dentro de"/"en", 3 amount, 4 unit.
constexpr std::u16string_view kPattern =
    uR"re((\W|^)(dentro\s*de|en)\s*([0-9]+|medi[oa]|una?)\s*(minutos?|horas?|d[ií]as?)\s*(?=(?:\W|$)))re";

// Days are what is left once hours and minutes are ruled out.
constexpr UnitWord kUnits[] = {{u"hora", RelativeUnit::hour}, {u"minuto", RelativeUnit::minute}};

}  // namespace

std::u16string_view ESDeadlineFormatParser::pattern() const { return kPattern; }

const DistanceWords& ESDeadlineFormatParser::words() const {
  static const DistanceWords words{.amount = es::amountWords(), .units = kUnits, .otherwise = RelativeUnit::day};
  return words;
}

}  // namespace zarvo::chrono
