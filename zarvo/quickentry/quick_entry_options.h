// QuickEntryOptions: opt-in corrections of what quick entry reads in a line.
//
// With the default options quick entry reads a line exactly as the date engine does: every language,
// the first match wins, past dates stay past, "get" after a time is a time zone. Each field below
// turns on one correction or reading that a person typing a to-do expects;
// `QuickEntryOptions::everyCorrection` turns the corrections on, `QuickEntryOptions::recommended`
// everything. Every field documents its default and its effect.
#pragma once

#include <optional>
#include <set>
#include <string_view>

#include "zarvo/chrono/options.h"
#include "zarvo/chrono/reader_options.h"

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

  // Each language reads the whole line on its own, and the reading that explains most of the line
  // wins (ReaderOptions::LanguageChoice::byEvidence: the longest text covered, then the most values
  // stated), instead of English first and the others only when English finds nothing: "Zahnarzt
  // morgen um 17:00" is German although English reads "17:00". `tieLanguage` wins between readings
  // that explain as much. A line written in Han or kana is also read in Japanese and Chinese,
  // whatever `languages` says. Default false: English first, as the engine's preferred language.
  bool chooseLanguageByEvidence = false;
  // The language that wins a tie between readings under chooseLanguageByEvidence, normally the
  // locale's. Default absent: Japanese or Chinese by the script, then English, then Language order.
  std::optional<chrono::Language> tieLanguage;

  // Which order dates of two numbers are read in ("3/12"). Default byLanguage: each language's own
  // (month first in English, day first in German, Spanish and French), so under
  // chooseLanguageByEvidence a German line's "3.12." and a French line's "3/12" are 3 December.
  chrono::ReaderOptions::NumericDateOrder numericDateOrder = chrono::ReaderOptions::NumericDateOrder::byLanguage;

  // The phrases of the extended configuration (chrono::extendedCasualModeOption(): "the day after
  // tomorrow", "übermorgen", "on the 15th", "end of month", "this weekend", "a las 5 de la tarde",
  // "明日の午後3時", "30分後", "周五", "两周后", ...). Default false: the casual configuration.
  bool extraPhrases = false;

  // A lone date and a lone clock time anywhere in the line are one due date, and both phrases leave
  // the title: "明日 歯医者 15時" is tomorrow at 15:00, "Call mom tomorrow about dinner at 5pm"
  // tomorrow at 17:00 titled "Call mom about dinner". Only when the line holds exactly one of each.
  // Default false: the last phrase alone.
  bool joinDateAndTime = false;

  // A clock time that names no day and has passed is the next such time ("Standup at 9" typed at
  // 14:49 is tomorrow 9:00). Default false: today, past or not.
  bool timesAhead = false;

  // Years Japanese and Chinese dates write short are read as meant (chrono::ReaderOptions::shortYears):
  // "24年3月5日" and "二四年三月五日" are in 2024 (the year ending in those digits nearest the moment of
  // entry), "令和6年3月5日" too, and "平成2年" is 1990. Default false: the engine's reading, where
  // 24年 is the year 24 and only 昭和 and 平成 years of two digits are eras.
  bool shortYears = false;

  // A phrase that states no time of day ("today", "Friday", "Dec 24", "in 3 days") gives an all-day
  // due: the description's dueIsAllDay() is true and its due date is the start of that day, so the
  // task is due that day, shown without a time, stored as a date. With `defaultTime` the day gets
  // that time instead. Default false: the engine's implied time (12:00).
  bool allDayDates = false;
  struct TimeOfDay {
    int hour = 9;    // 0-23
    int minute = 0;  // 0-59
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
  };
  // Under allDayDates, the time a day-only due gets instead of being all-day. Default absent.
  std::optional<TimeOfDay> defaultTime;

  // A repetition phrase ("every Monday", "every 2 weeks", "jeden Tag", "cada lunes", "tous les
  // lundis", "毎週月曜日", "每周一"; quickentry/repetition.h) becomes the description's recurrence
  // rule and leaves the title; the due date moves to the first day the rule allows, today when the
  // line names none ("every day": today). Default false: such words are left to the engine.
  bool repetitions = false;

  // A "remind me" phrase ("remind me 1h before", "remind me at 9am", "erinnere mich 30 Minuten
  // vorher", "recuérdame a las 9", "rappelle-moi 1 heure avant", "1時間前にリマインド", "提前1小时提醒我";
  // quickentry/reminder_phrase.h) becomes the description's reminder and leaves the title; the rest
  // of the line is read without it. Default false: such words are left to the engine and the title.
  // Not part of `recommended`: a front end turns it on once it writes the reminder (zarvo add does).
  bool reminders = false;

  // The rest of the line stays whole:
  //   - "#" followed by digits only ("#123") is text, not a list reference;
  //   - a reference that names no list stays in the title (`parsedList` still tells it), and the
  //     first reference that names a list is the list;
  //   - a month name alone before a word ("Email Jan about", "May on the phone") is no date, unless
  //     a preposition comes before it ("in June");
  //   - with cleanTitles, a connector is removed only where the title ends at the cut ("Submit report
  //     by"); a phrase between a connector and more words stays in the title ("Prepare slides for
  //     Monday meeting": due Monday, the title whole).
  // Default false: the first reference counts, and leaves the title whether or not it names a list.
  bool wholeTitles = false;

  // Whether making the parser sets the engine-wide preferred language to English, as quick entry
  // always did (then every Chrono in the process that follows the engine-wide setting reads English
  // first). False leaves the engine-wide settings alone: the parser reads English first by its own
  // options, and other readers in the process are not touched. Default true.
  bool setsEngineLanguage = true;

  // Every correction on, reading English and `languages`.
  static QuickEntryOptions everyCorrection(std::set<chrono::Language> languages) {
    QuickEntryOptions o;
    o.languages = std::move(languages);
    o.forwardDates = o.capitalTimeZonesOnly = o.falseDateGuard = o.afternoonSmallHours = o.cleanTitles = true;
    return o;
  }

  // Every correction and every reading above on, reading English and `languages` with `tieLanguage`
  // winning ties, leaving the engine-wide settings alone: what the zarvo program does by default.
  static QuickEntryOptions recommended(std::set<chrono::Language> languages,
                                       std::optional<chrono::Language> tieLanguage) {
    QuickEntryOptions o = everyCorrection(std::move(languages));
    o.chooseLanguageByEvidence = o.extraPhrases = o.joinDateAndTime = o.timesAhead = o.allDayDates = true;
    o.repetitions = o.wholeTitles = o.shortYears = true;
    o.tieLanguage = tieLanguage;
    o.setsEngineLanguage = false;
    return o;
  }

  friend bool operator==(const QuickEntryOptions&, const QuickEntryOptions&) = default;
};

}  // namespace zarvo
