#include "zarvo/chrono/chrono.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using testing::ScopedTimeZone;
using testing::utcDate;

// Finds its word (group 2) after leading context and tags results with `tag`.
class WordParser : public Parser {
 public:
  WordParser(std::u16string pattern, Language language, TagUnit tag)
      : Parser(false), pattern_(std::move(pattern)), language_(language), tag_(tag) {}
  std::u16string_view pattern() const override { return pattern_; }
  Language language() const override { return language_; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options&) const override {
    ParsedResult r = commonOpening(text, ref, match);
    r.tags().set(tag_);
    return r;
  }

 private:
  std::u16string pattern_;
  Language language_;
  TagUnit tag_;
};

// Appends a marker to every result's text, recording the order refiners run in.
class MarkingRefiner : public Refiner {
 public:
  explicit MarkingRefiner(char16_t mark) : mark_(mark) {}
  std::vector<ParsedResult> refine(std::u16string_view, std::vector<ParsedResult> results,
                                   const Options&) const override {
    for (auto& r : results) r.setText(r.text() + mark_);
    return results;
  }

 private:
  char16_t mark_;
};

// Restores preferredLanguage after each test.
class ChronoFrontEndTest : public ::testing::Test {
 protected:
  void TearDown() override { Chrono::setPreferredLanguage(std::nullopt); }

  static Chrono twoLanguages() {
    ModeOptio mode;
    mode.parsers.push_back(
        std::make_shared<WordParser>(u"(\\W|^)(ger)", Language::german, TagUnit::deCasualDateParser));
    mode.parsers.push_back(
        std::make_shared<WordParser>(u"(\\W|^)(eng)", Language::english, TagUnit::enCasualDateParser));
    mode.parsers.push_back(
        std::make_shared<WordParser>(u"(\\W|^)(fra)", Language::french, TagUnit::frCasualDateParser));
    return Chrono(std::move(mode));
  }

  static std::vector<std::u16string> texts(const std::vector<ParsedResult>& results) {
    std::vector<std::u16string> out;
    for (const auto& r : results) out.push_back(r.text());
    return out;
  }

  ScopedTimeZone zone_{"UTC"};
  Date ref_ = utcDate(2024, 3, 10, 18, 45);
};

TEST_F(ChronoFrontEndTest, EmptyTextRunsNoParser) {
  // A parser whose pattern matches the empty string would otherwise produce a result.
  ModeOptio mode;
  mode.parsers.push_back(std::make_shared<WordParser>(u"(^)()", Language::english, TagUnit::none));
  Chrono chrono(std::move(mode));
  EXPECT_TRUE(chrono.parse(u"", ref_).empty());
  EXPECT_TRUE(chrono.parse(std::string_view(""), ref_).empty());
}

TEST_F(ChronoFrontEndTest, ResultsAreOrderedByIndexAcrossParsers) {
  // Parser order is ger, eng, fra; positions are fra, eng, ger.
  EXPECT_EQ(texts(twoLanguages().parse(u"fra eng ger", ref_)), (std::vector<std::u16string>{u"fra", u"eng", u"ger"}));
}

TEST_F(ChronoFrontEndTest, EqualIndexesKeepParserOrder) {
  ModeOptio mode;
  mode.parsers.push_back(std::make_shared<WordParser>(u"(\\W|^)(ab)", Language::english, TagUnit::none));
  mode.parsers.push_back(std::make_shared<WordParser>(u"(\\W|^)(abc)", Language::english, TagUnit::none));
  mode.parsers.push_back(std::make_shared<WordParser>(u"(\\W|^)(a)", Language::english, TagUnit::none));
  EXPECT_EQ(texts(Chrono(std::move(mode)).parse(u"abc", ref_)),
            (std::vector<std::u16string>{u"ab", u"abc", u"a"}));
}

TEST_F(ChronoFrontEndTest, PreferredLanguageNarrowsTheFirstPass) {
  const Chrono chrono = twoLanguages();
  using V = std::vector<std::u16string>;
  // No preference: every language.
  EXPECT_EQ(texts(chrono.parse(u"ger eng fra", ref_)), (V{u"ger", u"eng", u"fra"}));

  Chrono::setPreferredLanguage(Language::english);
  // English found something: the other languages do not run.
  EXPECT_EQ(texts(chrono.parse(u"ger eng fra", ref_)), (V{u"eng"}));
  // English found nothing: the second pass runs the others.
  EXPECT_EQ(texts(chrono.parse(u"ger fra", ref_)), (V{u"ger", u"fra"}));

  Chrono::setPreferredLanguage(Language::german);
  // English always runs in the first pass, with the preferred language.
  EXPECT_EQ(texts(chrono.parse(u"ger eng fra", ref_)), (V{u"ger", u"eng"}));
  EXPECT_EQ(texts(chrono.parse(u"fra", ref_)), (V{u"fra"}));
}

TEST_F(ChronoFrontEndTest, RefinersRunInListOrder) {
  ModeOptio mode = twoLanguages().modeOption();
  mode.refiners.push_back(std::make_shared<MarkingRefiner>(u'1'));
  mode.refiners.push_back(std::make_shared<MarkingRefiner>(u'2'));
  EXPECT_EQ(texts(Chrono(std::move(mode)).parse(u"eng", ref_)), (std::vector<std::u16string>{u"eng12"}));
}

TEST_F(ChronoFrontEndTest, Utf8EntryPointCountsUtf16Units) {
  // "é" is two UTF-8 bytes but one UTF-16 unit; U+1F600 is four bytes and two units.
  const auto results = twoLanguages().parse(std::string_view("\xC3\xA9 \xF0\x9F\x98\x80 eng"), ref_);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].index(), 5);
}

// Past kMaxInputLength the text is not read: a phrase wholly beyond it is not found, one cut by it is
// read up to the cut, one before it is found as usual.
TEST_F(ChronoFrontEndTest, TextBeyondTheInputLimitIsNotRead) {
  ModeOptio mode;
  mode.parsers.push_back(
      std::make_shared<WordParser>(u"(\\W|^)(eng\\w*)", Language::english, TagUnit::enCasualDateParser));
  const Chrono chrono(std::move(mode));
  const size_t limit = Chrono::kMaxInputLength;

  std::u16string text(limit - 10, u' ');
  text += u"eng1 eng2345";  // "eng2345" runs across the limit
  text += u" eng3";
  const auto results = chrono.parse(std::u16string_view(text), ref_);
  EXPECT_EQ(texts(results), (std::vector<std::u16string>{u"eng1", u"eng23"}));
  for (const auto& r : results) EXPECT_LE(static_cast<size_t>(r.endPosition()), limit);

}

TEST(OptionsTest, RawValuesAreMatchedExactly) {
  EXPECT_EQ(optionTypeFromRaw("morning"), OptionType::morning);
  EXPECT_EQ(optionTypeFromRaw("forwardDate"), OptionType::forwardDate);
  EXPECT_EQ(optionTypeFromRaw("Morning"), std::nullopt);
  EXPECT_EQ(optionTypeFromRaw("forwarddate"), std::nullopt);
  EXPECT_EQ(languageNamed("german"), Language::german);
  EXPECT_EQ(languageNamed("German"), std::nullopt);
  EXPECT_LT(Language::english, Language::spanish);
  EXPECT_LT(Language::german, Language::chinese);
}

}  // namespace
}  // namespace zarvo::chrono
