#include "app/task_view.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>

namespace zarvo::app {
namespace {

TEST(TaskViewTest, DisplayWidthCountsTerminalColumns) {
  EXPECT_EQ(displayWidth("Call mom"), 8u);
  EXPECT_EQ(displayWidth("caf\xC3\xA9"), 4u);          // é precomposed
  EXPECT_EQ(displayWidth("cafe\xCC\x81"), 4u);         // e + combining acute
  EXPECT_EQ(displayWidth("\xE6\x97\xA5\xE6\x9C\xAC"), 4u);  // 日本: two wide characters
  EXPECT_EQ(displayWidth("\xEF\xBC\xA1"), 2u);         // fullwidth A
  EXPECT_EQ(displayWidth("a\xFF" "b"), 3u);            // an invalid byte still takes a column
}

}  // namespace
// The table pads dates and times with platform::appendZeroPadded: it writes what fmt's "{:0N}"
// writes, for every width and sign of value.
TEST(TaskViewTest, ZeroPaddingAgreesWithFmt) {
  for (const int64_t value : {int64_t{0}, int64_t{7}, int64_t{10}, int64_t{99}, int64_t{100}, int64_t{2024},
                              int64_t{123456789}, INT64_MAX, int64_t{-3}, int64_t{-2024}, INT64_MIN}) {
    for (const int digits : {1, 2, 4}) {
      std::string out = "x", expected = "x";
      platform::appendZeroPadded(out, value, digits);
      fmt::format_to(std::back_inserter(expected), "{:0{}}", value, digits);
      EXPECT_EQ(out, expected) << value << " in " << digits;
    }
  }
}

}  // namespace zarvo::app
