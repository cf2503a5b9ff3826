// The Spanish parsers, each read alone over its phrase table.
#include "zarvo/chrono/es/es_casual_date_parser.h"
#include "zarvo/chrono/es/es_deadline_format_parser.h"
#include "zarvo/chrono/es/es_month_name_little_endian_parser.h"
#include "zarvo/chrono/es/es_slash_date_format_parser.h"
#include "zarvo/chrono/es/es_time_ago_format_parser.h"
#include "zarvo/chrono/es/es_time_expression_parser.h"
#include "zarvo/chrono/es/es_weekday_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

using ESCasualDateParserTest = ParserTest<ESCasualDateParser, kMadrid>;

const Wall kRef{2024, 3, 11, 10};

TEST_F(ESCasualDateParserTest, DayWords) {
  expectPhrases(parser_,
                {
                    {"Llamar a mamá mañana", kRef, "mañana", march(12), {{U::hour, 12}}},
                    {"mañana", {2024, 3, 11, 0, 30}, "mañana", march(11), {}},
                    {"ayer", {2024, 3, 11, 0, 30}, "ayer", march(10), {}},
                    {"HOY", kRef, "HOY", march(11), {}},
                    {"ahora", {2024, 3, 11, 18, 45}, "ahora", march(11), {{U::hour, 18}, {U::minute, 45}}},
                    {"anoche", {2024, 3, 11, 23}, "anoche", march(10), {{U::hour, 0}}},
                    {"anoche", {2024, 3, 11, 5}, "anoche", march(11), {{U::hour, 0}}},
                },
                TagUnit::esCasualDateParser);
}

TEST_F(ESCasualDateParserTest, TimesOfDayImplyFixedHours) {
  expectPhrases(parser_, {
      {"esta mañana", kRef, "esta mañana", march(11), {{U::hour, 6}}},
      {"esta tarde", kRef, "esta tarde", march(11), {{U::hour, 18}}},
      {"esta noche", kRef, "esta noche", march(11), {{U::hour, 22}, {U::meridiem, 1}}},
      {"mañana por la mañana", kRef, "mañana por la mañana", march(12), {{U::hour, 9}}},
      // "mañana por la ..." is the next day even just after midnight.
      {"mañana por la tarde", {2024, 3, 11, 0, 30}, "mañana por la tarde", march(12), {{U::hour, 18}}},
      {"ayer   por la noche", kRef, "ayer   por la noche", march(10), {{U::hour, 22}, {U::meridiem, 1}}},
      {"Mañana Por La Mañana", kRef, "Mañana Por La Mañana", march(12), {{U::hour, 9}}},
  });
}

TEST_F(ESCasualDateParserTest, WordsInsideOtherWordsAreNotRead) {
  expectPhrases(parser_, {
      {"mañanas", kRef, "", {}, {}},
      {"hoyo", kRef, "", {}, {}},
      {"ahorario", kRef, "", {}, {}},
  });
}

using ESDeadlineFormatParserTest = ParserTest<ESDeadlineFormatParser, kMadrid>;

TEST_F(ESDeadlineFormatParserTest, MinutesHoursAndDays) {
  expectPhrases(parser_,
                {
                    {"dentro de media hora", kRef, "dentro de media hora",
                     {{U::hour, 10}, {U::minute, 30}, {U::second, 0}}, {{U::day, 11}}},
                    {"en 2 días", kRef, "en 2 días", march(13), {}},
                    {"en un dia", kRef, "en un dia", march(12), {}},
                    {"en medio día", kRef, "en medio día", march(11), {}},
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

using ESMonthNameLittleEndianParserTest = ParserTest<ESMonthNameLittleEndianParser, kMadrid>;

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

using ESSlashDateFormatParserTest = ParserTest<ESSlashDateFormatParser, kMadrid>;

TEST_F(ESSlashDateFormatParserTest, DayBeforeMonth) {
  expectPhrases(parser_,
                {
                    {"15/03/2024", kRef, "15/03/2024", march(15), {}},
                    {"pagar el 5/3, sin falta", kRef, "5/3,", march(5), {}},
                    {"3-12-24", kRef, "3-12-24", {{U::year, 2024}, {U::month, 12}, {U::day, 3}}, {}},
                    {"lunes 5.2.99", kRef, "lunes 5.2.99", {{U::year, 1999}, {U::month, 2}, {U::day, 5}, {U::weekday, 1}},
                     {}},
                    {"miércoles 13/03", kRef, "miércoles 13/03",
                     march(13, {{U::weekday, 3}}), {}},
                    // The first number reads at most 19: a day of the twenties is left to others.
                    {"25/12/2024", kRef, "", {}, {}},
                    {"1.5", kRef, "", {}, {}},
                    {"1/2/3", kRef, "", {}, {}},
                },
                TagUnit::esSlashDateFormatParser);
}

using ESTimeAgoFormatParserTest = ParserTest<ESTimeAgoFormatParser, kMadrid>;

TEST_F(ESTimeAgoFormatParserTest, DistancesBack) {
  expectPhrases(parser_,
                {
                    {"hace 2 días", kRef, "hace 2 días", march(9), {}},
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

using ESTimeExpressionParserTest = ParserTest<ESTimeExpressionParser, kMadrid>;

TEST_F(ESTimeExpressionParserTest, ClockTimes) {
  expectPhrases(parser_,
                {
                    {"Llamar a mamá mañana a las 5 pm", kRef, "a las 5 pm", clock(17, 0, 1), {{U::day, 11}}},
                    {"a las 5", kRef, "a las 5", clock(5, 0), {{U::meridiem, 0}}},
                    {"a la 1:30", kRef, "a la 1:30", clock(1, 30), {}},
                    {"desde 9", kRef, "desde 9", clock(9, 0), {}},
                    {"al mediodía", kRef, "al mediodía", clock(12, 0, 1), {}},
                    {"a medianoche", kRef, "a medianoche", clock(0, 0, 0), {}},
                    {"a las 25", kRef, "", {}, {}},
                },
                TagUnit::esTimeExpressionParser);
}

TEST_F(ESTimeExpressionParserTest, Ranges) {
  expectRanges(parser_, {
      {"de 9 pm a las 11 pm", kRef, "de 9 pm a las 11 pm", clock(21, 0, 1), clock(23, 0, 1)},
      {"10:00 - 12:30", kRef, "10:00 - 12:30", clock(10, 0), clock(12, 30, 1)},
  });
  // "a" after an hour without marker is itself read as the am marker (the pattern admits "A" for
  // "AM" before it tries a range), so "de 9 a 11" and "de 9 a las 11" stop at "de 9 a".
  expectPhrases(parser_, {
      {"de 9 a 11", kRef, "de 9 a", clock(9, 0, 0), {}},
      {"de 9 a las 11", kRef, "de 9 a", clock(9, 0, 0), {}},
  });
}

using ESWeekdayParserTest = ParserTest<ESWeekdayParser, kMadrid>;

// Wednesday 13 March 2024.
const Wall kWednesday{2024, 3, 13, 10};

TEST_F(ESWeekdayParserTest, Modifiers) {
  const ComponentMap nextMonday{{U::year, 2024}, {U::month, 3}, {U::day, 18}, {U::weekday, 1}};
  expectPhrases(parser_,
                {
                    {"el próximo lunes", kWednesday, "próximo lunes", nextMonday, {}},
                    {"proximo lunes", kWednesday, "proximo lunes", nextMonday, {}},
                    {"pasado viernes", kWednesday, "pasado viernes",
                     march(8, {{U::weekday, 5}}), {}},
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
