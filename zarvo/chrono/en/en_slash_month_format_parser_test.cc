#include "zarvo/chrono/en/en_slash_month_format_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/phrase_test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

TEST(ENSlashMonthFormatParserTest, MonthAndYear) {
  ScopedTimeZone zone("Europe/Berlin");
  ENSlashMonthFormatParser parser(false);
  expectPhrases(parser, {
      {"3/2024", {2023, 5, 20}, "3/2024", {{U::year, 2024}, {U::month, 3}}, {{U::day, 1}}},
      {"due 12/2023.", {2024, 5, 20}, "12/2023", {{U::year, 2023}, {U::month, 12}}, {{U::day, 1}}},
      {"(09/2024)", {2024, 5, 20}, "09/2024", {{U::year, 2024}, {U::month, 9}}, {{U::day, 1}}},
      {"13/2024", {2024, 5, 20}, "", {}, {}},
      {"3/20245", {2024, 5, 20}, "", {}, {}},
      {"3/2024/1", {2024, 5, 20}, "", {}, {}},
      {"12 3/2024", {2024, 5, 20}, "", {}, {}},
  });
}

}  // namespace
}  // namespace zarvo::chrono
