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
