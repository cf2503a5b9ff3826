// Task: the record mirroring one reminder of the reminders store.
//
// Stored attributes keep what the reminders store cannot hold (flag, tags, order ...) plus the keys to
// find the reminder again. Everything else (title, notes, priority, dates, completion) is read from and
// written to the linked reminder on every access; without a reminder the getters answer the documented
// fallback and the setters leave the reminders store alone.
//
// Threads: the stored attributes may be used from any thread. The reminder is not synchronised (see
// reminders::Reminder): use a task's derived properties from one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/model/item.h"
#include "zarvo/platform/colour.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/records.h"

namespace zarvo {

class Tag;

class Task : public Item {
 public:
  static constexpr const char* kClassName = "Task";
  static const store::EntityDescription& entityDescription();
  explicit Task(const store::EntityDescription& entity) : Item(entity) {}

  // ---- Stored attributes ----
  std::optional<std::string> reminderId() const;
  void setReminderId(std::optional<std::string> reminderId);
  // Copy of the reminder's completion, written at creation and by setIsCompleted.
  bool completed() const;
  void setCompleted(bool completed);
  bool flagged() const;
  void setFlagged(bool flagged);
  bool important() const;
  void setImportant(bool important);
  std::optional<std::string> hexColor() const;
  void setHexColor(std::optional<std::string> hexColor);
  int16_t order() const;
  void setOrder(int16_t order);
  // The task's tags; the inverse (Tag::tasks) follows. REQUIRES for setTags: the task and the tags are
  // in the same context.
  std::vector<std::shared_ptr<Tag>> tags() const;
  void setTags(const std::vector<std::shared_ptr<Tag>>& tags);
  // The flag and the tags as last saved (what the records database holds while changes are unsaved).
  bool committedFlagged() const;
  std::vector<std::shared_ptr<Tag>> committedTags() const;

  // ---- Transient link (never stored) ----
  std::shared_ptr<reminders::Reminder> reminder() const;
  void setReminder(std::shared_ptr<reminders::Reminder> reminder);

  // ---- Derived properties, through the reminder ----
  std::optional<std::string> title() const;  // none without a reminder
  void setTitle(std::optional<std::string> title);
  std::optional<std::string> notes() const;
  void setNotes(std::optional<std::string> notes);
  // 0 (none) to 3 (highest); see the scale in task.cc.
  int priority() const;
  void setPriority(int priority);
  // The instant of the reminder's due-date components; none without a reminder, without components,
  // or when they lack a year, month or day. Writing also replaces the reminder's alarms by one alarm
  // at the new date (or removes them all for none).
  std::optional<Date> dueDate() const;
  void setDueDate(std::optional<Date> dueDate);
  // Whether writing a due date with a time gives the task an alarm that follows the due. Process-wide,
  // default false, thread-safe.
  // - false: every alarm is replaced by one at the date itself, absolute: it stays at that moment when
  //   another client later moves the due.
  // - true: the alarm is one at the due (TRIGGER;RELATED=END:PT0S), which moves with the due whoever
  //   moves it; the alarms relative to the due that the task has (reminders a person set, "10 minutes
  //   before") are kept, as they follow the due too, and one at the due is not added twice. Absolute
  //   alarms still go.
  // Writing no due, or a day without a time, removes every alarm either way.
  static bool dueAlarmsFollowDue();
  static void setDueAlarmsFollowDue(bool follow);
  // With `allDay`, the task is due on the day of `dueDate` (in the current calendar and zone) without
  // a time: the reminder's components hold the year, month and day only (a date-only DUE), and the
  // alarms are removed without a new one, as a day has no moment to ring at. Without, as above.
  void setDueDate(std::optional<Date> dueDate, bool allDay);
  // The reminder's due-date components name a day without a time of day (dueDate() is then the
  // start of that day). False without a due date or a reminder.
  bool isAllDay() const;
  // The reminder's recurrence rule (an RRULE value); none without a reminder or a rule. See
  // reminders::Reminder::recurrenceRule for when a new rule can be set.
  std::optional<std::string> recurrenceRule() const;
  void setRecurrenceRule(std::optional<std::string> rule);
  std::optional<Date> creationDate() const;
  std::optional<Date> completionDate() const;
  // True only when a reminder is attached, completed, and has a completion date. Writing sets the
  // reminder's flag, then the stored `completed`, then (for true) removes the reminder's alarms.
  bool isCompleted() const;
  void setIsCompleted(bool completed);
  // Due date at or before now. False without a due date.
  bool isPastDue() const;
  // Whole days from the due date to now in the current calendar (positive once past); 0 without one.
  int64_t dueDays() const;
  // Due today (current calendar) or before now. False without a due date.
  bool isDueTodayOrEarlier() const;
  // The reminder's calendar identifier, or "NO CALENDAR".
  std::string calendarId() const;
  int nextPriority() const;
  int previousPriority() const;
  platform::Colour titleColor() const;
  platform::Colour notesColor() const;

  // Whether titleColor colours open tasks by urgency. Process-wide, default false, thread-safe.
  static bool colorizeTitles();
  static void setColorizeTitles(bool colorize);
  // Whether priority reads a reminder's priority on the RFC 5545 scale other clients (todoman) use:
  // 1 to 4 high (3), 5 medium (2), 6 to 9 low (1). Process-wide, default false: the library's own
  // scale (1, 2 high; 3 to 5 medium; 6 to 9 low). Writing is the same either way (high 1, medium 5,
  // low 9), which both scales read back unchanged. Thread-safe.
  static bool rfcPriorityScale();
  static void setRfcPriorityScale(bool rfc);

  // ---- Filters and sorters ----
  // A filter answers whether a task is kept; a sorter whether its first task goes before its second.
  // Several sorters are not strict orderings: sort with zarvo::sorted (or store::stableSorted), never
  // with std::sort or std::stable_sort.
  using Filter = std::function<bool(const Task&)>;
  using Sorter = std::function<bool(const Task&, const Task&)>;

  // Joins filters: true when every present filter answers true, asking them in order and stopping at
  // the first false. Absent entries are dropped; no filters at all answers true.
  class CompoundFilter {
   public:
    CompoundFilter() = default;
    explicit CompoundFilter(std::vector<std::optional<Filter>> filters);
    bool evaluate(const Task& task) const;

   private:
    std::vector<Filter> filters_;
  };

  static Filter filterForFlaggedTasks();
  // Reads the clock at each call.
  static Filter filterForTodayTasks();
  // Due no earlier than exactly 86,400 s after the start of today. Reads the clock at each call.
  static Filter filterForUpcomingTasks();
  static Filter filterForTopTasks();
  // True when comparison(task's priority, priority).
  static Filter filterForTasksBy(int priority, std::function<bool(int, int)> comparison);
  // Title, else notes, contains `string` ignoring case and diacritics in the current locale. No filter
  // for an empty string.
  static std::optional<Filter> filterForSearch(std::string_view string);

  // Ascending sorters answer true for equal keys; descending ones false.
  static Sorter sorterForPriority(bool ascending);
  // A task without the date sorts as if due (created) at the moment the sorter is made.
  static Sorter sorterForDueDate(bool ascending);
  static Sorter sorterForCreationDate(bool ascending);
  // Code-point order of canonically normalized titles (missing title = empty); equal titles answer true.
  static Sorter sorterForTitle();
  // a first when a is due today or earlier and b is not past due.
  static Sorter sorterForOverdueOnTop();

  // ---- Look-up and creation ----
  static store::FetchRequest fetchRequest();
  // The oldest record mirroring `from` (same external identifier, sourceId holding the source's
  // identifier or title), with the reminder attached; younger duplicates are deleted from the context
  // (not saved). None when there is no record or no context. Runs on the context's queue
  // (performAndWait); throws the store's fetch error, having then changed nothing.
  static std::shared_ptr<Task> fetch(const std::shared_ptr<reminders::Reminder>& from,
                                     const std::shared_ptr<store::ObjectContext>& managedContext);
  // fetch(from[i], managedContext) for every i, in that order and with the same effects, but reading
  // the records once rather than once per reminder when there are many. Null where fetch answers none
  // (all of them without a context); throws as fetch does, having then changed nothing.
  static std::vector<std::shared_ptr<Task>> fetch(const std::vector<std::shared_ptr<reminders::Reminder>>& from,
                                                  const std::shared_ptr<store::ObjectContext>& managedContext);
  // A new record for `from`, inserted into `managedContext` when there is one (see createObject).
  static std::shared_ptr<Task> create(const std::shared_ptr<reminders::Reminder>& from,
                                      const std::shared_ptr<store::ObjectContext>& managedContext);

 protected:
  std::vector<std::string> keyPathsAffected(const std::string& key) const override;

 private:
  struct Slots;
  static const Slots& taskSlots();
  size_t slot(size_t Slots::*member, std::string_view key) const;
  // The completion flag of the linked reminder; false without one.
  bool linkedAndCompleted() const;

  mutable store::RecordMutex linkMu_;
  std::shared_ptr<reminders::Reminder> reminder_;
  // The due-date components the kept instant was made from, packed: a copy of the components would
  // make every record of a listing some 130 bytes larger. Components with a field out of the packed
  // range are not kept (their instant is made on every call).
  struct PackedDue {
    int32_t year = 0, nanosecond = 0;
    int8_t era = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, weekday = 0;
    uint16_t present = 0;  // a bit per field present, and kPackedZone for the zone
    // Whether `due` is the components packed here, with `timeZone` as their zone when they have one.
    bool holds(const platform::DateComponents& due, const std::string& timeZone) const;
  };
  static constexpr uint16_t kPackedZone = 1u << 9;
  template <class F>
  static void forEachDueField(F&& f);
  static std::optional<PackedDue> pack(const platform::DateComponents& due);
  struct DueCache {
    bool valid = false;
    PackedDue key;
    std::string timeZone;  // when the key has the zone's bit
    uint64_t zone = 0;     // the process zone's generation
    std::optional<Date> date;
  };
  mutable DueCache dueCache_;  // guarded by linkMu_
};

// `tasks` in the order of `sorter`: a stable merge sort that stays in bounds whatever the sorter
// answers (see store/sorting.h).
std::vector<std::shared_ptr<Task>> sorted(std::vector<std::shared_ptr<Task>> tasks, const Task::Sorter& sorter);

}  // namespace zarvo
