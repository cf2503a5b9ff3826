// The readings quick entry drops or corrects when its options ask for it (quick_entry_options.h).
//
// All functions are pure: they read the line and one result and keep no state.
#pragma once

#include <string_view>

#include "zarvo/chrono/parsed_result.h"

namespace zarvo::quickentry {

// Whether `result`, found in the line `text`, is a reading a person would not mean:
//   1. Its phrase is digits alone, joined only by blanks and dashes ("555-1234", "3-4", "12 15"),
//      and is not an ISO date ("2024-03-12"). Dates meant as dates are written with "/" or "." or
//      with words; clock times with ":" or am/pm.
//   2. The line has more digits glued to the phrase: the character before its start or after its end
//      is a digit, or a "-", "+", "/" or "." next to a digit ("+49 30 1234", "ISBN 978-3-16").
//   3. A clock time whose meridiem is a lone "a" or "p" after a blank ("de 9 a 11", where "a" is the
//      Spanish "to").
//   4. A German, Spanish or French weekday written as an abbreviation of at most three letters with
//      nothing else in the phrase ("do" in "do laundry", "Sam" in "Lunch with Sam"): such words are far
//      more often English words and names than dates.
bool isFalseDate(std::u16string_view text, const chrono::ParsedResult& result);

// `result` moved a year ahead when its phrase writes a numeric date without a year ("2/1", "3/12
// 10:30", "5.4") that lies before `ref`. The slash-date parsers state the year they implied, so the
// engine's forward dating leaves such dates in the past.
chrono::ParsedResult withNumericDateAhead(chrono::ParsedResult result, Date ref);

// `result` with a clock hour from 1 to 6 read in the afternoon, when the phrase states the hour as a
// number (or as German clock words, "halb vier") without am/pm, without a leading zero and without an
// hour mark of 24-hour writing ("h", "Uhr"): "at 5" is 17:00, "3点" and "3時" 15:00, "05:00", "5h"
// and "5am" stay. The end of a range is moved the same way.
chrono::ParsedResult inTheAfternoon(chrono::ParsedResult result);

// `before` (the part of a title in front of a cut-out date phrase) without the connectors left
// dangling at its end: "by", "on", "at", "before", "due", "until", "till", "from", "for" (English),
// "bis", "am", "um", "ab", "vor", "zum", "fällig", "spätestens" (German), "para", "el", "antes",
// "hasta", "del" (Spanish), "pour", "le", "avant", "à", "au", "jusqu'au", "d'ici" (French); at most two,
// matched as whole words in any letter case. `after` (the part behind the phrase) without a leading
// "までに", "まで", "に" before anything but hiragana (Japanese) or "之前", "以前" (Chinese).
std::u16string_view withoutDanglingConnector(std::u16string_view before);
std::u16string_view withoutLeadingParticle(std::u16string_view after);

// Whether `result` states a time of day: an hour, or a part of the day that implies one ("tonight",
// "morning", "noon", "中午"), or "now". A reading that states none names a day only.
bool statesTimeOfDay(const chrono::ParsedResult& result);

// Whether `result` is a month name alone, without a day, year or time ("Jan" in "Email Jan about the
// budget", "May" in "May on the phone"), that no preposition ("in", "by", "until", "till", "before",
// "after", "from", "since", "during", "of") comes before in `text`: such a word is far more often a
// name than a date.
bool isLoneMonthName(std::u16string_view text, const chrono::ParsedResult& result);

// Whether `text` holds a word (a letter or digit) outside list references ("#Work", "{Home Office}"):
// flag marks and punctuation alone are no words.
bool holdsWords(std::u16string_view text);

// Whether the phrase cut out between `before` and `after` belongs to the title: `before` ends with a
// connector (as withoutDanglingConnector reads them) and `after` holdsWords ("Prepare slides for
// [Monday] meeting"), or `after` begins with the Japanese の or the Chinese 的 that make the phrase
// name what follows ("[明日]の会議の準備", "[明天]的会议").
bool phraseInsideTitle(std::u16string_view before, std::u16string_view after);

// `text` with every run of spaces and tabs (Unicode space separators, U+0009) inside it made one
// space. Line breaks are kept.
std::u16string withSingleBlanks(std::u16string_view text);

}  // namespace zarvo::quickentry
