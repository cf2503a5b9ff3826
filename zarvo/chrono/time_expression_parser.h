// Clock times with an optional range end, read the same way in every language: "at 5pm", "10:30",
// "0930", "um 17 Uhr", "a las 5 pm", "à 14h30", "下午三點", "7 - 9pm", "14:30 bis 16 Uhr",
// "下午三點到五點".
//
// A language supplies its two patterns, its tag and how one clock is read from a match of either
// (digits and hour words by default; a language with its own numerals and day words reads its own).
// What the clocks then mean (the half of the day, the range end's day and half of the day) is shared.
// Stateless; safe to use from any thread.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Assigns hour and minute (second when stated, meridiem when determined) on the day the clock names,
// else on the reference day (implied); a range end becomes the result's end, on the start's day unless
// it names its own, moved to the next day when it would lie before the start. Rejects out-of-range
// values ("10:75", "13pm", "25點") and, for patterns with a leading context, digits glued to a word
// character ("x2", "abc10:30", the "T10:00" of an ISO timestamp). A bare number ("1230") is no time on
// its own. A time followed by a numeric zone offset ("5pm -0800") gets no end. Reads the same in
// strict mode.
//
// The half of the day: an hour from 12 on is PM. An am/pm marker decides over everything else ('a'
// makes 12 into 0, 'p' adds 12 to every hour but 12; a marked hour above 12 rejects the match).
// Without one, a half of the day the words state works the same way ("早上十二點" is 0:00, "下午三點"
// 15:00, "noon" 12:00 PM). On a range end a marker also settles the start's half of the day when the
// start stated none ("7 - 9pm" starts at 19:00), and an end whose half stays open after a start
// stated as PM and later on the clock is AM ("10pm - 2" ends at 2 at night).
class TimeExpressionParser : public Parser {
 public:
  using Parser::Parser;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  // What one clock of a match states, the phrase's own or its range end's.
  struct Clock {
    std::optional<Date> day;          // a day the words name ("明天"); none: the start's (or the reference) day
    int64_t hour = 0;                 // as written; checked by the base (below 25)
    int64_t minute = 0;               // checked by the base (below 60)
    std::optional<int64_t> second;    // checked by the base (below 60)
    std::optional<int64_t> meridiem;  // the half of the day the words state (0 AM, 1 PM); none: not stated
    std::u16string_view marker;       // the am/pm marker as written ("pm", "A.M."); empty: none
  };

  // A word the hour group may hold instead of digits, for the default readClock.
  struct NamedHour {
    std::u16string_view word;         // lower case, compared with the lower-cased group
    int64_t hour;
    std::optional<int64_t> meridiem;  // the half of the day the word states; none: read from the hour
  };

  virtual TagUnit tag() const = 0;
  // Matched at the very start of the text after the phrase.
  virtual std::u16string_view rangeEndPattern() const = 0;

  // The clock of `match`, a match of pattern() in `text` or of rangeEndPattern() in the text after the
  // phrase; day words are read against `ref`. Nothing rejects the whole match.
  // The default reads groups 2 hour (digits or one of namedHours()), 3 minute, 4 second, 5 am/pm
  // marker, group 1 being the leading context (or the range separator). An hour without minutes is
  // read as written digits: "5" is 5:00, "930" and "0930" 9:30; nothing when the digits name no time
  // of day. A number that does not convert (digits of other scripts match "\d") rejects the match,
  // except a second, which is then left unread.
  virtual std::optional<Clock> readClock(std::u16string_view text, const platform::Match& match, Date ref) const;
  virtual std::span<const NamedHour> namedHours() const { return {}; }
  // The digits of an hour group (start or range end) as they are to be converted. The base returns
  // the text unchanged.
  virtual std::u16string_view hourDigits(std::u16string_view hourText) const { return hourText; }

  // Whether pattern() begins with a leading-context group (group 1). Scripts written without spaces
  // between words have none: the phrase is then the whole match, and it may follow a word character.
  virtual bool hasLeadingContext() const { return true; }
};

}  // namespace zarvo::chrono
