// The French parsers, each read alone over its phrase table.
#include "zarvo/chrono/fr/fr_casual_date_parser.h"
#include "zarvo/chrono/fr/fr_deadline_format_parser.h"
#include "zarvo/chrono/fr/fr_month_name_little_endian_parser.h"
#include "zarvo/chrono/fr/fr_slash_date_format_parser.h"
#include "zarvo/chrono/fr/fr_time_ago_format_parser.h"
#include "zarvo/chrono/fr/fr_time_expression_parser.h"
#include "zarvo/chrono/fr/fr_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

using FRCasualDateParserTest = ParserTest<FRCasualDateParser, kParis>;

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

class FRDeadlineFormatParserTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Paris"};
  FRDeadlineFormatParser casual_{false};
  FRDeadlineFormatParser strict_{true};
};

TEST_F(FRDeadlineFormatParserTest, DistancesAhead) {
  expectPhrases(casual_,
                {
                    {"dans une semaine", kRef, "dans une semaine", march(18), {}},
                    {"dans 3 jours", kRef, "dans 3 jours", march(14), {}},
                    {"en deux heures", kRef, "en deux heures", {{U::hour, 12}, {U::minute, 0}, {U::second, 0}}, {}},
                    {"dans un mois", kRef, "dans un mois", dayWith(2024, 4, 11), {}},
                    {"dans treize ans", kRef, "", {}, {}},
                    {"dans 2 années", kRef, "dans 2 années", dayWith(2026, 3, 11), {}},
                    {"dans 5 min", kRef, "dans 5 min", {{U::hour, 10}, {U::minute, 5}, {U::second, 0}}, {}},
                    {"dans 30 secondes", kRef, "dans 30 secondes", {{U::hour, 10}, {U::minute, 0}, {U::second, 30}}, {}},
                    // "quelques" counts three, as the English "few"; "demi" is half a unit.
                    {"dans quelques jours", kRef, "dans quelques jours", march(14), {}},
                    {"dans demi heure", kRef, "dans demi heure", {{U::hour, 10}, {U::minute, 30}, {U::second, 0}}, {}},
                    {"dans jours", kRef, "", {}, {}},
                },
                TagUnit::frDeadlineFormatParser);
}

TEST_F(FRDeadlineFormatParserTest, StrictAdmitsOnlyNumbersAndShortUnits) {
  expectPhrases(strict_, {
      {"dans 3 jours", kRef, "dans 3 jours", march(14), {}},
      {"dans un jour", kRef, "dans un jour", march(12), {}},
      {"dans une semaine", kRef, "", {}, {}},
      {"dans quelques jours", kRef, "", {}, {}},
      {"dans 2 mois", kRef, "", {}, {}},
  });
}

using FRMonthNameLittleEndianParserTest = ParserTest<FRMonthNameLittleEndianParser, kParis>;

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

using FRSlashDateFormatParserTest = ParserTest<FRSlashDateFormatParser, kParis>;

TEST_F(FRSlashDateFormatParserTest, DayBeforeMonth) {
  expectPhrases(parser_,
                {
                    {"15/03/2024", kRef, "15/03/2024", march(15), {}},
                    {"25/12/2024", kRef, "25/12/2024", {{U::year, 2024}, {U::month, 12}, {U::day, 25}}, {}},
                    // "le" names no weekday.
                    {"le 5/3", kRef, "le 5/3", march(5), {}},
                    {"vendredi 15.03.24", kRef, "vendredi 15.03.24",
                     march(15, {{U::weekday, 5}}), {}},
                    {"1.5", kRef, "", {}, {}},
                },
                TagUnit::frSlashDateFormatParser);
}

using FRTimeAgoFormatParserTest = ParserTest<FRTimeAgoFormatParser, kParis>;

TEST_F(FRTimeAgoFormatParserTest, DistancesBack) {
  expectPhrases(parser_,
                {
                    {"il y a 3 heures", kRef, "il y a 3 heures", {{U::hour, 7}, {U::minute, 0}, {U::second, 0}}, {}},
                    {"il y a une semaine", kRef, "il y a une semaine", {}, {{U::day, 4}, {U::weekday, 1}}},
                    {"il y a 2 jours", kRef, "il y a 2 jours", march(9), {}},
                    {"il y a un mois", kRef, "il y a un mois", {{U::year, 2024}, {U::month, 2}, {U::day, 11}}, {}},
                    {"il y a 5 ans", kRef, "il y a 5 ans", {{U::year, 2019}, {U::month, 3}, {U::day, 11}}, {}},
                    {"il y a 2 années", kRef, "il y a 2 années", {{U::year, 2022}, {U::month, 3}, {U::day, 11}}, {}},
                    {"il y a 10 minutes", kRef, "il y a 10 minutes", {{U::hour, 9}, {U::minute, 50}, {U::second, 0}}, {}},
                    {"il y a longtemps", kRef, "", {}, {}},
                },
                TagUnit::frTimeAgoFormatParser);
}

using FRTimeExpressionParserTest = ParserTest<FRTimeExpressionParser, kParis>;

TEST_F(FRTimeExpressionParserTest, ClockTimes) {
  expectPhrases(parser_,
                {
                    {"Rendez-vous demain à 9h", kRef, "à 9h", clock(9, 0), {{U::meridiem, 0}}},
                    {"14h30", kRef, "14h30", clock(14, 30, 1), {}},
                    {"9H", kRef, "9H", clock(9, 0), {}},
                    {"à 17h", kRef, "à 17h", clock(17, 0, 1), {}},
                    {"a 8:15", kRef, "a 8:15", clock(8, 15), {}},
                    {"14h30m15s", kRef, "14h30m15s", {{U::hour, 14}, {U::minute, 30}, {U::second, 15}, {U::meridiem, 1}},
                     {}},
                    {"à midi", kRef, "à midi", clock(12, 0, 1), {}},
                    {"minuit", kRef, "minuit", clock(0, 0, 0), {}},
                    {"25h", kRef, "", {}, {}},
                    {"9h75", kRef, "", {}, {}},
                },
                TagUnit::frTimeExpressionParser);
}

TEST_F(FRTimeExpressionParserTest, Ranges) {
  expectRanges(parser_, {
      {"de 9h à 11h", kRef, "9h à 11h", clock(9, 0), clock(11, 0)},
      {"14h - 16h30", kRef, "14h - 16h30", clock(14, 0, 1), clock(16, 30, 1)},
  });
}

using FRWeekdayParserTest = ParserTest<FRWeekdayParser, kParis>;

// Wednesday 13 March 2024.
const Wall kWednesday{2024, 3, 13, 10};

TEST_F(FRWeekdayParserTest, Modifiers) {
  expectPhrases(parser_,
                {
                    {"lundi prochain", kWednesday, "lundi prochain",
                     march(18, {{U::weekday, 1}}), {}},
                    {"vendredi dernier", kWednesday, "vendredi dernier",
                     march(8, {{U::weekday, 5}}), {}},
                    {"ce lundi", kWednesday, "ce lundi", {{U::weekday, 1}}, {{U::day, 11}}},
                    {"réunion samedi", kWednesday, "samedi", {{U::weekday, 6}}, {{U::day, 16}}},
                    {"(mer)", kWednesday, "(mer)", {{U::weekday, 3}}, {{U::day, 13}}},
                },
                TagUnit::frWeekdayParser);
}

TEST_F(FRWeekdayParserTest, TheNameMustFollowABlank) {
  expectPhrases(parser_, {
      {"l'lundi", kWednesday, "", {}, {}},
      {"samedis", kWednesday, "", {}, {}},
      {"mercredie", kWednesday, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
