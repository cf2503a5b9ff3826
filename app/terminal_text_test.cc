#include "app/terminal_text.h"

#include <gtest/gtest.h>

#include "app/command_error.h"

namespace zarvo::app {
namespace {

TEST(TerminalTextTest, ControlCharactersAreShownEscaped) {
  EXPECT_EQ(shownText("Buy\nmilk\tnow\r"), "Buy\\nmilk\\tnow\\r");
  EXPECT_EQ(shownText("\x1b[31mred\x7f"), "\\x1B[31mred\\x7F");
  EXPECT_EQ(shownText("next\xC2\x85line\u2028sep"), "next\\u0085line\\u2028sep");
  EXPECT_EQ(shownText("Café 明日 👍 ✓"), "Café 明日 👍 ✓");
  // Each kind alone in a title, so none hides behind another.
  EXPECT_EQ(shownText("a\u2029b"), "a\\u2029b");
  EXPECT_EQ(shownText("a\xC2\x9B" "b"), "a\\u009Bb");
  EXPECT_EQ(shownText("a\x7F"), "a\\x7F");
}

TEST(TerminalTextTest, WithoutColourMarksSurviveAPipe) {
  EXPECT_EQ(paint("late", platform::Colour::systemRed(), false), "late");
  EXPECT_EQ(highlight("tomorrow", false), "[tomorrow]");
  EXPECT_THROW(useColour("sometimes"), UsageError);
}

}  // namespace
}  // namespace zarvo::app
