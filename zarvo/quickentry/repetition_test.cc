#include "zarvo/quickentry/repetition.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"
#include "zarvo/platform/text.h"

namespace zarvo::quickentry {
namespace {

struct RepetitionRow {
  const char16_t* line;
  const char* rule;        // nullptr: no repetition
  const char16_t* phrase;  // where it stands
};

TEST(Repetition, PhrasesOfEveryLanguageBecomeRules) {
  for (const RepetitionRow& row : {
           RepetitionRow{u"Team standup every weekday at 9:30", "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR", u"every weekday"},
           RepetitionRow{u"water plants every 2 weeks", "FREQ=WEEKLY;INTERVAL=2", u"every 2 weeks"},
           RepetitionRow{u"call home every other Monday", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO", u"every other Monday"},
           RepetitionRow{u"Gym every Monday and Thu", "FREQ=WEEKLY;BYDAY=MO,TH", u"every Monday and Thu"},
           RepetitionRow{u"Yoga on Tuesdays", "FREQ=WEEKLY;BYDAY=TU", u"on Tuesdays"},
           RepetitionRow{u"pay rent monthly", "FREQ=MONTHLY", u"monthly"},
           RepetitionRow{u"fortnightly sync", "FREQ=WEEKLY;INTERVAL=2", u"fortnightly"},
           RepetitionRow{u"every 0 days", nullptr, nullptr},
           RepetitionRow{u"everyday carry", nullptr, nullptr},
           RepetitionRow{u"stretch every morning", "FREQ=DAILY", u"every morning"},
           RepetitionRow{u"Müll jeden Montag", "FREQ=WEEKLY;BYDAY=MO", u"jeden Montag"},
           RepetitionRow{u"Zähne putzen jeden Abend", "FREQ=DAILY", u"jeden Abend"},
           RepetitionRow{u"alle zwei Wochen", "FREQ=WEEKLY;INTERVAL=2", u"alle zwei Wochen"},
           RepetitionRow{u"Vitamine täglich um 8", "FREQ=DAILY", u"täglich"},
           RepetitionRow{u"montags und donnerstags", "FREQ=WEEKLY;BYDAY=MO,TH", u"montags und donnerstags"},
           RepetitionRow{u"Sacar la basura cada lunes", "FREQ=WEEKLY;BYDAY=MO", u"cada lunes"},
           RepetitionRow{u"todos los días", "FREQ=DAILY", u"todos los días"},
           RepetitionRow{u"pasear al perro todas las mañanas", "FREQ=DAILY", u"todas las mañanas"},
           RepetitionRow{u"cada 3 meses", "FREQ=MONTHLY;INTERVAL=3", u"cada 3 meses"},
           RepetitionRow{u"Yoga los sábados", "FREQ=WEEKLY;BYDAY=SA", u"los sábados"},
           RepetitionRow{u"tous les lundis", "FREQ=WEEKLY;BYDAY=MO", u"tous les lundis"},
           RepetitionRow{u"méditer chaque soir", "FREQ=DAILY", u"chaque soir"},
           RepetitionRow{u"toutes les 2 semaines", "FREQ=WEEKLY;INTERVAL=2", u"toutes les 2 semaines"},
           RepetitionRow{u"chaque année", "FREQ=YEARLY", u"chaque année"},
           RepetitionRow{u"毎週月曜日 ゴミ出し", "FREQ=WEEKLY;BYDAY=MO", u"毎週月曜日"},
           RepetitionRow{u"毎週日曜日", "FREQ=WEEKLY;BYDAY=SU", u"毎週日曜日"},
           RepetitionRow{u"隔週 会議", "FREQ=WEEKLY;INTERVAL=2", u"隔週"},
           RepetitionRow{u"3日ごとに水やり", "FREQ=DAILY;INTERVAL=3", u"3日ごと"},
           RepetitionRow{u"每周一 倒垃圾", "FREQ=WEEKLY;BYDAY=MO", u"每周一"},
           RepetitionRow{u"每两周", "FREQ=WEEKLY;INTERVAL=2", u"每两周"},
           RepetitionRow{u"每隔一天", "FREQ=DAILY;INTERVAL=2", u"每隔一天"},
           RepetitionRow{u"工作日 打卡", "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR", u"工作日"},
       }) {
    const std::u16string_view line(row.line);
    const std::optional<Repetition> found = findRepetition(line);
    if (row.rule == nullptr) {
      EXPECT_FALSE(found) << platform::toUtf8(line);
      continue;
    }
    ASSERT_TRUE(found) << platform::toUtf8(line);
    EXPECT_EQ(found->rule, row.rule) << platform::toUtf8(line);
    EXPECT_EQ(platform::toUtf8(platform::substring(line, found->range.location, found->range.length)),
              platform::toUtf8(row.phrase));
  }
}

TEST(Repetition, FirstOccurrenceIsTheFirstDayTheRuleAllows) {
  chrono::testing::ScopedTimeZone zone("Europe/Berlin");
  const Date sunday = chrono::testing::localDate(2026, 12, 6, 10, 0);
  const auto first = [&](std::u16string_view line) { return firstOccurrence(sunday, *findRepetition(line)); };
  EXPECT_EQ(first(u"every Tuesday"), chrono::testing::localDate(2026, 12, 8, 10, 0));
  EXPECT_EQ(first(u"every Sunday"), sunday);
  EXPECT_EQ(first(u"every weekday"), chrono::testing::localDate(2026, 12, 7, 10, 0));
  EXPECT_EQ(first(u"every 2 weeks"), sunday);
}

}  // namespace
}  // namespace zarvo::quickentry
