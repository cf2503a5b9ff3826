#include "zarvo/platform/text.h"

#include <gtest/gtest.h>

namespace zarvo::platform {
namespace {

TEST(TextTest, Utf8RoundTripAndInvalidInput) {
  EXPECT_EQ(toUtf16("Grüße 😀"), std::u16string(u"Grüße 😀"));
  EXPECT_EQ(toUtf8(u"Grüße 😀"), "Grüße 😀");
  EXPECT_FALSE(toUtf16("\xff\xfe"));
  EXPECT_FALSE(toUtf16("ab\xc3"));  // truncated sequence
  EXPECT_EQ(utf16("a\xff"), std::u16string(u"a\uFFFD"));
}

TEST(TextTest, ToIntAcceptsOnlyAsciiDecimal) {
  struct Row { std::u16string in; std::optional<int64_t> out; };
  const Row rows[] = {
      {u"42", 42}, {u"-7", -7}, {u"+5", 5}, {u"007", 7},
      {u"", std::nullopt}, {u"-", std::nullopt}, {u" 5", std::nullopt}, {u"5a", std::nullopt},
      {u"\u0661\u0662", std::nullopt},  // Arabic-Indic digits do not convert
      {u"９", std::nullopt},            // full-width digit
      {u"9223372036854775807", INT64_MAX}, {u"9223372036854775808", std::nullopt},
      {u"-9223372036854775808", INT64_MIN},
  };
  for (const auto& r : rows) EXPECT_EQ(toInt(std::u16string_view(r.in)), r.out) << toUtf8(r.in);
}

TEST(TextTest, ToDouble) {
  EXPECT_EQ(toDouble(u"1.5"), 1.5);
  EXPECT_EQ(toDouble(u"3"), 3.0);
  EXPECT_FALSE(toDouble(u"1.2.3"));
  EXPECT_FALSE(toDouble(u"."));
  EXPECT_FALSE(toDouble(u"-1"));
}

TEST(TextTest, CaseAndSpace) {
  EXPECT_EQ(lowercased(std::u16string_view(u"ÄRGER Straße")), u"ärger straße");
  EXPECT_EQ(trimmed(std::u16string_view(u"\u00a0 hi there \t")), u"hi there");
  EXPECT_EQ(withoutWhitespace(u"1 5\t"), u"15");
  EXPECT_TRUE(equalsIgnoringCase(std::string_view("WORK"), std::string_view("work")));
  EXPECT_TRUE(equalsIgnoringCase(std::u16string_view(u"STRASSE"), std::u16string_view(u"straße")));
}

TEST(TextTest, SubstringClips) {
  std::u16string s = u"hello";
  EXPECT_EQ(substring(s, 1, 3), u"ell");
  EXPECT_EQ(substring(s, 3, 10), u"lo");
  EXPECT_EQ(substring(s, -2, 4), u"he");
  EXPECT_EQ(substring(s, 9, 1), u"");
}

}  // namespace
}  // namespace zarvo::platform

namespace zarvo::platform {
namespace {

TEST(TextTest, DisplayWidthCountsTerminalColumnsPerGraphemeCluster) {
  struct Row {
    const char* text;
    size_t columns;
  };
  const Row rows[] = {
      {"", 0},
      {"Buy milk", 8},
      {"明日 歯医者", 11},             // kanji and kana are wide
      {"下星期一 交報告", 15},
      {"한국어", 6},                    // precomposed hangul
      {"\u1100\u1161\u11A8", 2},        // the same syllable as conjoining jamo: one cluster
      {"ｱｲｳ", 3},                       // half-width katakana
      {"ＡＢ", 4},                      // full-width Latin
      {"Cafe\u0301", 4},                // e + combining acute: one cluster
      {"\u0301", 0},                    // a combining mark alone
      {"a\u200Bb", 2},                  // zero-width space
      {"\uFEFFx", 1},                   // byte-order mark
      {"tab\there", 7},                 // a control character takes no column of its own
      {"😀", 2},
      {"👍🏽", 2},                      // emoji with a skin-tone modifier
      {"👨‍👩‍👧", 2},                     // ZWJ family
      {"🏳️‍🌈", 2},                      // flag built with U+FE0F and ZWJ
      {"🇯🇵", 2},                       // regional-indicator pair
      {"❤️", 2},                        // text-default heart with the emoji selector
      {"❤", 1},                         // ...and without it
      {"☎\uFE0E", 1},                   // text selector
      {"1️⃣", 2},                       // keycap
      {"✓ ⚑", 3},                       // narrow symbols the task table uses
      {"±", 1},                         // East Asian Ambiguous counts narrow
      {"Call 媽媽 明天 5pm 👍", 21},
      {"\xff" "a", 2},                  // ill-formed UTF-8: one column per replaced sequence
  };
  for (const Row& row : rows) {
    EXPECT_EQ(displayWidth(row.text), row.columns) << '"' << row.text << '"';
  }
}

// Cuts never split a cluster, and the result with its ellipsis never exceeds the width.
TEST(TextTest, TruncatedToWidthCutsWholeClusters) {
  struct Row {
    const char* text;
    size_t width;
    const char* cut;
  };
  for (const Row& row : {
           Row{"Buy milk", 8, "Buy milk"},
           Row{"Buy milk", 7, "Buy mi…"},
           Row{"明日 歯医者", 6, "明日 …"},
           Row{"明日 歯医者", 5, "明日…"},
           Row{"明日歯医者", 4, "明…"},  // a wide character that would end past the width goes
           Row{"Cafe\u0301 au lait", 5, "Cafe\u0301…"},
           Row{"👨‍👩‍👧 family", 4, "👨‍👩‍👧 …"},
           Row{"👨‍👩‍👧 family", 2, "…"},
           Row{"abc", 1, "…"},
           Row{"abc", 0, ""},
       }) {
    const std::string cut = truncatedToWidth(row.text, row.width);
    EXPECT_EQ(cut, row.cut) << row.text << " in " << row.width;
    EXPECT_LE(displayWidth(cut), row.width) << row.text;
  }
}

}  // namespace
}  // namespace zarvo::platform
