#include "zarvo/chrono/prefilter.h"

#include <gtest/gtest.h>

#include "zarvo/platform/regex.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {
namespace {

bool admits(std::u16string_view pattern, std::u16string_view text) {
  return Prefilter::fromPattern(pattern).admits(PrefilterText(text));
}

// Necessity: whenever the case-insensitive pattern matches, the condition must admit the text. The
// rows are the shapes that tempt a reader into a condition that is too strong: optional and repeated
// parts, alternations with an unconstrained branch, look-arounds, case folding to several characters,
// digits and CJK of other scripts and widths.
TEST(PrefilterTest, AdmitsEveryTextThePatternMatches) {
  struct Row {
    std::u16string_view pattern;
    std::u16string_view text;
  };
  const Row rows[] = {
      {u"next\\s+week", u"NEXT WEEK"},
      {u"(\\W|^)straße(?=\\W|$)", u"STRASSE"},
      {u"(\\W|^)strasse", u"Straße"},
      {u"finish", u"\uFB01nish"},
      {u"kw(\\d+)", u"\u212Aw12"},
      {u"kw\\s*(\\d+)", u"KW\u0663"},
      {u"(\\d{1,2})日", u"１５日"},
      {u"([一二三四五六七八九十]+)月", u"十二月"},
      {u"in (a|an|\\d+) days?", u"in an day"},
      {u"(?:this|next)?\\s*(monday|mon\\.?)", u"MON."},
      {u"ab?c", u"ac"},
      {u"(?:at|@)?\\s*(noon|midday)|(\\d{1,2}):(\\d{2})", u"12:30"},
      {u"(?=tomorrow)tom", u"tomorrow"},
      {u"(mo|di)(?:ntag|enstag)", u"Dienstag"},
      {u"(?:um\\s+)?(\\d+)\\s*uhr", u"5 Uhr"},
      {u"a{2}b", u"aab"},
      {u"(?:foo){0,2}bar", u"bar"},
      {u"[ap]\\.?m\\.?", u"P.M."},
      {u"午[前後]", u"午後"},
      {u"\\p{L}+day", u"Holiday"},  // a construct the reader leaves alone
  };
  for (const Row& row : rows) {
    const auto regex = platform::Regex::compile(row.pattern, platform::RegexBackend::icu);
    ASSERT_NE(regex, nullptr) << platform::toUtf8(row.pattern);
    ASSERT_TRUE(regex->firstMatch(row.text)) << "row must match: " << platform::toUtf8(row.pattern);
    EXPECT_TRUE(admits(row.pattern, row.text))
        << platform::toUtf8(row.pattern) << " on " << platform::toUtf8(row.text) << ": "
        << platform::toUtf8(Prefilter::fromPattern(row.pattern).describe());
  }
}

// Usefulness: the lines the filter exists for are turned away without a search.
TEST(PrefilterTest, TurnsAwayLinesWithoutWhatThePatternNeeds) {
  EXPECT_FALSE(admits(u"(\\d{1,2})/(\\d{1,2})", u"buy milk"));
  EXPECT_FALSE(admits(u"(\\d{1,2})日", u"call mom"));
  EXPECT_FALSE(admits(u"([一二三四五六七八九十]+)月", u"pay rent today"));
  EXPECT_FALSE(admits(u"(\\W|^)(tomorrow|tmr)(?=\\W|$)", u"buy milk today"));
  EXPECT_TRUE(admits(u"(\\W|^)(tomorrow|tmr)(?=\\W|$)", u"TMR at noon"));
}

}  // namespace
}  // namespace zarvo::chrono
