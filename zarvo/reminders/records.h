// The records of the reminders store: Source (an account), Calendar (a reminder list), Reminder (a
// task) and Alarm.
//
// Records are shared reference types (std::shared_ptr); identity comparisons compare pointers. Within
// one EventStore handle the same calendar is the same object until reset(). Setters change only the
// object in memory; nothing reaches the disk before EventStore::save...() and commit().
//
// Threads: a record is not synchronised. Use each record from one thread at a time (handing it to
// another thread through a queue is fine). EventStore reads a record only inside the call it is
// passed to.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/clock.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::reminders {

class EventStore;
namespace detail {
struct TodoFile;
struct AlarmOrigin;

// The values of a task that a reminder shows and can change, as read from its file (the reader's
// TodoFields holds them) or as set.
struct ReminderValues {
  std::string title;
  std::optional<std::string> notes;
  int priority = 0;
  std::optional<platform::DateComponents> due;
  bool completed = false;
  std::optional<Date> completionDate;
  std::optional<Date> creationDate;
  std::optional<Date> lastModified;
  // The flag and the order (X-ZARVO-FLAGGED, X-ZARVO-ORDER; none without their line) and the values
  // of every CATEGORIES line, in file order.
  std::optional<bool> flagged;
  std::optional<int> order;
  std::vector<std::string> categories;
  // The times the reader left out because they lie outside the years a task can keep ("DUE
  // 0000-01-01", "TRIGGER 0000-01-01"): each reads as absent, and its line stays as written.
  std::vector<std::string> datesLeftOut;
};

class Backend;
}  // namespace detail

// Every call names its entity type; this store holds reminders only.
enum class EntityType { event = 0, reminder = 1 };
enum class SourceType { local = 0, exchange = 1, calDAV = 2 };

// An account: a top-level folder of the store. Immutable.
class Source {
 public:
  Source(std::string sourceIdentifier, std::string title, SourceType type)
      : identifier_(std::move(sourceIdentifier)), title_(std::move(title)), type_(type) {}
  const std::string& sourceIdentifier() const { return identifier_; }
  const std::string& title() const { return title_; }
  SourceType sourceType() const { return type_; }

 private:
  std::string identifier_;
  std::string title_;
  SourceType type_;
};

// An sRGB colour with alpha, 0...255 per channel.
struct Color {
  uint8_t red = 0, green = 0, blue = 0, alpha = 255;
  // "#RRGGBB" or "#RRGGBBAA" (case-insensitive); nothing for anything else.
  static std::optional<Color> fromHex(std::string_view text);
  // "#RRGGBB", or "#RRGGBBAA" when alpha is not 255.
  std::string hex() const;
  friend bool operator==(const Color&, const Color&) = default;
};

// A reminder list: one collection folder `<source>/<collection>` holding one file per task.
class Calendar {
 public:
  // A new, unsaved calendar of `store` (its calendarIdentifier is assigned now, its folder is made
  // when it is saved). Only EntityType::reminder is supported; `event` yields a calendar that cannot
  // be saved (StoreErrorCode::invalid).
  static std::shared_ptr<Calendar> calendarForEntityType(EntityType type, EventStore& store);

  // "<source folder>/<collection folder>". A new calendar's identifier gains its source folder when
  // it is first saved; from then on it never changes.
  const std::string& calendarIdentifier() const { return identifier_; }
  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::optional<Color>& color() const { return color_; }
  void setColor(std::optional<Color> color) { color_ = color; }
  const std::shared_ptr<Source>& source() const { return source_; }
  // Only before the first save: a saved calendar stays in its source's folder.
  void setSource(std::shared_ptr<Source> source) { source_ = std::move(source); }
  // False when the collection's folder cannot be written.
  bool allowsContentModifications() const { return writable_; }
  EntityType entityType() const { return type_; }

  // Internal: made by the store.
  Calendar(std::string identifier, EntityType type) : identifier_(std::move(identifier)), type_(type) {}

 private:
  friend class detail::Backend;
  std::string identifier_;
  EntityType type_;
  std::string title_;
  std::optional<Color> color_;
  std::shared_ptr<Source> source_;
  bool writable_ = true;
  bool saved_ = false;
  // What the folder's metadata said when read, so saving rewrites only what changed.
  std::string savedTitle_;
  std::optional<Color> savedColor_;
};

// An alarm at a moment (absolute) or at an offset from the due date (relative). Immutable: to move an alarm, remove it and add a new one.
class Alarm {
 public:
  static std::shared_ptr<Alarm> alarmWithAbsoluteDate(Date date);
  // An alarm `offset` from the due date (negative: before), saved as TRIGGER;RELATED=END: it rings
  // at the due wherever a client moves it.
  static std::shared_ptr<Alarm> alarmWithRelativeOffset(std::chrono::seconds offset);

  const std::optional<Date>& absoluteDate() const { return absoluteDate_; }
  // Seconds relative to the due date (negative: before).
  const std::optional<std::chrono::seconds>& relativeOffset() const { return relativeOffset_; }
  // When the alarm was shown and dismissed (ACKNOWLEDGED), by this program or another client.
  const std::optional<Date>& acknowledged() const { return acknowledged_; }
  // The VALARM's own UID, when it has one.
  const std::optional<std::string>& uid() const { return uid_; }
  // The UID of the alarm this one snoozes (RELATED-TO;RELTYPE=SNOOZE), when it is a snooze alarm.
  const std::optional<std::string>& snoozeOf() const { return snoozeOf_; }

  // This alarm acknowledged at `at` (an alarm acknowledged already keeps its time), with a new UID
  // when `withUid` and it has none: to put in its place with Reminder::replaceAlarm. Saving adds only
  // the missing ACKNOWLEDGED and UID lines to the alarm's block; every other line of it stays byte
  // for byte.
  std::shared_ptr<Alarm> acknowledgedCopy(Date at, bool withUid = false) const;
  // A new alarm ringing at `date` that snoozes the alarm with UID `snoozed`: saved with a UID of its
  // own and RELATED-TO;RELTYPE=SNOOZE, as other clients of the files read a snooze.
  static std::shared_ptr<Alarm> snoozeAlarm(Date date, std::string snoozed);

  // Internal.
  Alarm() = default;

 private:
  friend class detail::Backend;
  std::optional<Date> absoluteDate_;
  std::optional<std::chrono::seconds> relativeOffset_;
  std::optional<Date> acknowledged_;
  std::optional<std::string> uid_;
  std::optional<std::string> snoozeOf_;
  // The VALARM's lines in the file it was read from; such an alarm is written back byte for byte.
  std::shared_ptr<const detail::AlarmOrigin> origin_;
};

// A task: one VTODO in a file of its calendar's folder.
class Reminder {
 public:
  // A new, unsaved reminder of `store` with a fresh external identifier. Set its calendar before
  // saving it.
  static std::shared_ptr<Reminder> reminderWithEventStore(EventStore& store);

  // The iCalendar UID: the task's identity across machines. Present on every reminder.
  const std::string& calendarItemExternalIdentifier() const { return uid_; }

  const std::shared_ptr<Calendar>& calendar() const { return calendar_; }
  // Moving to another calendar takes effect when the reminder is saved.
  void setCalendar(std::shared_ptr<Calendar> calendar) { calendar_ = std::move(calendar); }

  const std::string& title() const { return values_->title; }
  void setTitle(std::string title) { changeable().title = std::move(title); }
  const std::optional<std::string>& notes() const { return values_->notes; }
  void setNotes(std::optional<std::string> notes) { changeable().notes = std::move(notes); }

  // 0 none, 1 highest ... 9 lowest. Saving a value outside 0...9 fails with StoreErrorCode::invalid.
  int priority() const { return values_->priority; }
  void setPriority(int priority) { changeable().priority = priority; }

  // Civil components: a zone (an instant in that zone), no zone (floating wall-clock time), or no
  // hour (a date-only due). Saving needs year, month and day; an unknown zone fails as invalid.
  const std::optional<platform::DateComponents>& dueDateComponents() const { return values_->due; }
  // Setting the due, to a date or to none, also replaces a due the file holds outside the kept years
  // (datesLeftOut "DUE …"): saving writes the new one, or removes that line. Until then it stays.
  void setDueDateComponents(std::optional<platform::DateComponents> due) {
    detail::ReminderValues& values = changeable();
    values.due = std::move(due);
    std::erase_if(values.datesLeftOut, [](const std::string& leftOut) { return leftOut.starts_with("DUE "); });
  }

  bool isCompleted() const { return values_->completed; }
  // Setting true stamps completionDate with the current moment (platform::Clock) unless one is set;
  // setting false clears it.
  void setCompleted(bool completed);
  const std::optional<Date>& completionDate() const { return values_->completionDate; }
  void setCompletionDate(std::optional<Date> date) { changeable().completionDate = date; }

  // Set when the reminder is first saved (CREATED), never changed afterwards.
  const std::optional<Date>& creationDate() const { return values_->creationDate; }
  const std::optional<Date>& lastModifiedDate() const { return values_->lastModified; }

  // What the task's record holds, carried in its file so that other machines see it: the flag
  // ("X-ZARVO-FLAGGED:TRUE" or "FALSE"), the place in its list ("X-ZARVO-ORDER:<n>") and the tags
  // (CATEGORIES, shared with other clients' categories). The flag and the order are none when the
  // file has no such line, and a save leaves the file without one until they are set.
  const std::optional<bool>& flagged() const { return values_->flagged; }
  void setFlagged(std::optional<bool> flagged) { changeable().flagged = flagged; }
  const std::optional<int>& order() const { return values_->order; }
  void setOrder(std::optional<int> order) { changeable().order = order; }
  // Every CATEGORIES value of the file, in file order. Saving compares them as a set: only a change
  // of the set rewrites CATEGORIES lines.
  const std::vector<std::string>& categories() const { return values_->categories; }
  void setCategories(std::vector<std::string> categories) { changeable().categories = std::move(categories); }

  // The task's recurrence rule: the value of its RRULE line as read ("FREQ=WEEKLY;BYDAY=MO"); none for
  // a task that does not repeat. A reminder never saved gets the rule set here as its file's RRULE
  // (saving fails with StoreErrorCode::invalid for a rule that does not read). A saved reminder keeps
  // its file's RRULE lines as they are; another rule set on it fails the save (invalid).
  const std::optional<std::string>& recurrenceRule() const { return recurrenceRule_; }
  void setRecurrenceRule(std::optional<std::string> rule) { recurrenceRule_ = std::move(rule); }

  // The times of its file this reminder reads without, because they lie outside the years a task can
  // keep (platform::kFirstKeptYear to kLastKeptYear), as "DUE 0000-01-01" or "TRIGGER 0000-01-01":
  // the reminder shows without them (no due date, an alarm that never rings), and their lines stay as
  // another program wrote them until the value is set here. Empty for a reminder never saved.
  const std::vector<std::string>& datesLeftOut() const { return values_->datesLeftOut; }

  const std::vector<std::shared_ptr<Alarm>>& alarms() const { return alarms_; }
  bool hasAlarms() const { return !alarms_.empty(); }
  void addAlarm(std::shared_ptr<Alarm> alarm);
  // Removes `alarm` (the same object); nothing when it is not one of this reminder's.
  void removeAlarm(const std::shared_ptr<Alarm>& alarm);
  // Puts `replacement` in the place of `alarm` (the same object); nothing when it is not one of
  // this reminder's.
  void replaceAlarm(const std::shared_ptr<Alarm>& alarm, std::shared_ptr<Alarm> replacement);

  // The file this reminder was last read from or written to, and its contents then; nothing for a
  // reminder never saved, or one whose contents can no longer be had (read from the store's saved
  // copy, which since became unreadable: a new read of the store reads the file again). For callers
  // that keep copies of what they change (an undo journal).
  struct FileVersion {
    std::filesystem::path path;
    std::string content;
  };
  std::optional<FileVersion> fileVersion() const;
  // The path of fileVersion() alone, without reading the contents; nothing for a reminder never saved.
  std::optional<std::filesystem::path> filePath() const;

  // Internal.
  explicit Reminder(std::string uid) : uid_(std::move(uid)) {}
  // Values point into the object or into the file it shares them with: not to be copied or moved.
  Reminder(const Reminder&) = delete;
  Reminder& operator=(const Reminder&) = delete;

 private:
  friend class detail::Backend;
  // A reminder read from a file shares that file version's values until one of them is set here; a
  // listing makes thousands of reminders and changes none, and would otherwise copy each task's
  // title, dates and tags. The first change copies the values into `own_`. A reference a getter gave
  // stays valid while the reminder lives, as a member's would: the shared file is kept until then.
  detail::ReminderValues& changeable();
  static const detail::ReminderValues& noValues();
  std::string uid_;
  std::shared_ptr<Calendar> calendar_;
  const detail::ReminderValues* values_ = &noValues();  // own_, sharedFile_'s, or the defaults
  std::unique_ptr<detail::ReminderValues> own_;
  std::shared_ptr<const detail::TodoFile> sharedFile_;  // whose values it was made with, if any
  std::vector<std::shared_ptr<Alarm>> alarms_;
  std::optional<std::string> recurrenceRule_;
  // The file version this reminder was read from (null for a new reminder): saving edits it and
  // refuses to overwrite a file that no longer has these contents.
  std::shared_ptr<const detail::TodoFile> origin_;
  size_t originTodo_ = 0;  // which VTODO of that file
};

}  // namespace zarvo::reminders
