// The end of a week, month or year and the weekend, read the same way in every language: "end of
// month", "Ende der Woche", "a fin de mes", "à la fin du mois", "月末", "月底", "this weekend",
// "nächstes Wochenende", "el próximo fin de semana", "le week-end prochain", "週末", "周末".
//
// A language supplies its pattern, tag and how a match names the period. Stateless; safe to use from
// any thread.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// The day a period phrase names becomes known (the time stays implied):
//   week: the end of the working week, the first Friday from the reference on (today included);
//   month: the last day of the reference's month;
//   year: 31 December of the reference's year;
//   weekend: the reference's day when it is a Saturday or Sunday, else the coming Saturday.
// `ahead` counts periods further on: "end of next month", "next weekend" (the Saturday a week after
// this weekend's).
class PeriodEndParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has the leading context in group 1 when hasLeadingContext().
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  enum class Period { week, month, year, weekend };
  struct Named {
    Period period;
    int64_t ahead = 0;
  };

  virtual TagUnit tag() const = 0;
  // The period `match` names; nothing rejects the match.
  virtual std::optional<Named> period(std::u16string_view text, const platform::Match& match) const = 0;
  virtual bool hasLeadingContext() const { return true; }
};

}  // namespace zarvo::chrono
