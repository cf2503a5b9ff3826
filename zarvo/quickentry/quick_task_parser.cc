#include "zarvo/quickentry/quick_task_parser.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/reading_corrections.h"
#include "zarvo/quickentry/reminder_phrase.h"

namespace zarvo {

namespace {

using platform::Range;
using platform::Regex;

// Removes every occurrence of `what` from `text`, literally and case-sensitively.
std::u16string removingAll(std::u16string text, std::u16string_view what) {
  if (what.empty()) return text;
  std::u16string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, from)) {
    out.append(text, from, at - from);
    from = at + what.size();
  }
  out.append(text, from, std::u16string::npos);
  return out;
}

std::u16string removingAll(std::u16string text, char16_t what) {
  std::erase(text, what);
  return text;
}

bool endsWithTwoBangs(std::u16string_view s) { return s.size() >= 2 && s.substr(s.size() - 2) == u"!!"; }

// Where the chosen list's reference stands in the input. The title goes into the pattern unescaped,
// exactly as typed, so in the brace alternative its characters join a character class; a title that
// breaks the pattern finds nothing. Being user text, the pattern is searched by the reference engine
// alone, so which titles break it does not depend on the engine the process runs.
Range listTitleRange(std::u16string_view input, const std::u16string& title) {
  std::u16string pattern = u"(#";
  pattern += title;
  pattern += u")|(\\{[";
  pattern += title;
  pattern += u"|\\s]+\\}?)";
  const auto regex = Regex::compile(std::u16string_view(pattern), platform::RegexBackend::icu);
  if (!regex) return Range{};
  const auto match = regex->firstMatch(input);
  return match ? match->range() : Range{};
}

// A reminder at a clock time alone ("dentist friday remind me at 9am") on a line due a later day
// rings at that time on the due's day, not at its next occurrence: the person thinks of the day
// they are reminded of. When that time falls after a due that states its own ("flight friday 7am
// remind me at 9pm"), it is the evening before.
void placeOnTheDuesDay(TaskDescription::Reminder& reminder, Date due, bool dueIsAllDay) {
  if (!reminder.at || !reminder.atNamesTimeOnly) return;
  const platform::DateCalendar& calendar = platform::DateCalendar::current();
  const platform::DateComponents time = calendar.components(*reminder.at);
  const auto onDayOf = [&](Date day) {
    platform::DateComponents c = calendar.components(day);
    c.hour = time.hour;
    c.minute = time.minute;
    c.second = time.second;
    c.nanosecond = std::nullopt;
    return calendar.date(c);
  };
  if (calendar.startOfDay(due) <= calendar.startOfDay(*reminder.at)) return;
  Date moved = onDayOf(due);
  if (!dueIsAllDay && moved > due) moved = onDayOf(calendar.startOfDay(due) - std::chrono::hours(12));
  reminder.at = std::max(moved, *reminder.at);
}

// The reminder a "remind me" phrase of `text` asks for, and `text` without the phrase; nothing when
// the line has none, or names a moment the date engine does not read right next to the asking words.
std::optional<std::pair<TaskDescription::Reminder, std::u16string>> reminderIn(std::u16string_view text,
                                                                              const ChronoParseHelper& dates) {
  const std::optional<quickentry::ReminderPhrase> found = quickentry::findReminderPhrase(text);
  if (!found) return std::nullopt;
  TaskDescription::Reminder reminder;
  int64_t start = found->range.location;
  int64_t end = found->range.end();
  if (found->beforeDue) {
    reminder.beforeDue = found->beforeDue;
  } else {
    std::shared_ptr<ChronoParseItem> moment;
    if (found->momentFollows) {
      // The moment is the date phrase that starts where the asking words end ("remind me at 9am
      // #work": "9am"); one further along belongs to the task. The preposition is read with the
      // moment when the moment does not read without it ("a las 9", where "9" alone is no time).
      const auto momentAt = [&](int64_t from) -> std::shared_ptr<ChronoParseItem> {
        std::shared_ptr<ChronoParseItem> read = dates.parse(text.substr(static_cast<size_t>(from)));
        if (!read || read->recurrenceRule() || read->ranges().empty() || read->ranges().front().location != 0) return nullptr;
        return read;
      };
      moment = momentAt(end);
      if (!moment && found->askEnd < end) {
        int64_t preposition = found->askEnd;
        while (preposition < end && u_isspace(text[static_cast<size_t>(preposition)])) ++preposition;
        if ((moment = momentAt(preposition))) end = preposition;
      }
      if (moment) {
        int64_t momentEnd = 0;
        for (const Range& r : moment->ranges()) {
          if (r.location > momentEnd + 1) break;  // another phrase, further along
          momentEnd = std::max(momentEnd, r.end());
        }
        end += momentEnd;
      }
    }
    if (!moment && found->momentPrecedes) {
      // The date engine's reading of the text before the asking words, when its phrases end where
      // they start and follow one another with nothing but blanks between ("明日9時にリマインド").
      const std::u16string_view before = text.substr(0, static_cast<size_t>(found->range.location));
      moment = dates.parse(before);
      const auto blanksOnly = [&](int64_t from, int64_t to) {
        for (int64_t i = from; i < to; ++i) {
          if (!u_isspace(text[static_cast<size_t>(i)])) return false;
        }
        return true;
      };
      if (moment && !moment->recurrenceRule() && !moment->ranges().empty()) {
        const std::vector<Range>& ranges = moment->ranges();
        int64_t from = ranges.back().location;
        bool whole = blanksOnly(ranges.back().end(), static_cast<int64_t>(before.size()));
        for (size_t i = ranges.size() - 1; whole && i > 0; --i) {
          whole = blanksOnly(ranges[i - 1].end(), ranges[i].location);
          from = ranges[i - 1].location;
        }
        if (whole) {
          start = from;
          // A day set apart by a blank is the task's, as "dentist friday remind me at 9am" is:
          // in "歯医者 金曜日 9時にリマインド" the asking words take the time written against them
          // ("9時に"), and "金曜日" stays with the line to give the due. Only when that attached
          // part reads as a moment of its own; "明日9時に" written together is the reminder's whole.
          int64_t attached = static_cast<int64_t>(before.size());
          while (attached > from && u_isspace(text[static_cast<size_t>(attached - 1)])) --attached;
          const int64_t momentEnd = attached;
          while (attached > from && !u_isspace(text[static_cast<size_t>(attached - 1)])) --attached;
          if (attached > from) {
            const std::u16string_view part = text.substr(static_cast<size_t>(attached),
                                                          static_cast<size_t>(momentEnd - attached));
            std::shared_ptr<ChronoParseItem> own = dates.parse(part);
            if (own && !own->recurrenceRule() && own->ranges().size() == 1 && own->ranges().front().location == 0 &&
                own->ranges().front().end() == static_cast<int64_t>(part.size())) {
              moment = std::move(own);
              start = attached;
            }
          }
        } else {
          moment = nullptr;
        }
      } else {
        moment = nullptr;
      }
    }
    if (!moment) return std::nullopt;
    reminder.at = moment->dueDate();
    reminder.atIsDay = moment->isAllDay();
    reminder.atNamesTimeOnly = moment->namesTimeOnly();
  }
  reminder.phrase = std::u16string(platform::substring(text, start, end - start));
  std::u16string without(text.substr(0, static_cast<size_t>(start)));
  without += text.substr(static_cast<size_t>(end));
  return std::pair(std::move(reminder), std::move(without));
}

}  // namespace

TaskDescription QuickTaskParser::parse(std::u16string_view input, const std::vector<std::shared_ptr<List>>& lists) const {
  static const platform::LazyRegex kListReference(u"(#\\w+)|(\\{[\\w|\\s]+\\}?)");

  TaskDescription d;
  // The reminder's words first: "remind me at 9am" must not give the task its due.
  std::u16string withoutReminder;
  std::u16string_view text = input;
  if (chrono_.options().reminders) {
    if (auto found = reminderIn(input, chrono_)) {
      d.reminder = std::move(found->first);
      withoutReminder = std::move(found->second);
      text = withoutReminder;
    }
  }
  d.chronoItem = chrono_.parse(text);
  if (d.reminder && d.chronoItem) placeOnTheDuesDay(*d.reminder, d.chronoItem->dueDate(), d.chronoItem->isAllDay());
  d.string = quickentry::trimmedSpacesAndTabs(d.chronoItem ? std::u16string_view(d.chronoItem->title()) : text);
  d.flagged = endsWithTwoBangs(d.string);

  const auto listTitled = [&](std::u16string_view reference) -> std::shared_ptr<List> {
    const std::u16string name =
        removingAll(removingAll(removingAll(std::u16string(reference), u'{'), u'}'), u'#');
    const std::string utf8Name = platform::toUtf8(name);
    for (const auto& list : lists) {
      if (list && platform::equalsIgnoringCase(std::string_view(list->title()), std::string_view(utf8Name))) {
        return list;
      }
    }
    return nullptr;
  };
  const auto take = [&](const platform::Match& match) {
    const Range range = match.range();
    d.parsedListRange = range;
    d.parsedList = std::u16string(platform::substring(d.string, range.location, range.length));
    d.list = listTitled(*d.parsedList);
    if (d.list) d.listTitleRange = listTitleRange(input, platform::utf16(d.list->title()));
  };

  if (!kListReference) {
    // Nothing to find.
  } else if (!chrono_.options().wholeTitles) {
    if (const auto match = kListReference->firstMatch(d.string)) take(*match);
  } else {
    std::optional<platform::Match> first;
    for (const platform::Match& match : kListReference->allMatches(d.string)) {
      const std::u16string_view reference = platform::substring(d.string, match.range().location, match.range().length);
      // "#123" is a number in the title ("PR #123"), not a list.
      if (reference.size() > 1 && reference[0] == u'#' &&
          std::all_of(reference.begin() + 1, reference.end(), [](char16_t c) { return u_isdigit(c); })) {
        continue;
      }
      if (!first) first = match;
      if (listTitled(reference)) {
        first = match;
        break;
      }
    }
    if (first) take(*first);
  }

  std::u16string title = d.string;
  // With whole titles a reference that names no list is part of the title.
  if (d.parsedList && (d.list || !chrono_.options().wholeTitles)) title = removingAll(std::move(title), *d.parsedList);
  if (d.flagged && endsWithTwoBangs(title)) title.resize(title.size() - 2);
  d.title = quickentry::trimmedSpacesAndTabs(title);
  if (chrono_.options().cleanTitles) d.title = quickentry::withSingleBlanks(d.title);
  return d;
}

TaskDescription QuickTaskParser::parse(std::string_view utf8Text, const std::vector<std::shared_ptr<List>>& lists) const {
  return parse(std::u16string_view(platform::utf16(utf8Text)), lists);
}

}  // namespace zarvo
