// Japanese and Chinese phrases inside to-do lines, read by the ready configurations: which parser's
// reading survives where several read the same words, how the refiners join them, and positions in
// UTF-16 code units in lines that mix CJK, Latin and emoji.
#include <gtest/gtest.h>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

class CJKCasualTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(CJKCasualTest, ReadsOneResult) { checkCasualRow(GetParam()); }

// Monday 11 March 2024, 10:00.
const LocalTime kMonday{2024, 3, 11, 10, 0};
const LocalTime kDecember{2024, 12, 2, 10, 0};

ComponentMap march(int64_t d, std::initializer_list<std::pair<ComponentUnit, int64_t>> extra = {}) {
  return dayWith(2024, 3, d, extra);
}
// `m` with a clock as the Chinese time parser states it (no second), and as a merge states it.
ComponentMap clock(ComponentMap m, int64_t hour, int64_t minute, std::optional<int64_t> meridiem = std::nullopt) {
  m.set(U::hour, hour);
  m.set(U::minute, minute);
  if (meridiem) m.set(U::meridiem, *meridiem);
  return m;
}
ComponentMap withClock(ComponentMap m, int64_t hour, int64_t minute, std::optional<int64_t> meridiem = std::nullopt) {
  m = clock(std::move(m), hour, minute, meridiem);
  m.set(U::second, 0);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    ToDoLines, CJKCasualTest,
    ::testing::Values(
        // Japanese and Chinese casual parsers both read 明日; the Chinese pattern also takes the blanks
        // after it, so its longer reading wins.
        PhraseRow{.text = u"明日 歯医者", .ref = kMonday, .index = 0, .phrase = u"明日 ", .known = march(12),
                  .implied = {{U::hour, 12}}},
        // Alone, at equal length, the Japanese reading comes first in the list and wins.
        PhraseRow{.text = u"歯医者は明日", .ref = kMonday, .index = 4, .phrase = u"明日", .known = march(12)},
        PhraseRow{.text = u"下星期一 交報告", .ref = kMonday, .index = 0, .phrase = u"下星期一",
                  .known = march(18, {{U::weekday, 1}})},
        // A day word before a clock is part of the Chinese time phrase; a weekday or a date and a clock
        // side by side are joined by the date-time merge, which also fixes the second.
        PhraseRow{.text = u"歯医者 明日 10時", .ref = kMonday, .index = 4, .phrase = u"明日 10時",
                  .known = clock(march(12), 10, 0)},
        PhraseRow{.text = u"交報告 下星期一下午三點", .ref = kMonday, .index = 4, .phrase = u"下星期一下午三點",
                  .known = withClock(march(18, {{U::weekday, 1}}), 15, 0, 1)},
        PhraseRow{.text = u"12月25日下午三點 聖誕晚餐", .ref = kDecember, .index = 0, .phrase = u"12月25日下午三點 ",
                  .known = withClock({{U::month, 12}, {U::day, 25}}, 15, 0, 1), .implied = {{U::year, 2024}}},
        // The longer reading of a clock with its day words outlasts the casual reading of 明天下午.
        PhraseRow{.text = u"明天下午3點半 開會", .ref = kMonday, .index = 0, .phrase = u"明天下午3點半 ",
                  .known = clock(march(12), 15, 30, 1)},
        PhraseRow{.text = u"平成28年12月25日", .ref = kMonday, .index = 0, .phrase = u"平成28年12月25日",
                  .known = {{U::year, 2016}, {U::month, 12}, {U::day, 25}}}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, CJKCasualTest,
    ::testing::Values(
        // から joins two dates into a range, with or without blanks, in either order.
        PhraseRow{.text = u"12月25日から12月27日", .ref = kDecember, .index = 0, .phrase = u"12月25日から12月27日",
                  .known = {{U::month, 12}, {U::day, 25}}, .implied = {{U::year, 2024}},
                  .endKnown = ComponentMap{{U::month, 12}, {U::day, 27}}},
        // After a blank the Chinese date reading, which takes the blank, outlasts the Japanese one.
        PhraseRow{.text = u"旅行 12月27日 から 12月25日", .ref = kDecember, .index = 2,
                  .phrase = u" 12月27日 から 12月25日", .known = {{U::month, 12}, {U::day, 25}},
                  .endKnown = ComponentMap{{U::month, 12}, {U::day, 27}}},
        PhraseRow{.text = u"今日から明日", .ref = kMonday, .index = 0, .phrase = u"今日から明日", .known = march(11),
                  .endKnown = march(12)},
        PhraseRow{.text = u"2016年12月25日ー2017年1月3日", .ref = kMonday, .index = 0,
                  .phrase = u"2016年12月25日ー2017年1月3日",
                  .known = {{U::year, 2016}, {U::month, 12}, {U::day, 25}},
                  .endKnown = ComponentMap{{U::year, 2017}, {U::month, 1}, {U::day, 3}}},
        PhraseRow{.text = u"下午三點到五點PM", .ref = kMonday, .index = 0, .phrase = u"下午三點到五點PM",
                  .known = clock({}, 15, 0, 1), .implied = march(11),
                  .endKnown = ComponentMap{{U::hour, 17}, {U::minute, 0}, {U::meridiem, 1}}}));

INSTANTIATE_TEST_SUITE_P(
    MixedScripts, CJKCasualTest,
    ::testing::Values(
        // Positions count UTF-16 code units: an emoji outside the BMP is two, a kanji one.
        PhraseRow{.text = u"🎂 明天下午 生日派對", .ref = kMonday, .index = 3, .phrase = u"明天下午", .known = march(12),
                  .implied = {{U::hour, 15}, {U::meridiem, 1}}},
        PhraseRow{.text = u"Call 媽媽 明天 5pm 👍", .ref = kMonday, .index = 8, .phrase = u"明天 5pm",
                  .known = withClock(march(12), 17, 0, 1)},
        PhraseRow{.text = u"👍👍 明天 5pm", .ref = kMonday, .index = 5, .phrase = u"明天 5pm",
                  .known = withClock(march(12), 17, 0, 1)},
        PhraseRow{.text = u"👨‍👩‍👧 家族写真 12月25日", .ref = kDecember, .index = 13, .phrase = u" 12月25日",
                  .known = {{U::month, 12}, {U::day, 25}}},
        PhraseRow{.text = u"Zahnarzt 🦷 明日", .ref = kMonday, .index = 12, .phrase = u"明日", .known = march(12)}));

TEST(CJKConfigurationTest, EnglishFirstStillReadsJapaneseAndChineseLines) {
  // Quick entry prefers English; lines it cannot read in English go to the other languages.
  ScopedTimeZone zone("Asia/Tokyo");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  Chrono::setPreferredLanguage(Language::english);
  struct Restore {
    ~Restore() { Chrono::setPreferredLanguage(std::nullopt); }
  } restore;
  EXPECT_EQ(texts(Chrono::casual().parse(u"明日 歯医者", ref)), std::vector<std::u16string>{u"明日 "});
  EXPECT_EQ(texts(Chrono::casual().parse(u"下星期一 交報告", ref)), std::vector<std::u16string>{u"下星期一"});
  // One English phrase keeps the other languages out.
  EXPECT_EQ(texts(Chrono::casual().parse(u"明日 dentist at 5pm", ref)), std::vector<std::u16string>{u"at 5pm"});
}

TEST(CJKConfigurationTest, StrictReadsTomorrowWithTheChineseRule) {
  // The strict configuration has no Japanese casual parser; the Chinese one reads 明日 too, and for
  // it tomorrow begins at 02:00 rather than 05:00.
  ScopedTimeZone zone("Asia/Tokyo");
  const Date night = localDate(2024, 3, 11, 3, 0);
  const auto casual = Chrono::casual().parse(u"明日", night);
  const auto strict = Chrono::strict().parse(u"明日", night);
  ASSERT_EQ(casual.size(), 1u);
  ASSERT_EQ(strict.size(), 1u);
  EXPECT_EQ(casual[0].start().knownValues().get(U::day), 11);
  EXPECT_TRUE(casual[0].tags().isTrue(TagUnit::jpCasualDateParser));
  EXPECT_EQ(strict[0].start().knownValues().get(U::day), 12);
  EXPECT_TRUE(strict[0].tags().isTrue(TagUnit::zhHantCasualDateParser));
}

TEST(CJKConfigurationTest, StrictDropsImpossibleChineseDates) {
  ScopedTimeZone zone("Asia/Taipei");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  EXPECT_EQ(texts(Chrono::casual().parse(u"二月三十日", ref)), std::vector<std::u16string>{u"二月三十日"});
  EXPECT_TRUE(Chrono::strict().parse(u"二月三十日", ref).empty());
  EXPECT_EQ(texts(Chrono::strict().parse(u"二零二四年二月廿九日", ref)),
            std::vector<std::u16string>{u"二零二四年二月廿九日"});
}

}  // namespace
}  // namespace zarvo::chrono
