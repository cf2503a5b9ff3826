#include "zarvo/chrono/fr/fr_slash_date_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class FRSlashDateFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Paris"};
  FRSlashDateFormatParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(FRSlashDateFormatParserTest, DayBeforeMonth) {
  expectPhrases(parser_,
                {
                    {"15/03/2024", kRef, "15/03/2024", {{U::year, 2024}, {U::month, 3}, {U::day, 15}}, {}},
                    {"25/12/2024", kRef, "25/12/2024", {{U::year, 2024}, {U::month, 12}, {U::day, 25}}, {}},
                    // "le" names no weekday.
                    {"le 5/3", kRef, "le 5/3", {{U::year, 2024}, {U::month, 3}, {U::day, 5}}, {}},
                    {"vendredi 15.03.24", kRef, "vendredi 15.03.24",
                     {{U::year, 2024}, {U::month, 3}, {U::day, 15}, {U::weekday, 5}}, {}},
                    {"1.5", kRef, "", {}, {}},
                },
                TagUnit::frSlashDateFormatParser);
}

}  // namespace
}  // namespace zarvo::chrono
