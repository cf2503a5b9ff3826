#include "zarvo/chrono/de/de_deadline_format_parser.h"

#include "zarvo/chrono/de/de_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 "innerhalb"/"in"/"im", 3 amount, 4 unit.
const std::u16string& deadlinePattern() {
  const std::u16string& articles = de::articles().alternation();
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)(innerhalb|i[n|m])\s*(?:von)?\s*)re") + u"(" + de::integerWords().alternation() +
      u"|[0-9]+|" + articles + uR"re(?(?:\s*(?:wenige[r|n]?|einigen?|paar))?|(?:)re" + articles +
      uR"re(\s*)?halbe(?:n|s)?)\s*)re" + std::u16string(de::unitPiece()) + uR"re(\s*(?=\W|$))re";
  return pattern;
}

constexpr UnitWord kUnits[] = {
    {u"tag", RelativeUnit::day},      {u"woche", RelativeUnit::week},    {u"monat", RelativeUnit::month},
    {u"jahr", RelativeUnit::year},    {u"stunde", RelativeUnit::hour},   {u"minute", RelativeUnit::minute},
    {u"sekunde", RelativeUnit::second},
};

}  // namespace

std::u16string_view DEDeadlineFormatParser::pattern() const { return deadlinePattern(); }

const DistanceWords& DEDeadlineFormatParser::words() const {
  static const DistanceWords words{.amount = de::amountWords(), .units = kUnits, .otherwise = std::nullopt};
  return words;
}

}  // namespace zarvo::chrono
