#include "zarvo/chrono/parser.h"

#include <gtest/gtest.h>

#include <functional>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using testing::ScopedTimeZone;
using testing::utcDate;
using U = ComponentUnit;

// A parser whose extraction is a test-supplied function.
class ScriptedParser : public Parser {
 public:
  using Extract = std::function<std::optional<ParsedResult>(std::u16string_view, Date, const platform::Match&)>;
  ScriptedParser(std::u16string_view pattern, Extract extract, bool strictMode = false)
      : Parser(strictMode), pattern_(pattern), extract_(std::move(extract)) {}
  std::u16string_view pattern() const override { return pattern_; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options&) const override {
    return extract_(text, ref, match);
  }
  static ParsedResult opening(std::u16string_view text, Date ref, const platform::Match& match) {
    return commonOpening(text, ref, match);
  }

 private:
  std::u16string_view pattern_;
  Extract extract_;
};

std::vector<std::pair<int64_t, std::u16string>> spans(const std::vector<ParsedResult>& results) {
  std::vector<std::pair<int64_t, std::u16string>> out;
  for (const auto& r : results) out.emplace_back(r.index(), r.text());
  return out;
}

using Spans = std::vector<std::pair<int64_t, std::u16string>>;

class ParserScanTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"UTC"};
  Date ref_ = utcDate(2024, 3, 10, 18, 45);
};

TEST_F(ParserScanTest, CommonOpeningDropsLeadingContext) {
  ScriptedParser p(u"(\\W|^)(ab)", [](auto text, Date ref, const auto& m) {
    ParsedResult r = ScriptedParser::opening(text, ref, m);
    r.tags().set(TagUnit::enCasualDateParser);
    return std::optional(r);
  });
  const auto results = p.execute(u"ab,ab ab", ref_, {});
  EXPECT_EQ(spans(results), (Spans{{0, u"ab"}, {3, u"ab"}, {6, u"ab"}}));
  EXPECT_TRUE(results[1].tags().isTrue(TagUnit::enCasualDateParser));
  EXPECT_EQ(results[0].start().impliedValues().get(U::day), 10);
  EXPECT_TRUE(results[0].start().knownValues().empty());
  EXPECT_FALSE(results[0].end());
}

TEST_F(ParserScanTest, StartOfRangeAnchorsAfterAResult) {
  // "^" matches at the resume position although a letter precedes it, so "xx" gives two results.
  ScriptedParser p(u"(\\W|^)(x)", [](auto text, Date ref, const auto& m) {
    return std::optional(ScriptedParser::opening(text, ref, m));
  });
  EXPECT_EQ(spans(p.execute(u"xx", ref_, {})), (Spans{{0, u"x"}, {1, u"x"}}));
}

TEST_F(ParserScanTest, RejectedMatchResumesOnePositionAfterItsStart) {
  // "12" is rejected; the overlapping "23" must still be found.
  ScriptedParser p(u"\\d\\d", [](auto text, Date ref, const auto& m) -> std::optional<ParsedResult> {
    if (text[m.range().location] == u'1') return std::nullopt;
    return ScriptedParser::opening(text, ref, m);
  });
  EXPECT_EQ(spans(p.execute(u"123", ref_, {})), (Spans{{1, u"23"}}));
}

TEST_F(ParserScanTest, MoveIndexResultSkipsWithoutAddingAResult) {
  ScriptedParser p(u"x\\d", [](auto text, Date ref, const auto& m) -> std::optional<ParsedResult> {
    if (text[m.range().location + 1] == u'1') return ParsedResult::moveIndexMode(m.range().end() + 2);
    return ScriptedParser::opening(text, ref, m);
  });
  EXPECT_EQ(spans(p.execute(u"x1x2x3", ref_, {})), (Spans{{4, u"x3"}}));
}

TEST_F(ParserScanTest, ScanEndsEvenWhenAParserDoesNotAdvance) {
  int calls = 0;
  ScriptedParser p(u"a", [&](auto, Date, const auto& m) -> std::optional<ParsedResult> {
    ++calls;
    return ParsedResult::moveIndexMode(m.range().location);  // points back at its own match
  });
  EXPECT_TRUE(p.execute(u"aaa", ref_, {}).empty());
  EXPECT_EQ(calls, 3);
}

TEST_F(ParserScanTest, BadPatternYieldsNothing) {
  ScriptedParser p(u"(unclosed", [](auto text, Date ref, const auto& m) {
    return std::optional(ScriptedParser::opening(text, ref, m));
  });
  EXPECT_TRUE(p.execute(u"unclosed", ref_, {}).empty());
  // The base parser has an empty pattern and extracts nothing.
  Parser base(false);
  EXPECT_TRUE(base.execute(u"anything", ref_, {}).empty());
  EXPECT_EQ(base.language(), Language::english);
}

TEST_F(ParserScanTest, StrictModeDropsImpossibleStartsAndEnds) {
  // "dD-E": start day D of February 2024, optional end day E.
  auto extract = [](std::u16string_view text, Date ref, const platform::Match& m) {
    const platform::Range whole = m.range();
    ParsedResult r(ref, whole.location,
                   std::u16string(text.substr(static_cast<size_t>(whole.location), static_cast<size_t>(whole.length))));
    r.start().assign(U::month, 2);
    r.start().assign(U::day, text[m.range(1).location] - u'0' + 27);
    if (m.took(2)) {
      ParsedComponents end(std::nullopt, ref);
      end.assign(U::month, 2);
      end.assign(U::day, text[m.range(2).location] - u'0' + 27);
      r.setEnd(end);
    }
    return std::optional(r);
  };
  const std::u16string text = u"d2 d3 d1-2 d1-3";  // days 29, 30, 28-29, 28-30 of February 2024
  ScriptedParser casual(u"d(\\d)(?:-(\\d))?", extract, false);
  ScriptedParser strict(u"d(\\d)(?:-(\\d))?", extract, true);
  EXPECT_EQ(casual.execute(text, ref_, {}).size(), 4u);
  EXPECT_EQ(spans(strict.execute(text, ref_, {})), (Spans{{0, u"d2"}, {6, u"d1-2"}}));
}

// followsWordCharacter must agree with the patterns' own \w on every character: every BMP code point,
// a sample of the supplementary planes, a surrogate pair counting as one character.
TEST(ParserWordCharacterTest, AgreesWithTheWordClassOfThePatterns) {
  struct Probe : Parser {
    Probe() : Parser(false) {}
    static bool follows(std::u16string_view text, int64_t position) { return followsWordCharacter(text, position); }
  };
  const auto word = platform::Regex::compile(u"^\\w$", platform::RegexBackend::icu);
  ASSERT_NE(word, nullptr);
  for (char32_t c = 0; c <= 0x10FFFF; c += (c < 0x10000 ? 1 : 7)) {
    std::u16string text = u"a";
    if (c < 0x10000) {
      text += static_cast<char16_t>(c);
    } else {
      text += static_cast<char16_t>(0xD7C0 + (c >> 10));
      text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
    const std::u16string_view character = std::u16string_view(text).substr(1);
    ASSERT_EQ(Probe::follows(text, static_cast<int64_t>(text.size())), word->search(character))
        << "U+" << std::hex << static_cast<uint32_t>(c);
  }
}

}  // namespace
}  // namespace zarvo::chrono
