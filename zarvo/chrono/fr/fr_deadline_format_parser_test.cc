#include "zarvo/chrono/fr/fr_deadline_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class FRDeadlineFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Paris"};
  FRDeadlineFormatParser casual_{false};
  FRDeadlineFormatParser strict_{true};
};

const Wall kRef{2024, 3, 11, 10};


TEST_F(FRDeadlineFormatParserTest, DistancesAhead) {
  expectPhrases(casual_,
                {
                    {"dans une semaine", kRef, "dans une semaine", march(18), {}},
                    {"dans 3 jours", kRef, "dans 3 jours", march(14), {}},
                    {"en deux heures", kRef, "en deux heures", {{U::hour, 12}, {U::minute, 0}, {U::second, 0}}, {}},
                    {"dans un mois", kRef, "dans un mois", dayWith(2024, 4, 11), {}},
                    {"dans treize ans", kRef, "", {}, {}},
                    {"dans 2 années", kRef, "dans 2 années", dayWith(2026, 3, 11), {}},
                    {"dans 5 min", kRef, "dans 5 min", {{U::hour, 10}, {U::minute, 5}, {U::second, 0}}, {}},
                    {"dans 30 secondes", kRef, "dans 30 secondes", {{U::hour, 10}, {U::minute, 0}, {U::second, 30}}, {}},
                    // "quelques" counts three, as the English "few"; "demi" is half a unit.
                    {"dans quelques jours", kRef, "dans quelques jours", march(14), {}},
                    {"dans demi heure", kRef, "dans demi heure", {{U::hour, 10}, {U::minute, 30}, {U::second, 0}}, {}},
                    {"dans jours", kRef, "", {}, {}},
                },
                TagUnit::frDeadlineFormatParser);
}

TEST_F(FRDeadlineFormatParserTest, StrictAdmitsOnlyNumbersAndShortUnits) {
  expectPhrases(strict_, {
      {"dans 3 jours", kRef, "dans 3 jours", march(14), {}},
      {"dans un jour", kRef, "dans un jour", march(12), {}},
      {"dans une semaine", kRef, "", {}, {}},
      {"dans quelques jours", kRef, "", {}, {}},
      {"dans 2 mois", kRef, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
