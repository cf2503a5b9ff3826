#include "zarvo/chrono/fr/fr_casual_date_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class FRCasualDateParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Paris"};
  FRCasualDateParser parser_{false};
};

const Wall kRef{2024, 3, 11, 10};

TEST_F(FRCasualDateParserTest, DayWords) {
  expectPhrases(parser_,
                {
                    {"Appeler le garage demain", kRef, "demain", march(12), {{U::hour, 12}}},
                    {"demain", {2024, 3, 11, 1, 0}, "demain", march(11), {}},
                    {"hier", {2024, 3, 11, 0, 30}, "hier", march(10), {}},
                    {"aujourd'hui", kRef, "aujourd'hui", march(11), {{U::hour, 12}}},
                    {"ajd", kRef, "ajd", march(11), {}},
                    {"maintenant", {2024, 3, 11, 18, 45}, "maintenant", march(11), {{U::hour, 18}, {U::minute, 45}}},
                },
                TagUnit::frCasualDateParser);
}

TEST_F(FRCasualDateParserTest, TimesOfDayImplyFixedHours) {
  expectPhrases(parser_, {
      {"demain matin", kRef, "demain matin", march(12), {{U::hour, 8}}},
      {"hier soir", kRef, "hier soir", march(10), {{U::hour, 18}}},
      {"demain après-midi", kRef, "demain après-midi", march(12), {{U::hour, 14}}},
      {"cet aprem", kRef, "cet aprem", march(11), {{U::hour, 14}}},
      {"ce soir", kRef, "ce soir", march(11), {{U::hour, 18}}},
      {"Ce Matin", kRef, "Ce Matin", march(11), {{U::hour, 8}}},
      {"cette nuit", kRef, "cette nuit", march(11), {{U::hour, 22}, {U::meridiem, 1}}},
      {"la veille", {2024, 3, 11, 8}, "la veille", march(10), {{U::hour, 0}}},
      {"la veille", {2024, 3, 11, 5}, "la veille", march(11), {{U::hour, 0}}},
  });
}

TEST_F(FRCasualDateParserTest, WordsInsideOtherWordsAreNotRead) {
  expectPhrases(parser_, {
      {"lendemain", kRef, "", {}, {}},
      {"hiers", kRef, "", {}, {}},
      {"ce soirée", kRef, "", {}, {}},
  });
}

// "Maintenant" takes the reference's millisecond as it stands: 10:15:30.250999 implies 250, not 251.
TEST(FRCasualDateParserNowTest, KeepsTheReferenceMillisecond) {
  ScopedTimeZone zone("UTC");
  const Date ref = localDate(2024, 3, 11, 10, 15, 30, 250) + std::chrono::microseconds(999);
  const auto results = FRCasualDateParser(false).execute(u"maintenant", ref, {});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].start().impliedValues().get(U::millisecond), 250);
}

}  // namespace
}  // namespace zarvo::chrono
