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
  // A right-to-left override would show "Pay 001$ to gpj.exe" reversed; isolates likewise.
  EXPECT_EQ(shownText("Pay \u202Eexe.jpg"), "Pay \\u202Eexe.jpg");
  EXPECT_EQ(shownText("a\u202Ab\u2066c\u2069"), "a\\u202Ab\\u2066c\\u2069");
  // Right-to-left text, marks, dashes and quotes are no controls.
  EXPECT_EQ(shownText("שלום \u200F–\u201Cok\u201D\u2026"), "שלום \u200F–\u201Cok\u201D\u2026");
}

TEST(TerminalTextTest, ColourIsAChoice) { EXPECT_THROW(useColour("sometimes"), UsageError); }

}  // namespace
}  // namespace zarvo::app
