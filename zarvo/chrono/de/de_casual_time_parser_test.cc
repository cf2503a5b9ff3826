#include "zarvo/chrono/de/de_casual_time_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class DECasualTimeParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  DECasualTimeParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(DECasualTimeParserTest, PartsOfTheDayImplyTheirHours) {
  expectPhrases(parser_,
                {
                    {"heute Abend", kRef, "heute Abend", {}, {{U::day, 11}, {U::hour, 18}, {U::meridiem, 1}}},
                    {"Kino diesen Nachmittag", kRef, "diesen Nachmittag", {}, {{U::hour, 15}, {U::meridiem, 1}}},
                    // The word is compared in lower case, whatever the pattern matched.
                    {"Heute Früh", kRef, "Heute Früh", {}, {{U::hour, 6}}},
                    {"MITTAG", kRef, "MITTAG", {}, {{U::hour, 12}}},
                    {"Abend", kRef, "Abend", {}, {{U::hour, 18}}},
                },
                TagUnit::deCasualTimeParser);
  // Morning and noon state no half of the day.
  const auto results = parser_.execute(u"heute früh", kRef.date(), {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_FALSE(results[0].start()[U::meridiem].has_value());
}

TEST_F(DECasualTimeParserTest, OptionsChooseTheHours) {
  const Options opt{{OptionType::morning, 7}, {OptionType::afternoon, 14}, {OptionType::evening, 19},
                    {OptionType::noon, 13}};
  expectPhrases(parser_,
                {
                    {"heute früh", kRef, "heute früh", {}, {{U::hour, 7}}},
                    {"nachmittag", kRef, "nachmittag", {}, {{U::hour, 14}}},
                    {"heute abend", kRef, "heute abend", {}, {{U::hour, 19}}},
                    {"mittag", kRef, "mittag", {}, {{U::hour, 13}}},
                },
                std::nullopt, opt);
}

}  // namespace
}  // namespace zarvo::chrono
