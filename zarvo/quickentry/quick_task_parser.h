// QuickTaskParser: turns one typed line into a TaskDescription — title, due date, list and flag.
//
// The syntax, read in this order:
//   - a date phrase anywhere (the last one the date engine finds is taken out of the line);
//   - a list reference: "#" followed by word characters, or "{" followed by word characters, white
//     space or "|" with an optional "}" (for titles with spaces); only the first one counts;
//   - a flag: "!!" at the very end of the line once the date phrase is out;
//   - with QuickEntryOptions::reminders, a "remind me" phrase first, taken out before the rest is read.
//
// The parser only reads: it creates nothing and changes no record. Every input yields a description.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/model/list.h"
#include "zarvo/platform/regex.h"
#include "zarvo/quickentry/chrono_parse_helper.h"

namespace zarvo {

class QuickTaskParser {
 public:
  struct TaskDescription {
    // The line without the date phrase, trimmed of spaces and tabs; the list reference and the flag
    // marks are still in it.
    std::u16string string;
    // `string` without every occurrence of the list reference and without one final "!!", trimmed.
    std::u16string title;
    // The list reference as matched, with its "#" or braces; present whenever the line holds one,
    // even when no list has that title.
    std::optional<std::u16string> parsedList;
    // Where `parsedList` stands in `string` (not in the input).
    std::optional<platform::Range> parsedListRange;
    // Where the chosen list's reference stands in the input line (before the date phrase was taken
    // out). Present exactly when `list` is; its location is Range::kNotFound when the list's title,
    // read as a pattern, finds nothing (or does not compile).
    std::optional<platform::Range> listTitleRange;
    // The first list, in the order given, whose title equals the reference's name ignoring case.
    std::shared_ptr<List> list;
    // The date engine's finding; null when the line holds no date phrase.
    std::shared_ptr<ChronoParseItem> chronoItem;
    // `string` ends with "!!".
    bool flagged = false;
    // The alarm a "remind me" phrase asks for (QuickEntryOptions::reminders): that long before the
    // due, or at a moment. The phrase is out of `string` and `title`.
    struct Reminder {
      std::u16string phrase;                          // as typed
      std::optional<std::chrono::seconds> beforeDue;  // "remind me 1h before"
      std::optional<Date> at;                         // "remind me tomorrow at 9" (else beforeDue)
      bool atIsDay = false;                           // `at` names a day only ("remind me Friday")
      // `at` is a clock time alone ("remind me at 9am"). On a line due a later day it is that time
      // on the due's day (the day before when it would fall after the due's own time).
      bool atNamesTimeOnly = false;
    };
    std::optional<Reminder> reminder;

    std::optional<Date> dueDate() const {
      return chronoItem ? std::optional<Date>(chronoItem->dueDate()) : std::nullopt;
    }
    // The line names a day but no time of day, and the options ask for all-day dues: the task is due
    // on the day of dueDate(), all day (ChronoParseItem::isAllDay).
    bool dueIsAllDay() const { return chronoItem && chronoItem->isAllDay(); }
    // The recurrence rule of the line's repetition phrase (ChronoParseItem::recurrenceRule).
    std::optional<std::string> recurrenceRule() const {
      return chronoItem ? chronoItem->recurrenceRule() : std::nullopt;
    }
  };

  // `clock` supplies the reference date of the date engine (see ChronoParseHelper); null reads the
  // process clock at each parse. `options` (quick_entry_options.h) default to the engine's own reading;
  // with `cleanTitles` the title also loses the doubled blanks a removed list reference leaves, and
  // with `wholeTitles` list references are read as that option says.
  explicit QuickTaskParser(std::shared_ptr<const platform::Clock> clock = nullptr, QuickEntryOptions options = {})
      : chrono_(std::move(clock), std::move(options)) {}

  // `lists` in the order in which they are tried. Reads each list's title (through its calendar), so
  // call it on a thread that may use those lists. Never fails.
  TaskDescription parse(std::u16string_view text, const std::vector<std::shared_ptr<List>>& lists) const;
  TaskDescription parse(std::string_view utf8Text, const std::vector<std::shared_ptr<List>>& lists) const;

 private:
  ChronoParseHelper chrono_;
};

using TaskDescription = QuickTaskParser::TaskDescription;

}  // namespace zarvo
