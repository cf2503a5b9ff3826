// Phrases that count a distance from the reference, shared by every language: ahead ("in 3 days",
// "in drei Tagen", "dentro de media hora", "dans une semaine") and back ("2 weeks ago",
// "vor zwei Stunden", "hace 2 días", "il y a 3 heures").
//
// A language supplies its pattern, its tag and its words; how the moved date becomes known or implied
// is the same for all. Like every parser these are stateless and may be used from any thread.
#pragma once

#include "zarvo/chrono/parser.h"
#include "zarvo/chrono/relative_move.h"

namespace zarvo::chrono {

// A distance ahead of the reference. Days and longer units make the moved date known (the time stays
// implied); hours, minutes and seconds make the moved time known and leave its date implied.
class DeadlineFormatParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has the number in group amountGroup() and the unit in the group after it, and
  // the leading context in group 1 when hasLeadingContext(). A match whose amount or unit does not
  // read gives no result.
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  virtual TagUnit tag() const = 0;
  virtual const DistanceWords& words() const = 0;
  virtual size_t amountGroup() const { return 3; }
  // Whether pattern() begins with a leading-context group. Scripts written without spaces between
  // words have none: the phrase is then the whole match.
  virtual bool hasLeadingContext() const { return true; }
};

// A distance back from the reference. Hours, minutes and seconds make the moved time known and leave
// its date implied; weeks leave the moved date and its weekday implied; days, months and years make
// the moved date known. A match right after a word character is rejected ("abc 5 minutes ago" is read
// from "5" on, one position later).
class TimeAgoFormatParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has the leading context in group 1, the number in group 2 and the unit in
  // group 3.
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  virtual TagUnit tag() const = 0;
  virtual const DistanceWords& words() const = 0;
};

}  // namespace zarvo::chrono
