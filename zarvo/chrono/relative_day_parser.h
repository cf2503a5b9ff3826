// Words that name a day by how many days it lies from the reference, read the same way in every
// language: "the day after tomorrow", "übermorgen", "pasado mañana", "après-demain", "明後日", "后天".
//
// A language supplies its pattern, tag and word table. Stateless; safe to use from any thread.
#pragma once

#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/parser.h"
#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono {

// The day `days()` gives the word (counted in days from the reference) becomes known. Days ahead
// count from the day "tomorrow" names, so from 00:00 to 01:59 "the day after tomorrow" is one day
// on, as "tomorrow" is then the day just begun. The time stays implied; a part of the day read with
// the word ("pasado mañana por la tarde", "后天早上") implies its hour. Such a phrase is one result, so
// a casual reading of its tail ("mañana por la tarde") cannot take the day's place.
class RelativeDayParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has the word in group wordGroup(), and the leading context in group 1 when
  // hasLeadingContext(). A word the table lacks (once lower-cased, with each run of blanks or dashes
  // read as one blank) gives no result.
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  virtual TagUnit tag() const = 0;
  virtual const WordTable& days() const = 0;
  virtual size_t wordGroup() const { return 2; }
  // The part of the day the group partOfDayGroup() names, when the pattern has one (0: none, the
  // default); a word it does not know leaves the time implied as without one.
  virtual size_t partOfDayGroup() const { return 0; }
  virtual const PartOfDay* partOfDay(std::u16string_view) const { return nullptr; }
  // Whether pattern() begins with a leading-context group. Scripts written without spaces between
  // words have none: the phrase is then the whole match.
  virtual bool hasLeadingContext() const { return true; }
};

}  // namespace zarvo::chrono
