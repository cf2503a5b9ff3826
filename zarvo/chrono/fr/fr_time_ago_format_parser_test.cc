#include "zarvo/chrono/fr/fr_time_ago_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class FRTimeAgoFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Paris"};
  FRTimeAgoFormatParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(FRTimeAgoFormatParserTest, DistancesBack) {
  expectPhrases(parser_,
                {
                    {"il y a 3 heures", kRef, "il y a 3 heures", {{U::hour, 7}, {U::minute, 0}, {U::second, 0}}, {}},
                    {"il y a une semaine", kRef, "il y a une semaine", {}, {{U::day, 4}, {U::weekday, 1}}},
                    {"il y a 2 jours", kRef, "il y a 2 jours", {{U::year, 2024}, {U::month, 3}, {U::day, 9}}, {}},
                    {"il y a un mois", kRef, "il y a un mois", {{U::year, 2024}, {U::month, 2}, {U::day, 11}}, {}},
                    {"il y a 5 ans", kRef, "il y a 5 ans", {{U::year, 2019}, {U::month, 3}, {U::day, 11}}, {}},
                    {"il y a 2 années", kRef, "il y a 2 années", {{U::year, 2022}, {U::month, 3}, {U::day, 11}}, {}},
                    {"il y a 10 minutes", kRef, "il y a 10 minutes", {{U::hour, 9}, {U::minute, 50}, {U::second, 0}}, {}},
                    {"il y a longtemps", kRef, "", {}, {}},
                },
                TagUnit::frTimeAgoFormatParser);
}

}  // namespace
}  // namespace zarvo::chrono
