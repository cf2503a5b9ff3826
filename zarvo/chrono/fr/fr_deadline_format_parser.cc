#include "zarvo/chrono/fr/fr_deadline_format_parser.h"

#include "zarvo/chrono/fr/fr_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 "dans"/"en", 3 amount, 4 unit.
const std::u16string& casualPattern() {
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)(dans|en)\s*()re") + fr::integerWords().alternation() +
      uR"re(|[0-9]+|une?|(?:\s*quelques)?|demi(?:\s*|-?)?)\s*(secondes?|min(?:ute)?s?|heures?|jours?|semaines?|mois|années?)\s*(?=\W|$))re";
  return pattern;
}

const std::u16string& strictPattern() {
  static const std::u16string pattern = std::u16string(uR"re((\W|^)(dans|en)\s*()re") +
                                        fr::integerWords().alternation() +
                                        uR"re(|[0-9]+|un?)\s*(secondes?|minutes?|heures?|jours?)\s*(?=\W|$))re";
  return pattern;
}

constexpr UnitWord kUnits[] = {
    {u"jour", RelativeUnit::day},  {u"semaine", RelativeUnit::week}, {u"mois", RelativeUnit::month},
    {u"heure", RelativeUnit::hour}, {u"min", RelativeUnit::minute},  {u"seconde", RelativeUnit::second},
    {u"ann", RelativeUnit::year},
};

}  // namespace

std::u16string_view FRDeadlineFormatParser::pattern() const {
  return strictMode() ? strictPattern() : casualPattern();
}

const DistanceWords& FRDeadlineFormatParser::words() const {
  static const DistanceWords words{.amount = fr::amountWords(), .units = kUnits, .otherwise = std::nullopt};
  return words;
}

}  // namespace zarvo::chrono
