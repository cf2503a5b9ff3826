#include "zarvo/chrono/zh/zh_words.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono::zh {
namespace {

using namespace zarvo::chrono::testing;

TEST(ZHWordsTest, ReadsNumeralsYearsAndNumbers) {
  struct Row {
    const char16_t* text;
    std::optional<int64_t> numeral;
    std::optional<int64_t> number;
    std::optional<int64_t> year;
  };
  const Row rows[] = {
      {u"十", 10, 10, 10},
      {u"十二", 12, 12, 102},
      {u"二十", 20, 20, 210},
      {u"二十三", 23, 23, 2103},
      {u"廿五", 25, 25, 205},
      {u"卅", 30, 30, 30},
      {u"三十", 30, 30, 310},
      {u"两", 2, 2, 2},
      {u"兩點", std::nullopt, std::nullopt, std::nullopt},
      {u"零五", 5, 5, 5},
      {u"二零一六", 9, 9, 2016},
      {u"2016", std::nullopt, 2016, 2016},
      // Digits of other scripts match "\d" in the patterns but are neither digits nor numerals here.
      {u"２０１６", std::nullopt, std::nullopt, std::nullopt},
      {u"١٢", std::nullopt, std::nullopt, std::nullopt},
      {u"一百", std::nullopt, std::nullopt, std::nullopt},
      {u"", std::nullopt, std::nullopt, std::nullopt},
      // Values beyond 64 bits do not read rather than wrap.
      {u"十十十十十十十十十十十十十十十十十十十十", std::nullopt, std::nullopt, std::nullopt},
      {u"99999999999999999999", std::nullopt, std::nullopt, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::toUtf8(row.text));
    EXPECT_EQ(readNumeral(row.text), row.numeral);
    EXPECT_EQ(readNumber(row.text), row.number);
    EXPECT_EQ(readYear(row.text), row.year);
  }
}

TEST(ZHWordsTest, DayCharactersNameDaysFromTheReference) {
  ScopedTimeZone zone("Asia/Taipei");
  struct Row {
    const char16_t* character;
    LocalTime ref;
    std::optional<LocalTime> day;  // the wall-clock date expected (time of day as the reference's)
  };
  const Row rows[] = {
      {u"今", {2024, 3, 11, 10, 0}, LocalTime{2024, 3, 11, 10, 0}},
      {u"明", {2024, 3, 11, 10, 0}, LocalTime{2024, 3, 12, 10, 0}},
      {u"聽", {2024, 2, 29, 23, 0}, LocalTime{2024, 3, 1, 23, 0}},
      // Until 02:00 "tomorrow" is still the day that has just begun.
      {u"明", {2024, 3, 11, 1, 59}, LocalTime{2024, 3, 11, 1, 59}},
      {u"明", {2024, 3, 11, 2, 0}, LocalTime{2024, 3, 12, 2, 0}},
      {u"昨", {2024, 3, 1, 10, 0}, LocalTime{2024, 2, 29, 10, 0}},
      {u"尋", {2024, 3, 11, 0, 30}, LocalTime{2024, 3, 10, 0, 30}},
      {u"琴", {2024, 1, 1, 10, 0}, LocalTime{2023, 12, 31, 10, 0}},
      {u"後", {2024, 3, 11, 10, 0}, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::toUtf8(row.character));
    const std::optional<Date> day = dayNamed(row.character, row.ref.in());
    ASSERT_EQ(day.has_value(), row.day.has_value());
    if (day) {
      EXPECT_EQ(iso(*day), iso(row.day->in()));
    }
  }
}

}  // namespace
}  // namespace zarvo::chrono::zh
