#include "zarvo/chrono/fr/fr_month_name_little_endian_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class FRMonthNameLittleEndianParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Paris"};
  FRMonthNameLittleEndianParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(FRMonthNameLittleEndianParserTest, DayAndMonthWithAndWithoutYear) {
  expectPhrases(parser_,
                {
                    {"1er mai", kRef, "1er mai", {{U::month, 5}, {U::day, 1}}, {{U::year, 2024}}},
                    {"3 mai 24", kRef, "3 mai 24", {{U::year, 2024}, {U::month, 5}, {U::day, 3}}, {}},
                    {"lundi 5 février 2024", kRef, "lundi 5 février 2024",
                     {{U::year, 2024}, {U::month, 2}, {U::day, 5}, {U::weekday, 1}}, {}},
                    {"14 juil. 2024", kRef, "14 juil. 2024", {{U::year, 2024}, {U::month, 7}, {U::day, 14}}, {}},
                    {"15 août", kRef, "15 août", {{U::month, 8}, {U::day, 15}}, {{U::year, 2024}}},
                    // The pattern admits "déc" with its accent; the table spells the abbreviation "dec".
                    {"3 déc", kRef, "3 déc", {{U::month, 12}, {U::day, 3}}, {{U::year, 2023}}},
                    {"3 déc. 2024", kRef, "3 déc. 2024", {{U::year, 2024}, {U::month, 12}, {U::day, 3}}, {}},
                    {"15 mars 44 AC", kRef, "15 mars 44 AC", {{U::year, -44}, {U::month, 3}, {U::day, 15}}, {}},
                    {"15 mars 44 p.c.n.", kRef, "15 mars 44 p.c.n.", {{U::year, 44}, {U::month, 3}, {U::day, 15}}, {}},
                    {"3 maison", kRef, "", {}, {}},
                },
                TagUnit::frMonthNameLittleEndianParser);
}

TEST_F(FRMonthNameLittleEndianParserTest, RangesWithinAMonth) {
  expectRanges(parser_, {
      {"du 3 au 5 mai", kRef, "3 au 5 mai", {{U::month, 5}, {U::day, 3}}, {{U::month, 5}, {U::day, 5}}},
      {"1er-3 juin 2024", kRef, "1er-3 juin 2024", {{U::year, 2024}, {U::month, 6}, {U::day, 1}},
       {{U::year, 2024}, {U::month, 6}, {U::day, 3}}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
