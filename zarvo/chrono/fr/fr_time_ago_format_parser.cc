#include "zarvo/chrono/fr/fr_time_ago_format_parser.h"

#include "zarvo/chrono/fr/fr_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 amount, 3 unit.
constexpr std::u16string_view kPattern =
    uR"re((\W|^)il y a\s*([0-9]+|une?)\s*(minutes?|heures?|semaines?|jours?|mois|années?|ans?)(?=(?:\W|$)))re";

// "an" last: it names years both as "an(s)" and inside "année(s)".
constexpr UnitWord kUnits[] = {
    {u"heure", RelativeUnit::hour},  {u"min", RelativeUnit::minute}, {u"semaine", RelativeUnit::week},
    {u"jour", RelativeUnit::day},    {u"mois", RelativeUnit::month}, {u"an", RelativeUnit::year},
};

}  // namespace

std::u16string_view FRTimeAgoFormatParser::pattern() const { return kPattern; }

const DistanceWords& FRTimeAgoFormatParser::words() const {
  static const DistanceWords words{.amount = fr::amountWords(), .units = kUnits, .otherwise = std::nullopt};
  return words;
}

}  // namespace zarvo::chrono
