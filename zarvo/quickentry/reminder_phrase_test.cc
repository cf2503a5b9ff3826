#include "zarvo/quickentry/reminder_phrase.h"

#include <gtest/gtest.h>

#include "zarvo/platform/text.h"

namespace zarvo::quickentry {
namespace {

using std::chrono::seconds;

struct ReminderRow {
  const char16_t* line;
  const char16_t* phrase;  // nullptr: none found
  int64_t beforeDue;       // seconds; 0: a moment follows the phrase
};

TEST(ReminderPhrase, AskingWordsOfEveryLanguage) {
  for (const ReminderRow& row : {
           ReminderRow{u"call mum tomorrow 5pm remind me 1h before", u"remind me 1h before", 3600},
           ReminderRow{u"Dentist friday 3pm, remind me 30 minutes early", u"remind me 30 minutes early", 1800},
           ReminderRow{u"Flight Monday 7am Remind me a day before", u"Remind me a day before", 86400},
           ReminderRow{u"standup 9:30 remind me 2 hrs in advance", u"remind me 2 hrs in advance", 7200},
           ReminderRow{u"pay rent remind me at 9am", u"remind me at ", 0},
           ReminderRow{u"remind me tomorrow 9am to water plants", u"remind me ", 0},
           ReminderRow{u"Zahnarzt Freitag 15 Uhr erinnere mich eine Stunde vorher", u"erinnere mich eine Stunde vorher", 3600},
           ReminderRow{u"Müll raus erinnere mich um 19 Uhr", u"erinnere mich um ", 0},
           ReminderRow{u"Cita médico lunes 10:00 recuérdame 2 horas antes", u"recuérdame 2 horas antes", 7200},
           ReminderRow{u"llamar a Ana recuérdame a las 9", u"recuérdame a las ", 0},
           ReminderRow{u"Réunion jeudi 14h rappelle-moi 15 minutes avant", u"rappelle-moi 15 minutes avant", 900},
           ReminderRow{u"appeler Paul rappelle-moi à 9h", u"rappelle-moi à ", 0},
           ReminderRow{u"会議 明日15時 1時間前にリマインド", u"1時間前にリマインド", 3600},
           ReminderRow{u"开会 明天下午3点 提前30分钟提醒我", u"提前30分钟提醒我", 1800},
           ReminderRow{u"明日9時にリマインドして", u"にリマインドして", 0},
           ReminderRow{u"明天下午3点提醒我交电费", u"提醒我", 0},
           // Polite forms are part of the phrase.
           ReminderRow{u"1時間前にリマインドしてください", u"1時間前にリマインドしてください", 3600},
           ReminderRow{u"30分前にリマインドして下さい", u"30分前にリマインドして下さい", 1800},
           ReminderRow{u"1日前にリマインドしてね 歯医者", u"1日前にリマインドしてね", 86400},
           ReminderRow{u"1時間前にリマインドお願いします", u"1時間前にリマインドお願いします", 3600},
           ReminderRow{u"明日9時にリマインドしてください", u"にリマインドしてください", 0},
           ReminderRow{u"9時にリマインドお願いします 薬", u"にリマインドお願いします", 0},
           ReminderRow{u"开会 请提前1小时提醒我", u"请提前1小时提醒我", 3600},
           ReminderRow{u"开会 提前30分钟提醒我一下", u"提前30分钟提醒我一下", 1800},
           ReminderRow{u"开会 2小时前請提醒我", u"2小时前請提醒我", 7200},
           ReminderRow{u"明天下午3点请提醒我交电费", u"请提醒我", 0},
           ReminderRow{u"提醒我一下明天9点开会", u"提醒我一下", 0},
           ReminderRow{u"remind me 0 minutes before", nullptr, 0},
           ReminderRow{u"reminders app review", nullptr, 0},
           ReminderRow{u"remind mentor about the talk", nullptr, 0},
           ReminderRow{u"send the reminder email", nullptr, 0},
       }) {
    SCOPED_TRACE(platform::toUtf8(row.line));
    const std::u16string_view line(row.line);
    const std::optional<ReminderPhrase> found = findReminderPhrase(line);
    if (row.phrase == nullptr) {
      EXPECT_FALSE(found);
      continue;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(platform::toUtf8(platform::substring(line, found->range.location, found->range.length)),
              platform::toUtf8(row.phrase));
    EXPECT_EQ(found->beforeDue, row.beforeDue ? std::optional(seconds(row.beforeDue)) : std::nullopt);
  }
}

}  // namespace
}  // namespace zarvo::quickentry
