#include "zarvo/chrono/en/en_slash_date_format_start_with_year_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

TEST(ENSlashDateFormatStartWithYearParserTest, YearMonthDay) {
  ScopedTimeZone zone("Europe/Berlin");
  ENSlashDateFormatStartWithYearParser parser(false);
  expectPhrases(parser, {
      {"2024/3/12", {2023, 1, 1}, "2024/3/12", {{U::year, 2024}, {U::month, 3}, {U::day, 12}}, {{U::hour, 12}}},
      {"on 2024.02.29!", {2023, 1, 1}, "2024.02.29", {{U::year, 2024}, {U::month, 2}, {U::day, 29}}, {}},
      {"2024-12-31", {2023, 1, 1}, "2024-12-31", {{U::year, 2024}, {U::month, 12}, {U::day, 31}}, {}},
      {"2024/13/12", {2023, 1, 1}, "", {}, {}},
      {"2024/0/12", {2023, 1, 1}, "", {}, {}},
      {"2024/3/32", {2023, 1, 1}, "", {}, {}},
      {"12024/3/12", {2023, 1, 1}, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
