#include "zarvo/chrono/zh/zh_words.h"

#include <gtest/gtest.h>

#include "zarvo/platform/text.h"

namespace zarvo::chrono::zh {
namespace {

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
      {u"二十三", 23, 23, 2103},
      {u"廿五", 25, 25, 205},
      {u"三十", 30, 30, 310},
      {u"两", 2, 2, 2},
      {u"兩點", std::nullopt, std::nullopt, std::nullopt},
      {u"零五", 5, 5, 5},
      {u"二零一六", 9, 9, 2016},
      {u"2016", std::nullopt, 2016, 2016},
      // Digits of other scripts match "\d" in the patterns but are neither digits nor numerals here.
      {u"２０１６", std::nullopt, std::nullopt, std::nullopt},
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

}  // namespace
}  // namespace zarvo::chrono::zh
