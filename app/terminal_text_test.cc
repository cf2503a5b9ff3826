#include "app/terminal_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

// Text between escapes is copied in runs: the runs before, between and after them, and a cut-off
// lead byte at the end, come out whole and in order, after what the string held.
TEST(TerminalTextTest, AppendingCopiesTheRunsBetweenEscapes) {
  std::string out = "kept|";
  appendShownText(out, "\nstart ⚑ flag\x1b[0m mid \u202E end\t");
  appendShownText(out, "");
  appendShownText(out, "cut \xE2\x80");
  appendShownText(out, "|\xC2");
  EXPECT_EQ(out, "kept|\\nstart ⚑ flag\\x1B[0m mid \\u202E end\\tcut \xE2\x80|\xC2");
}

// Long text is searched sixteen bytes at a time: every kind of control is found at every place in
// and across those words, and the bytes next to them in value are left alone.
TEST(TerminalTextTest, EveryControlIsFoundWhereverItStands) {
  const std::pair<std::string, std::string> kinds[] = {
      {"\x01", "\\x01"}, {"\x1f", "\\x1F"}, {"\x7f", "\\x7F"}, {"\n", "\\n"},
      {"\xC2\x85", "\\u0085"}, {"\xE2\x80\xAE", "\\u202E"}, {"\xE2\x80\xA8", "\\u2028"}};
  const std::string harmless = " ~\xC3\xA9\xE3\x81\x82\xC2\xA3\xE2\x9A\x91";  // space, ~, é, あ, £, ⚑
  for (const auto& [raw, escaped] : kinds) {
    for (size_t at = 0; at < 40; ++at) {
      const std::string before(at, 'a'), after = "bbbbbbbbb" + harmless;
      EXPECT_EQ(shownText(before + raw + after), before + escaped + after) << "at " << at << ": " << escaped;
    }
  }
  const std::string plain = "0123456789abcdef" + harmless + harmless + "!";
  EXPECT_EQ(shownText(plain), plain);
}

TEST(TerminalTextTest, ColourIsAChoice) { EXPECT_THROW(useColour("sometimes"), UsageError); }

}  // namespace
}  // namespace zarvo::app
