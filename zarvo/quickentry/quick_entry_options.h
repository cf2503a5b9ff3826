// QuickEntryOptions: opt-in corrections of what quick entry reads in a line.
//
// With the default options quick entry reads a line exactly as the date engine does: every language,
// the first match wins, past dates stay past, "get" after a time is a time zone. Each field below
// turns on one correction that a person typing a to-do expects; `QuickEntryOptions::everyCorrection`
// turns them all on. Every field documents its default and its effect.
#pragma once

#include <optional>
#include <set>
#include <string_view>

#include "zarvo/chrono/options.h"

namespace zarvo {

struct QuickEntryOptions {
  // The languages whose phrases are read. English is always read (the first pass); when it finds
  // nothing, only these are tried (the second pass). Default: absent, every language of the engine.
  // An empty set reads English alone.
  std::optional<std::set<chrono::Language>> languages;

  // A date written without a year that lies before the moment of entry moves to the next year ("Jan
  // 5", "2/1", "5 de enero"), and a weekday named alone ("by Friday", "Sat 7:30") is the next such
  // day, today included. Default false: the engine's reading, which may lie in the past.
  bool forwardDates = false;

  // A time-zone abbreviation after a clock time is read only when written in capitals: "5 PST" is
  // Pacific time, "at 5pm get milk" is not Georgia time. Default false: any letter case.
  bool capitalTimeZonesOnly = false;

  // Drops readings a person would not mean, by this rule (reading_corrections.h has the details):
  //   1. a phrase of digits alone, joined only by blanks or dashes ("555-1234", "3-4"), except an
  //      ISO date (2024-03-12);
  //   2. a phrase glued to more digits before or after it ("+49 30 1234", "ISBN 978-3-16");
  //   3. a clock time whose meridiem is a lone "a" or "p" after a blank ("de 9 a 11": Spanish "to");
  //   4. a weekday of another language than English written as an abbreviation of at most three
  //      letters and nothing else ("do laundry", "Lunch with Sam").
  // When every reading of the first pass is dropped, the second pass (other languages) is tried and
  // guarded the same way. Default false: every reading stays.
  bool falseDateGuard = false;

  // A clock hour from 1 to 6 written without am/pm and without a leading zero ("Meet at 5", "um
  // 3") is read in the afternoon (17:00, 15:00). Default false: the engine's reading (05:00).
  bool afternoonSmallHours = false;

  // The title loses a connector left dangling where the date phrase was cut out ("Submit report by",
  // "Car service on", "Termin bis", "Informe para", "Rapport pour") and doubled blanks ("Email  about
  // Q4"). Line breaks are kept. Default false: the title as cut.
  bool cleanTitles = false;

  // Every correction on, reading English and `languages`.
  static QuickEntryOptions everyCorrection(std::set<chrono::Language> languages) {
    QuickEntryOptions o;
    o.languages = std::move(languages);
    o.forwardDates = o.capitalTimeZonesOnly = o.falseDateGuard = o.afternoonSmallHours = o.cleanTitles = true;
    return o;
  }

  friend bool operator==(const QuickEntryOptions&, const QuickEntryOptions&) = default;
};

}  // namespace zarvo
