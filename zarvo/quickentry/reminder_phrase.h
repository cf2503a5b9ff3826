// "Remind me" phrases of a quick-entry line: "remind me 1h before", "remind me 30 minutes early",
// "remind me at 9am", "remind me tomorrow 9am", "erinnere mich eine Stunde vorher", "erinnere mich
// um 9 Uhr", "recuérdame 2 horas antes", "recuérdame a las 9", "rappelle-moi 1 heure avant",
// "rappelle-moi à 9h", and in Japanese and Chinese a length before the due ("1時間前にリマインド",
// "提前1小时提醒我") or a moment next to the words that ask ("明日9時にリマインド", "明天下午3点提醒我",
// "提醒我明天9点"). The polite ways of asking are part of the phrase ("リマインドしてください",
// "リマインドお願いします", "请提醒我", "提醒我一下").
//
// Pure functions over tables built once per process; thread-safe.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "zarvo/platform/regex.h"

namespace zarvo::quickentry {

struct ReminderPhrase {
  // Where the phrase stands in the line, in UTF-16 code units. With `beforeDue`, the whole phrase;
  // without, the words that ask for a reminder and the preposition after them ("remind me at "):
  // the moment follows, for the date engine to read.
  platform::Range range;
  // "… before": the reminder rings that long before the due.
  std::optional<std::chrono::seconds> beforeDue;
  // Without `beforeDue`: where the asking words end. The preposition after them, if any, lies
  // between here and the end of `range`; some languages read it as part of the moment ("a las 9").
  int64_t askEnd = 0;
  // Without `beforeDue`, where the moment may stand: after the phrase ("remind me at 9am", "提醒我明天
  // 9点"), and in Japanese and Chinese right before it, where `range` holds the words that ask and
  // the moment ends at its start ("明日9時にリマインド": "にリマインド"; "明天下午3点提醒我").
  bool momentFollows = true;
  bool momentPrecedes = false;
};

// The first "remind me" phrase of `line`, in any of the languages; nothing when it has none. A length
// that does not read ("remind me 0 minutes before") asks for no reminder.
std::optional<ReminderPhrase> findReminderPhrase(std::u16string_view line);

}  // namespace zarvo::quickentry
