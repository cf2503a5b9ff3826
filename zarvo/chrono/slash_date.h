// Dates written with digits and separators ("3/12", "12.03.2024", "15/03/2024"): the readings every
// language's slash-date parser shares, and the day-first parser of the languages that write the day
// before the month.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "zarvo/chrono/parser.h"
#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono {

// True when `text` has the shape of a decimal or version number rather than a date: "1.2", "1.2.3",
// "1.12.31" (one digit, a dot, one digit; or one digit and two dotted groups of one or two digits).
bool looksLikeVersionNumber(std::u16string_view text);

// A written year: two digits below 51 mean 2000 to 2050, 51 to 99 mean 1951 to 1999; other years
// stay as written.
int64_t fullYear(int64_t writtenYear);

struct DayAndMonth {
  int64_t day;
  int64_t month;
};

// The day and month two numbers name when read as `day` and `month`. A month of 13 to 31 with a day
// of 1 to 12 is taken the other way round ("12/25" read month first is 25 December); any other month
// of 13 or more, and any day outside 1 to 31, gives nothing. A month of 0 is left for the calendar
// (and strict mode) to judge.
std::optional<DayAndMonth> dayAndMonth(int64_t day, int64_t month);

// Day-first numeric dates ("12.03.2024", "15/03/2024", "Montag, den 3.5."). The result's text is the
// match without its leading context; it keeps the trailing character. A match with a "/" on either
// side is part of a longer run ("1/2/3/4") and makes the scan skip past it; a match shaped like a
// version number ("1.5" alone) gives no result. Day, month and year become known (the year of the
// reference when none is written); a weekday named in front is assigned.
class DayFirstSlashDateParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has the leading context in group 1 and an optional weekday phrase, starting
  // with a word of weekdays(), in group 2.
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  struct Groups {
    size_t day;
    size_t month;
    size_t year;
    size_t trailing;  // the character after the date
  };

  virtual TagUnit tag() const = 0;
  virtual const WordTable& weekdays() const = 0;
  // Where this match holds its numbers. The base answers groups 3, 4, 5 and 6.
  virtual Groups groups(const platform::Match& match) const;
};

}  // namespace zarvo::chrono
