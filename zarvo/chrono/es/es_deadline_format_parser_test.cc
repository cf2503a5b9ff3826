#include "zarvo/chrono/es/es_deadline_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class ESDeadlineFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Madrid"};
  ESDeadlineFormatParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(ESDeadlineFormatParserTest, MinutesHoursAndDays) {
  expectPhrases(parser_,
                {
                    {"dentro de media hora", kRef, "dentro de media hora",
                     {{U::hour, 10}, {U::minute, 30}, {U::second, 0}}, {{U::day, 11}}},
                    {"en 2 días", kRef, "en 2 días", {{U::year, 2024}, {U::month, 3}, {U::day, 13}}, {}},
                    {"en un dia", kRef, "en un dia", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {}},
                    {"en medio día", kRef, "en medio día", {{U::year, 2024}, {U::month, 3}, {U::day, 11}}, {}},
                    {"dentro de una hora", kRef, "dentro de una hora", {{U::hour, 11}, {U::minute, 0}, {U::second, 0}},
                     {}},
                    {"en 10 minutos", {2024, 3, 11, 23, 55}, "en 10 minutos",
                     {{U::hour, 0}, {U::minute, 5}, {U::second, 0}}, {{U::day, 12}}},
                },
                TagUnit::esDeadlineFormatParser);
}

TEST_F(ESDeadlineFormatParserTest, OtherUnitsAreNotRead) {
  expectPhrases(parser_, {
      {"en 2 semanas", kRef, "", {}, {}},
      {"en 3 meses", kRef, "", {}, {}},
      {"en casa", kRef, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
