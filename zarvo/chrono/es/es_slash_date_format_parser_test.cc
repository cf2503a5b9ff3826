#include "zarvo/chrono/es/es_slash_date_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ESSlashDateFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Madrid"};
  ESSlashDateFormatParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(ESSlashDateFormatParserTest, DayBeforeMonth) {
  expectPhrases(parser_,
                {
                    {"15/03/2024", kRef, "15/03/2024", {{U::year, 2024}, {U::month, 3}, {U::day, 15}}, {}},
                    {"pagar el 5/3, sin falta", kRef, "5/3,", {{U::year, 2024}, {U::month, 3}, {U::day, 5}}, {}},
                    {"3-12-24", kRef, "3-12-24", {{U::year, 2024}, {U::month, 12}, {U::day, 3}}, {}},
                    {"lunes 5.2.99", kRef, "lunes 5.2.99", {{U::year, 1999}, {U::month, 2}, {U::day, 5}, {U::weekday, 1}},
                     {}},
                    {"miércoles 13/03", kRef, "miércoles 13/03",
                     {{U::year, 2024}, {U::month, 3}, {U::day, 13}, {U::weekday, 3}}, {}},
                    // The first number reads at most 19: a day of the twenties is left to others.
                    {"25/12/2024", kRef, "", {}, {}},
                    {"1.5", kRef, "", {}, {}},
                    {"1/2/3", kRef, "", {}, {}},
                },
                TagUnit::esSlashDateFormatParser);
}

}  // namespace
}  // namespace zarvo::chrono
