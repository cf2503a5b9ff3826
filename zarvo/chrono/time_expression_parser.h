// Clock times with an optional range end, read the same way in every language: "at 5pm", "10:30",
// "0930", "um 17 Uhr", "a las 5 pm", "à 14h30", "7 - 9pm", "14:30 bis 16 Uhr".
//
// A language supplies its two patterns, its tag and the words that stand for an hour ("noon",
// "mitternacht"); the reading of hours, minutes, seconds, am/pm markers and range ends is shared.
// Stateless; safe to use from any thread.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Assigns hour and minute (second when stated, meridiem when determined) on the reference day; a range
// end becomes the result's end, moved to the next day when it would lie before the start. Rejects
// digits glued to a word character ("x2", "abc10:30", the "T10:00" of an ISO timestamp), out-of-range
// values ("10:75", "13pm") and a bare number without minutes or marker ("1230"). A time followed by a
// numeric zone offset ("5pm -0800") gets no end. Reads the same in strict mode.
class TimeExpressionParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has groups 1 leading context, 2 hour (digits or a named hour), 3 minute,
  // 4 second, 5 am/pm marker; rangeEndPattern(), matched at the very start of the text after the
  // phrase, has 1 separator, 2 hour, 3 minute, 4 second, 5 am/pm marker.
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  // A word the hour group may hold instead of digits.
  struct NamedHour {
    std::u16string_view word;         // lower case, compared with the lower-cased group
    int64_t hour;
    std::optional<int64_t> meridiem;  // the half of the day the word states; none: read from the hour
  };

  virtual TagUnit tag() const = 0;
  virtual std::u16string_view rangeEndPattern() const = 0;
  virtual std::span<const NamedHour> namedHours() const = 0;
  // The digits of an hour group (start or range end) as they are to be converted. The base returns
  // the text unchanged.
  virtual std::u16string_view hourDigits(std::u16string_view hourText) const { return hourText; }
};

}  // namespace zarvo::chrono
