// Weeks and months ahead named without a day, read the same way in every language: "nächste Woche",
// "la semana que viene", "la semaine prochaine", "来週", "下个月".
//
// A language supplies its pattern, tag and word tables. Stateless; safe to use from any thread.
#pragma once

#include "zarvo/chrono/parser.h"
#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono {

// As the English "next week" and "next month" read: weeks move the reference on by 7 days a week with
// the date only implied; months move it on by whole months with the month and year known and the day
// implied. Nothing is stated of the time.
class RelativePeriodParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has the phrase's key in group wordGroup(), and the leading context in group 1
  // when hasLeadingContext(). A key neither table holds (once lower-cased, with each run of blanks
  // read as one blank) gives no result.
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  virtual TagUnit tag() const = 0;
  // How many weeks, or months, each key moves on.
  virtual const WordTable& weeks() const = 0;
  virtual const WordTable& months() const = 0;
  virtual size_t wordGroup() const { return 2; }
  // Whether pattern() begins with a leading-context group; scripts without spaces have none and the
  // phrase is then the whole match.
  virtual bool hasLeadingContext() const { return true; }
};

}  // namespace zarvo::chrono
