// Regression tests: searching, list titles and the start of a day behave the same for everyone.
#include <gtest/gtest.h>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/platform/text_compare.h"
#include "zarvo/testing/scoped_locale.h"

namespace zarvo::platform {
namespace {

using testing::ScopedLocale;

TEST(SearchFidelityTest, CaseAndDiacriticsAreIgnoredInEveryLocale) {
  // Languages whose collation makes "ö" a letter of its own, and the POSIX locale, which collates
  // byte by byte.
  for (const char* locale : {"en_US", "sv_SE", "da_DK", "fi_FI", "nb_NO", "tr_TR", "de_DE", "en_US_POSIX"}) {
    ScopedLocale scoped(locale);
    EXPECT_TRUE(localizedStandardContains("Köp mjölk", "kop")) << locale;
    EXPECT_TRUE(localizedStandardContains("kop mjolk", "KÖP")) << locale;
    EXPECT_TRUE(localizedStandardContains("Bär", "bar")) << locale;
    EXPECT_TRUE(localizedStandardContains("Cafe\u0301", "CAFÉ")) << locale;
    EXPECT_FALSE(localizedStandardContains("Köp", "kap")) << locale;
  }
}

TEST(SearchFidelityTest, TitlesDifferingOnlyInNormalisationAreEqualIgnoringCase) {
  EXPECT_TRUE(equalsIgnoringCase(std::string_view("Caf\u00e9"), std::string_view("cafe\u0301")));
  EXPECT_TRUE(equalsIgnoringCase(std::string_view("CAFE\u0301"), std::string_view("caf\u00e9")));
  EXPECT_FALSE(equalsIgnoringCase(std::string_view("Cafe"), std::string_view("Caf\u00e9")));
}

TEST(DayStartFidelityTest, WhereMidnightRepeatsTheDayStartsAtTheFirst) {
  // Havana goes back from 01:00 to 00:00 on 2024-11-03: 00:00 CDT (04:00 UTC), then 00:00 CST.
  auto havana = DateCalendar::inZone("America/Havana");
  ASSERT_TRUE(havana);
  const Date noon = Date(std::chrono::sys_days(std::chrono::year(2024) / 11 / 3)) + std::chrono::hours(17);
  EXPECT_EQ(havana->startOfDay(noon),
            Date(std::chrono::sys_days(std::chrono::year(2024) / 11 / 3)) + std::chrono::hours(4));
  // Where midnight is skipped the day starts at the first instant it has (São Paulo, 2018-11-04).
  auto saoPaulo = DateCalendar::inZone("America/Sao_Paulo");
  ASSERT_TRUE(saoPaulo);
  const Date day = Date(std::chrono::sys_days(std::chrono::year(2018) / 11 / 4)) + std::chrono::hours(15);
  EXPECT_EQ(saoPaulo->startOfDay(day), Date(std::chrono::sys_days(std::chrono::year(2018) / 11 / 4)) + std::chrono::hours(3));
}

}  // namespace
}  // namespace zarvo::platform
