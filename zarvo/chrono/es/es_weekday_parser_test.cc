#include "zarvo/chrono/es/es_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ESWeekdayParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Madrid"};
  ESWeekdayParser parser_{false};
};

// Wednesday 13 March 2024.
const Wall kWednesday{2024, 3, 13, 10};

TEST_F(ESWeekdayParserTest, Modifiers) {
  const ComponentMap nextMonday{{U::year, 2024}, {U::month, 3}, {U::day, 18}, {U::weekday, 1}};
  expectPhrases(parser_,
                {
                    {"el próximo lunes", kWednesday, "próximo lunes", nextMonday, {}},
                    {"proximo lunes", kWednesday, "proximo lunes", nextMonday, {}},
                    {"pasado viernes", kWednesday, "pasado viernes",
                     {{U::year, 2024}, {U::month, 3}, {U::day, 8}, {U::weekday, 5}}, {}},
                    {"este sábado", kWednesday, "este sábado", {{U::weekday, 6}}, {{U::day, 16}}},
                    // After the name, the modifier is read only before "week", as the pattern is written;
                    // "lunes próximo" is the nearest Monday.
                    {"lunes próximo week", kWednesday, "lunes próximo week", nextMonday, {}},
                    {"lunes próximo", kWednesday, "lunes", {{U::weekday, 1}}, {{U::day, 11}}},
                },
                TagUnit::esWeekdayParser);
}

TEST_F(ESWeekdayParserTest, NamesAndAbbreviations) {
  expectPhrases(parser_, {
      {"el miércoles", kWednesday, "miércoles", {{U::weekday, 3}}, {{U::day, 13}}},
      {"pago (vie)", kWednesday, "(vie)", {{U::weekday, 5}}, {{U::day, 15}}},
      {"domingos", kWednesday, "", {}, {}},
      {"marte", kWednesday, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
