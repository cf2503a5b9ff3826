#include "zarvo/platform/regex.h"

#include <gtest/gtest.h>

#include <thread>

#include "zarvo/platform/text.h"

namespace zarvo::platform {
namespace {

TEST(RegexTest, BadPatternYieldsNoRegex) {
  EXPECT_EQ(Regex::compile(u"(unclosed"), nullptr);
  EXPECT_FALSE(LazyRegex(u"[a-").operator bool());
}

TEST(RegexTest, CaseInsensitiveWithUnicodeClasses) {
  auto re = Regex::compile(u"(\\W|^)(tomorrow)(?=\\W|$)");
  ASSERT_NE(re, nullptr);
  auto m = re->firstMatch(u"Call mom TOMORROW!");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->range(0), (Range{8, 9}));
  EXPECT_EQ(m->range(2), (Range{9, 8}));
  // \w is Unicode: an accented letter before the word blocks the leading-context group.
  EXPECT_FALSE(re->firstMatch(u"étomorrow"));
}

TEST(RegexTest, GroupThatDidNotTakePartIsNotFoundWithLengthZero) {
  auto re = Regex::compile(u"(a)(b)?(c)");
  auto m = re->firstMatch(u"xac");
  ASSERT_TRUE(m);
  EXPECT_FALSE(m->took(2));
  EXPECT_EQ(m->range(2).length, 0);
  EXPECT_EQ(m->range(2).location, Range::kNotFound);
  EXPECT_EQ(m->range(3), (Range{2, 1}));
  EXPECT_FALSE(m->took(9));  // beyond the pattern's groups
}

TEST(RegexTest, RangesAreUtf16CodeUnits) {
  auto re = Regex::compile(u"at 5");
  // U+1F600 is two code units.
  auto m = re->firstMatch(u"\U0001F600 at 5");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->range().location, 3);
}

TEST(RegexTest, SearchRangeUsesAnchoringAndOpaqueBounds) {
  auto re = Regex::compile(u"(\\W|^)(\\d+)");
  // "^" matches at the start of the searched range even though a letter precedes it.
  auto m = re->firstMatch(u"abc12", Range{3, 2});
  ASSERT_TRUE(m);
  EXPECT_EQ(m->range(2), (Range{3, 2}));
  // Look-ahead does not see past the range's end.
  auto la = Regex::compile(u"ab(?=c)");
  EXPECT_FALSE(la->firstMatch(u"abc", Range{0, 2}));
  EXPECT_TRUE(la->firstMatch(u"abc", Range{0, 3}));
  // "$" matches at the range's end.
  EXPECT_TRUE(Regex::compile(u"b$")->firstMatch(u"abc", Range{0, 2}));
}

TEST(RegexTest, RangeOutsideTextIsClippedOrEmpty) {
  auto re = Regex::compile(u"c");
  EXPECT_TRUE(re->firstMatch(u"abc", Range{1, 100}));
  EXPECT_FALSE(re->firstMatch(u"abc", Range{4, 1}));
}

TEST(RegexTest, CatastrophicPatternIsStoppedByTimeLimit) {
  auto re = Regex::compile(u"(a+)+$");
  std::u16string text(40, u'a');
  text += u'!';
  EXPECT_FALSE(re->firstMatch(text));  // returns instead of running for ages
}

TEST(RegexTest, SharedAcrossThreads) {
  auto re = Regex::compile(u"(\\d{1,2}):(\\d{2})");
  std::vector<std::thread> threads;
  std::atomic<int> hits{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 500; ++i) {
        if (re->firstMatch(u"meet at 10:30 today")) ++hits;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(hits.load(), 2000);
}

TEST(RegexTest, AllMatchesHandlesEmptyMatches) {
  auto re = Regex::compile(u"x*");
  EXPECT_EQ(re->allMatches(u"ab").size(), 3u);
  EXPECT_EQ(Regex::compile(u"\\d+")->allMatches(u"1 22 333").size(), 3u);
}

// Where the engines' own built-in classes and case folding part ways; CTest runs this binary under
// each engine, and both must answer as the reference does.
TEST(RegexTest, ClassesAndCaseFoldingFollowTheReferenceEngine) {
  struct Row {
    std::u16string_view pattern;
    std::u16string_view text;
    bool matches;
  };
  const Row rows[] = {
      {u"^\\s$", u"\u0085", true},   {u"^\\s$", u"\u000B", true},   {u"^\\s$", u"\u00A0", true},
      {u"^\\s$", u"\u3000", true},   {u"^\\s$", u"\u200B", false},  {u"^\\d$", u"\u0663", true},
      {u"^\\d$", u"\u00BD", false},  {u"^\\w$", u"\u0301", true},   {u"^\\w$", u"\u200D", true},
      {u"^\\w$", u"_", true},         {u"^\\W$", u"\u00B2", true},   {u"^.$", u"\u2028", false},
      {u"^a$", u"a\u2029", true},      {u"^stra(ss|ß)e$", u"STRASSE", true},
      {u"^straße$", u"STRASSE", true},  {u"^strasse$", u"Straße", true},  {u"^fin$", u"\uFB01n", true},
      {u"^k$", u"\u212A", true},       {u"^i$", u"\u0130", false},      {u"^σ$", u"ς", true},
  };
  for (const Row& row : rows) {
    const auto re = Regex::compile(row.pattern);
    ASSERT_NE(re, nullptr);
    EXPECT_EQ(re->firstMatch(row.text).has_value(), row.matches)
        << toUtf8(row.pattern) << " on " << toUtf8(row.text) << " (" << regexBackendName(regexBackend()) << ")";
  }
}

}  // namespace
}  // namespace zarvo::platform
