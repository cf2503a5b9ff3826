#include "zarvo/chrono/de/de_month_name_little_endian_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DEMonthNameLittleEndianParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DEMonthNameLittleEndianParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(DEMonthNameLittleEndianParserTest, DayAndMonthWithAndWithoutYear) {
  expectPhrases(parser_,
                {
                    {"3. Mai 24", kRef, "3. Mai 24", {{U::year, 2024}, {U::month, 5}, {U::day, 3}}, {}},
                    {"Geburtstag am 3. Mai", kRef, "am 3. Mai", {{U::month, 5}, {U::day, 3}}, {{U::year, 2024}}},
                    {"dritten Mai", kRef, "dritten Mai", {{U::month, 5}, {U::day, 3}}, {{U::year, 2024}}},
                    {"Erster Januar", kRef, "Erster Januar", {{U::month, 1}, {U::day, 1}}, {{U::year, 2024}}},
                    {"einunddreißigsten Dezember", kRef, "einunddreißigsten Dezember", {{U::month, 12}, {U::day, 31}},
                     {{U::year, 2023}}},
                    {"12. März 2024", kRef, "12. März 2024", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {}},
                    {"3 Okt. 1999", kRef, "3 Okt. 1999", {{U::year, 1999}, {U::month, 10}, {U::day, 3}}, {}},
                    {"3. Jan 2025", kRef, "3. Jan 2025", {{U::year, 2025}, {U::month, 1}, {U::day, 3}}, {}},
                    {"Montag, 12. März", kRef, "Montag, 12. März", {{U::month, 3}, {U::day, 12}, {U::weekday, 1}}, {}},
                    {"Fr, den 5. April", kRef, "Fr, den 5. April", {{U::month, 4}, {U::day, 5}, {U::weekday, 5}}, {}},
                    // Read in December, early January is next year's.
                    {"5. Januar", {2024, 12, 20}, "5. Januar", {{U::month, 1}, {U::day, 5}}, {{U::year, 2025}}},
                },
                TagUnit::deMonthNameLittleEndianParser);
}

TEST_F(DEMonthNameLittleEndianParserTest, YearsAndEras) {
  expectPhrases(parser_, {
      {"3. Mai 99", kRef, "3. Mai 99", {{U::year, 2099}, {U::month, 5}, {U::day, 3}}, {}},
      {"15. März 44 v. Chr.", kRef, "15. März 44 v. Chr.", {{U::year, -44}, {U::month, 3}, {U::day, 15}}, {}},
      {"1. Mai 5 n. Chr.", kRef, "1. Mai 5 n. Chr.", {{U::year, 5}, {U::month, 5}, {U::day, 1}}, {}},
      // A year below 10 without an era is no year, and the whole phrase is rejected.
      {"3. Mai 5", kRef, "", {}, {}},
  });
}

TEST_F(DEMonthNameLittleEndianParserTest, RangesWithinAMonth) {
  expectRanges(parser_, {
      {"3. bis 5. Mai", kRef, "3. bis 5. Mai", {{U::month, 5}, {U::day, 3}}, {{U::month, 5}, {U::day, 5}}},
      {"Urlaub 10.-14. Juni 2024", kRef, "10.-14. Juni 2024", {{U::year, 2024}, {U::month, 6}, {U::day, 10}},
       {{U::year, 2024}, {U::month, 6}, {U::day, 14}}},
  });
}

TEST_F(DEMonthNameLittleEndianParserTest, NotMonthNames) {
  expectPhrases(parser_, {
      {"3 Mais", kRef, "", {}, {}},
      {"3 Janx", kRef, "", {}, {}},
      {"Mai", kRef, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
