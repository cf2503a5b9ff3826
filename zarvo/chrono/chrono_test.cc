#include "zarvo/chrono/chrono.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/mode_option.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using testing::ScopedTimeZone;
using testing::iso;
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

using Choice = ReaderOptions::LanguageChoice;

ReaderOptions reading(Choice choice, std::optional<Language> preferred = std::nullopt,
                      std::optional<std::set<Language>> languages = std::nullopt) {
  ReaderOptions options;
  options.languageChoice = choice;
  options.preferredLanguage = preferred;
  options.languages = std::move(languages);
  return options;
}

// A reader's own options decide its languages, whatever the engine-wide setting says.
TEST_F(ChronoFrontEndTest, ReaderOptionsReplaceTheEngineWideLanguage) {
  using V = std::vector<std::u16string>;
  Chrono::setPreferredLanguage(Language::german);
  const ModeOptio mode = twoLanguages().modeOption();
  EXPECT_EQ(texts(Chrono(mode, reading(Choice::preferred, Language::english)).parse(u"ger eng fra", ref_)),
            (V{u"eng"}));
  EXPECT_EQ(texts(Chrono(mode, reading(Choice::preferred)).parse(u"ger eng fra", ref_)), (V{u"ger", u"eng", u"fra"}));
  // Languages the options leave out never run, in either pass.
  EXPECT_EQ(texts(Chrono(mode, reading(Choice::engineSetting, std::nullopt, std::set{Language::french}))
                      .parse(u"ger eng fra", ref_)),
            (V{u"fra"}));
  EXPECT_EQ(Chrono::preferredLanguage(), Language::german);
}

// By evidence, each language reads alone and the reading covering most of the line wins; a tie goes
// to the preferred language, else by script between Japanese and Chinese, else to English.
TEST_F(ChronoFrontEndTest, ByEvidenceKeepsTheReadingThatExplainsMost) {
  using V = std::vector<std::u16string>;
  ModeOptio mode;
  mode.parsers.push_back(
      std::make_shared<WordParser>(u"(\\W|^)(ger\\w*)", Language::german, TagUnit::deCasualDateParser));
  mode.parsers.push_back(
      std::make_shared<WordParser>(u"(\\W|^)(eng)", Language::english, TagUnit::enCasualDateParser));
  mode.parsers.push_back(std::make_shared<WordParser>(u"()(日)", Language::japanese, TagUnit::jpCasualDateParser));
  mode.parsers.push_back(std::make_shared<WordParser>(u"()(日)", Language::chinese, TagUnit::zhHantCasualDateParser));
  // Like the Chinese clock reader, which also reads "9:15" in a line of Latin letters.
  mode.parsers.push_back(
      std::make_shared<WordParser>(u"(\\W|^)(eng)", Language::chinese, TagUnit::zhHantCasualDateParser));
  const Chrono byEvidence(mode, reading(Choice::byEvidence));
  EXPECT_EQ(texts(byEvidence.parse(u"gerxx eng", ref_)), (V{u"gerxx"}));
  EXPECT_EQ(texts(byEvidence.parse(u"ger eng", ref_)), (V{u"eng"}));
  EXPECT_EQ(texts(Chrono(mode, reading(Choice::byEvidence, Language::german)).parse(u"ger eng", ref_)), (V{u"ger"}));
  EXPECT_TRUE(byEvidence.parse(u"nothing", ref_).empty());

  const auto winner = [&](std::u16string_view text) {
    const auto readings = byEvidence.readEachLanguage(text, ref_);
    return readings[*Chrono::bestReading(readings, text, std::nullopt)].language;
  };
  EXPECT_EQ(winner(u"日"), Language::chinese);
  EXPECT_EQ(winner(u"日の"), Language::japanese);
  EXPECT_EQ(winner(u"eng"), Language::english);  // Chinese goes first only in a line of its script
  EXPECT_EQ(byEvidence.readEachLanguage(u"eng 日", ref_).size(), 3u);

  // A line of CJK script is read in Japanese and Chinese whatever the languages are.
  ReaderOptions englishAndScript = reading(Choice::byEvidence, std::nullopt, std::set{Language::english});
  englishAndScript.cjkByScript = true;
  const Chrono englishOnly(mode, englishAndScript);
  EXPECT_EQ(texts(englishOnly.parse(u"日", ref_)), (V{u"日"}));
  EXPECT_TRUE(englishOnly.parse(u"gerxx", ref_).empty());
}

// A clock time without a day that has passed moves to the next day; one with a day named, or one
// counted back from now, stays.
TEST_F(ChronoFrontEndTest, TimesAheadMovesPastClockTimesToTheNextDay) {
  ReaderOptions options = reading(Choice::preferred, Language::english);
  options.timesAhead = true;
  const Chrono ahead(casualModeOption(), options);
  const Date ref = utcDate(2024, 3, 10, 14, 49);
  const auto first = [&](std::u16string_view text) { return ahead.parse(text, ref).at(0); };
  EXPECT_EQ(iso(first(u"Standup at 9").start().date()), iso(utcDate(2024, 3, 11, 9, 0)));
  EXPECT_TRUE(first(u"Standup at 9").tags().contains(TagUnit::comingTimeRefiner));
  EXPECT_EQ(iso(first(u"Standup at 3pm").start().date()), iso(utcDate(2024, 3, 10, 15, 0)));
  EXPECT_EQ(iso(first(u"today at 9").start().date()), iso(utcDate(2024, 3, 10, 9, 0)));
  EXPECT_EQ(iso(first(u"2 hours ago").start().date()), iso(utcDate(2024, 3, 10, 12, 49)));
  const ParsedResult range = first(u"9 - 10am");
  EXPECT_EQ(iso(range.start().date()), iso(utcDate(2024, 3, 11, 9, 0)));
  EXPECT_EQ(iso(range.end()->date()), iso(utcDate(2024, 3, 11, 10, 0)));
}

// A fixed order reads every two-number date that way; an unambiguous one keeps its reading.
TEST_F(ChronoFrontEndTest, NumericDateOrderOverridesTheLanguage) {
  const auto date = [&](Language language, ReaderOptions::NumericDateOrder order, std::u16string_view text) {
    ReaderOptions options = reading(Choice::preferred, language, std::set{language});
    options.numericDateOrder = order;
    const Chrono chrono(casualModeOption(), options);
    return iso(chrono.parse(text, ref_).at(0).start().date());
  };
  using Order = ReaderOptions::NumericDateOrder;
  EXPECT_EQ(date(Language::english, Order::byLanguage, u"3/12/2024"), iso(utcDate(2024, 3, 12, 12)));
  EXPECT_EQ(date(Language::english, Order::dayFirst, u"3/12/2024"), iso(utcDate(2024, 12, 3, 12)));
  EXPECT_EQ(date(Language::english, Order::dayFirst, u"12/25/2024"), iso(utcDate(2024, 12, 25, 12)));
  EXPECT_EQ(date(Language::german, Order::byLanguage, u"3.12.2024"), iso(utcDate(2024, 12, 3, 12)));
  EXPECT_EQ(date(Language::german, Order::monthFirst, u"3.12.2024"), iso(utcDate(2024, 3, 12, 12)));
  EXPECT_EQ(date(Language::french, Order::monthFirst, u"25/12/2024"), iso(utcDate(2024, 12, 25, 12)));
  EXPECT_EQ(date(Language::french, Order::monthFirst, u"3/12/2024"), iso(utcDate(2024, 3, 12, 12)));
  EXPECT_EQ(date(Language::spanish, Order::monthFirst, u"3/12/2024"), iso(utcDate(2024, 3, 12, 12)));
  EXPECT_EQ(date(Language::spanish, Order::byLanguage, u"3/12/2024"), iso(utcDate(2024, 12, 3, 12)));
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
