#include "zarvo/chrono/es/es_time_ago_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ESTimeAgoFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Madrid"};
  ESTimeAgoFormatParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(ESTimeAgoFormatParserTest, DistancesBack) {
  expectPhrases(parser_,
                {
                    {"hace 2 días", kRef, "hace 2 días", {{U::year, 2024}, {U::month, 3}, {U::day, 9}}, {}},
                    {"hace una hora", kRef, "hace una hora", {{U::hour, 9}, {U::minute, 0}, {U::second, 0}}, {}},
                    {"hace media hora", kRef, "hace media hora", {{U::hour, 9}, {U::minute, 30}, {U::second, 0}}, {}},
                    {"hace 5 minutos", kRef, "hace 5 minutos", {{U::hour, 9}, {U::minute, 55}, {U::second, 0}}, {}},
                    {"hace 3 semanas", kRef, "hace 3 semanas", {}, {{U::month, 2}, {U::day, 19}, {U::weekday, 1}}},
                    {"hace un mes", kRef, "hace un mes", {{U::year, 2024}, {U::month, 2}, {U::day, 11}}, {}},
                    {"hace 2 meses", kRef, "hace 2 meses", {{U::year, 2024}, {U::month, 1}, {U::day, 11}}, {}},
                    {"hace 2 años", kRef, "hace 2 años", {{U::year, 2022}, {U::month, 3}, {U::day, 11}}, {}},
                },
                TagUnit::esTimeAgoFormatParser);
}

TEST_F(ESTimeAgoFormatParserTest, NotDistances) {
  expectPhrases(parser_, {
      {"hace frío", kRef, "", {}, {}},
      {"hace 2 mesas", kRef, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
