#include "zarvo/chrono/fr/fr_period_end_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 mois/semaine/année, 3 "prochain(e)" after it, 4 "prochain" before the
// weekend, 5 "prochain" after it.
constexpr std::u16string_view kPattern =
    u"(\\W|^)(?:(?:(?:à|a|en)\\s+)?(?:la\\s+)?fin\\s+(?:du|de\\s+la|de\\s+ce(?:tte)?|de|d['’])\\s*"
    u"(mois|semaine|ann[ée]e)(?:\\s+(prochaine?))?|(?:(?:ce|le)\\s+)?(?:(prochain)\\s+)?week[\\s-]?end"
    u"(?:\\s+(prochain))?)(?=\\W|$)";

}  // namespace

std::u16string_view FRPeriodEndParser::pattern() const { return kPattern; }

std::optional<PeriodEndParser::Named> FRPeriodEndParser::period(std::u16string_view text,
                                                               const platform::Match& match) const {
  if (!match.took(2)) return Named{Period::weekend, match.took(4) || match.took(5) ? 1 : 0};
  const std::u16string unit = platform::lowercased(groupText(text, match, 2));
  const int64_t ahead = match.took(3) ? 1 : 0;
  if (unit == u"mois") return Named{Period::month, ahead};
  if (unit == u"semaine") return Named{Period::week, ahead};
  return Named{Period::year, ahead};
}

}  // namespace zarvo::chrono
