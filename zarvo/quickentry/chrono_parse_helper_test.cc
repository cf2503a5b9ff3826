#include "zarvo/quickentry/chrono_parse_helper.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"
#include "zarvo/platform/text.h"

namespace zarvo {
namespace {

using chrono::testing::iso;
using chrono::testing::localDate;
using chrono::testing::ScopedTimeZone;
using platform::toUtf8;
using platform::utf16;

class ChronoParseHelperTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"Europe/Berlin"};
  std::shared_ptr<platform::FixedClock> clock_ =
      std::make_shared<platform::FixedClock>(localDate(2024, 3, 11, 10, 0));
  ChronoParseHelper helper_{clock_};
};

struct Cut {
  const char* name;
  const char16_t* text;
  const char16_t* title;
  const char16_t* phrase;
  int dueDay;  // March 2024
  int dueHour;
};

class ChronoParseHelperCuts : public ChronoParseHelperTest, public ::testing::WithParamInterface<Cut> {};

TEST_P(ChronoParseHelperCuts, TakesTheLastPhraseOutAndJoinsWithOneSpace) {
  const Cut& c = GetParam();
  const auto item = helper_.parse(std::u16string_view(c.text));
  ASSERT_TRUE(item) << c.name;
  EXPECT_EQ(toUtf8(item->title()), toUtf8(c.title)) << c.name;
  EXPECT_EQ(toUtf8(item->parsedDateString()), toUtf8(c.phrase)) << c.name;
  EXPECT_EQ(iso(item->dueDate()), iso(localDate(2024, 3, c.dueDay, c.dueHour, 0))) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChronoParseHelperCuts,
    ::testing::Values(
        Cut{"only a phrase", u"tomorrow", u"", u"tomorrow", 12, 12},
        Cut{"phrase at the end", u"Buy milk today", u"Buy milk", u"today", 11, 12},
        // The phrase is what the engine matched, blanks it took included.
        Cut{"phrase with trailing blanks", u"Buy milk tomorrow   ", u"Buy milk", u"tomorrow   ", 12, 12},
        Cut{"phrase in the middle, spaces and tabs around", u"Buy \t  today \t\t milk", u"Buy milk", u"today",
            11, 12},
        Cut{"surrounding blanks vanish", u" \t Call mom tomorrow at 5pm\t ", u"Call mom", u"tomorrow at 5pm", 12, 17},
        Cut{"no-break space is a space separator", u"Call\u00A0tomorrow\u00A0mom", u"Call mom", u"tomorrow", 12, 12},
        Cut{"line break inside is kept", u"Pack\nbags tomorrow", u"Pack\nbags", u"tomorrow", 12, 12},
        Cut{"line break at the end is not trimmed", u"Pack today\n", u"Pack \n", u"today", 11, 12},
        Cut{"emoji before the phrase", u"\U0001F389 party tomorrow at 8pm!", u"\U0001F389 party !",
            u"tomorrow at 8pm", 12, 20},
        Cut{"two emoji and a phrase in the middle", u"\U0001F4DE\U0001F4DE call today mom", u"\U0001F4DE\U0001F4DE call mom",
            u"today", 11, 12},
        // Japanese and Chinese lines have no leading context: the phrase is cut where it stands, with
        // the blanks the Chinese reading of 明日 takes after it.
        Cut{"japanese tomorrow before the title", u"明日 歯医者", u"歯医者", u"明日 ", 12, 12},
        Cut{"chinese weekday before the title", u"下星期一 交報告", u"交報告", u"下星期一", 18, 12},
        Cut{"chinese day and time after the title", u"交報告 明天下午三點", u"交報告", u"明天下午三點", 12, 15},
        Cut{"emoji, kanji and a japanese date", u"\U0001F9B7 明日 歯医者", u"\U0001F9B7 歯医者", u"明日 ", 12, 12}),
    [](const auto& info) {
      std::string name;
      for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST_F(ChronoParseHelperTest, OnlyTheLastOfTwoPhrasesLeavesTheTitle) {
  const auto item = helper_.parse(std::u16string_view(u"today pay rent, tomorrow call the bank"));
  ASSERT_TRUE(item);
  EXPECT_EQ(toUtf8(item->title()), "today pay rent, call the bank");
  EXPECT_EQ(toUtf8(item->parsedDateString()), "tomorrow");
  EXPECT_EQ(iso(item->dueDate()), iso(localDate(2024, 3, 12, 12, 0)));
}

TEST_F(ChronoParseHelperTest, NoPhraseGivesNothing) {
  EXPECT_FALSE(helper_.parse(std::u16string_view(u"Buy milk")));
  EXPECT_FALSE(helper_.parse(std::u16string_view(u"")));
  EXPECT_FALSE(helper_.parse(std::string_view("   ")));
}

TEST_F(ChronoParseHelperTest, ReadsTheInjectedClockAtEachCall) {
  EXPECT_EQ(iso(helper_.parse(std::string_view("today"))->dueDate()), iso(localDate(2024, 3, 11, 12, 0)));
  clock_->set(localDate(2025, 1, 31, 9, 0));
  EXPECT_EQ(iso(helper_.parse(std::string_view("tomorrow"))->dueDate()), iso(localDate(2025, 2, 1, 12, 0)));
}

TEST_F(ChronoParseHelperTest, WithoutAClockReadsTheProcessClock) {
  platform::ScopedClock scoped(std::make_shared<platform::FixedClock>(localDate(2030, 6, 1, 8, 0)));
  const ChronoParseHelper helper;
  EXPECT_EQ(iso(helper.parse(std::string_view("tomorrow"))->dueDate()), iso(localDate(2030, 6, 2, 12, 0)));
}

TEST_F(ChronoParseHelperTest, ConstructionPrefersEnglishEngineWide) {
  chrono::Chrono::setPreferredLanguage(chrono::Language::german);
  const ChronoParseHelper helper;
  EXPECT_EQ(chrono::Chrono::preferredLanguage(), chrono::Language::english);
}

TEST(TrimmedSpacesAndTabs, KeepsLineBreaksAndInnerBlanks) {
  EXPECT_EQ(quickentry::trimmedSpacesAndTabs(u"\t \u2003a  b\u3000 "), u"a  b");
  EXPECT_EQ(quickentry::trimmedSpacesAndTabs(u"\na\n"), u"\na\n");
  EXPECT_EQ(quickentry::trimmedSpacesAndTabs(u" \t "), u"");
}

}  // namespace
}  // namespace zarvo
