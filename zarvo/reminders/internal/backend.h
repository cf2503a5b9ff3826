// Internal: the one place that reaches into the records' private state (Calendar, Reminder, Alarm),
// for the store's own files. Not part of the public interface.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "zarvo/platform/clock.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/records.h"

namespace zarvo::reminders::detail {

class Backend {
 public:
  static std::string& identifier(Calendar& c) { return c.identifier_; }
  static void setFromDisk(Calendar& c, std::string title, std::optional<Color> color,
                          std::shared_ptr<Source> source, bool writable) {
    // A title or colour changed in memory and not saved yet is the caller's; keep it.
    if (c.title_ == c.savedTitle_) c.title_ = title;
    if (c.color_ == c.savedColor_) c.color_ = color;
    c.savedTitle_ = std::move(title);
    c.savedColor_ = color;
    c.source_ = std::move(source);
    c.writable_ = writable;
    c.saved_ = true;
  }
  static bool saved(const Calendar& c) { return c.saved_; }
  static void markSaved(Calendar& c) {
    c.saved_ = true;
    c.savedTitle_ = c.title_;
    c.savedColor_ = c.color_;
  }
  static bool titleChanged(const Calendar& c) { return c.title_ != c.savedTitle_; }
  static bool colorChanged(const Calendar& c) { return c.color_ != c.savedColor_; }

  static std::shared_ptr<Reminder> makeReminder(const std::shared_ptr<const TodoFile>& file, size_t index,
                                                std::shared_ptr<Calendar> calendar) {
    const TodoEntry& entry = file->todos[index];
    const TodoFields& f = entry.fields;
    // A VTODO without UID still needs an identity: its file name, written as UID on the next save.
    auto r = std::make_shared<Reminder>(f.hasUid ? f.uid : file->path.stem().string());
    r->calendar_ = std::move(calendar);
    // Shared with the file version (which stays as read) until the reminder changes one of them.
    r->sharedFile_ = file;
    r->values_ = &f;
    r->alarms_ = alarmsOf(entry);
    if (!f.recurrence.empty()) r->recurrenceRule_ = f.recurrence;
    r->origin_ = file;
    r->originTodo_ = index;
    return r;
  }

  static DesiredTodo desired(const Reminder& r) {
    DesiredTodo want;
    const ReminderValues& v = *r.values_;
    want.uid = r.uid_;
    want.title = v.title;
    want.notes = v.notes;
    want.priority = v.priority;
    want.due = v.due;
    want.keepsDueLeftOut = std::any_of(v.datesLeftOut.begin(), v.datesLeftOut.end(),
                                       [](const std::string& leftOut) { return leftOut.starts_with("DUE "); });
    want.completed = v.completed;
    want.completionDate = v.completionDate;
    want.flagged = v.flagged;
    want.order = v.order;
    want.categories = v.categories;
    want.recurrence = r.recurrenceRule_;
    for (const auto& a : r.alarms_) {
      want.alarms.push_back(
          AlarmValue{a->absoluteDate_, a->relativeOffset_, a->origin_, a->acknowledged_, a->uid_, a->snoozeOf_});
    }
    want.now = platform::Clock::currentNow();
    return want;
  }

  // After a commit: the reminder now stands for the file version just written.
  static void rebase(Reminder& r, std::shared_ptr<const TodoFile> file, size_t index) {
    const TodoEntry& entry = file->todos.at(index);
    ReminderValues& v = r.changeable();
    v.creationDate = entry.fields.creationDate;
    v.lastModified = entry.fields.lastModified;
    v.datesLeftOut = entry.fields.datesLeftOut;
    r.recurrenceRule_ = entry.fields.recurrence.empty() ? std::nullopt : std::optional(entry.fields.recurrence);
    if (v.completed && !entry.fields.completed) {
      // A recurring task completed one occurrence: it is open again, due at the next one, with the
      // series' alarms (see editTodo).
      v.completed = false;
      v.completionDate.reset();
      v.due = entry.fields.due;
      r.alarms_ = alarmsOf(entry);
    }
    for (size_t i = 0; i < r.alarms_.size() && i < entry.alarmOrigins.size(); ++i) {
      r.alarms_[i]->origin_ = entry.alarmOrigins[i];
    }
    r.origin_ = std::move(file);
    r.originTodo_ = index;
  }
  static void forgetOrigin(Reminder& r) { r.origin_.reset(); }

  static std::vector<std::shared_ptr<Alarm>> alarmsOf(const TodoEntry& entry) {
    std::vector<std::shared_ptr<Alarm>> alarms;
    for (const AlarmValue& v : entry.alarms) {
      auto alarm = std::make_shared<Alarm>();
      alarm->absoluteDate_ = v.absolute;
      alarm->relativeOffset_ = v.relative;
      alarm->origin_ = v.origin;
      alarm->acknowledged_ = v.acknowledged;
      alarm->uid_ = v.uid;
      alarm->snoozeOf_ = v.snoozeOf;
      alarms.push_back(std::move(alarm));
    }
    return alarms;
  }

  static const std::shared_ptr<const TodoFile>& origin(const Reminder& r) { return r.origin_; }
  static size_t originTodo(const Reminder& r) { return r.originTodo_; }
};

}  // namespace zarvo::reminders::detail
