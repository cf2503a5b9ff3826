#include "zarvo/chrono/es/es_month_name_little_endian_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ESMonthNameLittleEndianParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Madrid"};
  ESMonthNameLittleEndianParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(ESMonthNameLittleEndianParserTest, DayAndMonthWithAndWithoutYear) {
  expectPhrases(parser_,
                {
                    {"3 de mayo 24", kRef, "3 de mayo 24", {{U::year, 2024}, {U::month, 5}, {U::day, 3}}, {}},
                    {"cita el 3 de mayo de 2025", kRef, "3 de mayo de 2025",
                     {{U::year, 2025}, {U::month, 5}, {U::day, 3}}, {}},
                    {"3 de mayo", kRef, "3 de mayo", {{U::month, 5}, {U::day, 3}}, {{U::year, 2024}}},
                    {"1º de ene.", kRef, "1º de ene.", {{U::month, 1}, {U::day, 1}}, {{U::year, 2024}}},
                    {"20 dic", {2025, 1, 10}, "20 dic", {{U::month, 12}, {U::day, 20}}, {{U::year, 2024}}},
                    {"Miércoles 13 de marzo", kRef, "Miércoles 13 de marzo",
                     {{U::month, 3}, {U::day, 13}, {U::weekday, 3}}, {}},
                    {"sab, 16 mar", kRef, "sab, 16 mar", {{U::month, 3}, {U::day, 16}, {U::weekday, 6}}, {}},
                    {"5 de mayo 5", kRef, "5 de mayo 5", {{U::year, 2005}, {U::month, 5}, {U::day, 5}}, {}},
                    {"15 de marzo 44 a.C.", kRef, "15 de marzo 44 a.C.", {{U::year, -44}, {U::month, 3}, {U::day, 15}},
                     {}},
                    {"15 de marzo 44 d.C.", kRef, "15 de marzo 44 d.C.", {{U::year, 44}, {U::month, 3}, {U::day, 15}},
                     {}},
                    {"3 de mayonesa", kRef, "", {}, {}},
                },
                TagUnit::esMonthNameLittleEndianParser);
}

TEST_F(ESMonthNameLittleEndianParserTest, RangesWithinAMonth) {
  expectRanges(parser_, {
      {"del 3 al 5 de mayo", kRef, "3 al 5 de mayo", {{U::month, 5}, {U::day, 3}}, {{U::month, 5}, {U::day, 5}}},
      {"10-12 junio 2024", kRef, "10-12 junio 2024", {{U::year, 2024}, {U::month, 6}, {U::day, 10}},
       {{U::year, 2024}, {U::month, 6}, {U::day, 12}}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
