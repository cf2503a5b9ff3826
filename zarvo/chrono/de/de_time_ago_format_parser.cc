#include "zarvo/chrono/de/de_time_ago_format_parser.h"

#include "zarvo/chrono/de/de_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 amount, 3 unit.
const std::u16string& timeAgoPattern() {
  const std::u16string& articles = de::articles().alternation();
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)vor\s*)re") + u"(" + de::integerWords().alternation() + u"|[0-9]+|" + articles +
      uR"re(?(?:\s*(?:wenige[r|n]?|einigen?|paar))?|(?:)re" + articles + uR"re()?\s*halbe(?:n|s)?)\s*)re" +
      std::u16string(de::unitPiece()) + uR"re((?=(?:\W|$)))re";
  return pattern;
}

constexpr UnitWord kUnits[] = {
    {u"stunde", RelativeUnit::hour}, {u"minute", RelativeUnit::minute}, {u"sekunde", RelativeUnit::second},
    {u"woche", RelativeUnit::week},  {u"tag", RelativeUnit::day},       {u"monat", RelativeUnit::month},
    {u"jahr", RelativeUnit::year},
};

}  // namespace

std::u16string_view DETimeAgoFormatParser::pattern() const { return timeAgoPattern(); }

const DistanceWords& DETimeAgoFormatParser::words() const {
  static const DistanceWords words{.amount = de::amountWords(), .units = kUnits, .otherwise = std::nullopt};
  return words;
}

}  // namespace zarvo::chrono
