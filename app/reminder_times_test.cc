#include "app/reminder_times.h"

#include <gtest/gtest.h>

#include "app/command_error.h"
#include "zarvo/reminders/records.h"
#include "zarvo/testing/dates.h"

namespace zarvo::app {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using testing::localDate;

// "Now" is Monday 2024-03-11 10:00 in Berlin. A length counts back from a due with a time (an offset
// that follows the due), else forward from now; a phrase is a moment; anything else is refused.
TEST(ReminderTimesTest, LengthsBeforeTheDueAndPhrasesAtTheirMoment) {
  testing::ScopedTimeZone zone("Europe/Berlin");
  const Date now = localDate(2024, 3, 11, 10, 0);
  // As the app reads dates: a weekday is the next one, a day alone is a day.
  const ChronoParseHelper dates(std::make_shared<platform::FixedClock>(now),
                                QuickEntryOptions::recommended({chrono::Language::english}, chrono::Language::english));
  struct Case {
    const char* text;
    bool dueHasTime;
    std::optional<std::chrono::seconds> offset;
    std::optional<Date> at;
  };
  const Case cases[] = {
      {"10m", true, -minutes(10), std::nullopt},
      {" 1h ", true, -hours(1), std::nullopt},
      {"2d", true, -hours(48), std::nullopt},
      {"10m", false, std::nullopt, now + minutes(10)},
      {"09:00", true, std::nullopt, localDate(2024, 3, 12, 9, 0)},  // past today: the next one
      {"11:00", false, std::nullopt, localDate(2024, 3, 11, 11, 0)},
      {"tomorrow 9am", false, std::nullopt, localDate(2024, 3, 12, 9, 0)},
      {"fri 17:30", true, std::nullopt, localDate(2024, 3, 15, 17, 30)},
      {"tomorrow", true, std::nullopt, localDate(2024, 3, 12, 9, 0)},  // a day: at 09:00
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + (c.dueHasTime ? ", due with a time" : ""));
    const auto alarm = reminderAlarm(c.text, c.dueHasTime, now, dates);
    EXPECT_EQ(alarm->relativeOffset(), c.offset);
    EXPECT_EQ(alarm->absoluteDate(), c.at);
  }
  for (const char* refused : {"", "soonish", "call at 9", "0m", "10s"}) {
    EXPECT_THROW((void)reminderAlarm(refused, true, now, dates), UsageError) << refused;
  }
}

}  // namespace
}  // namespace zarvo::app
