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
    r->title_ = f.title;
    r->notes_ = f.notes;
    r->priority_ = f.priority;
    r->due_ = f.due;
    r->completed_ = f.completed;
    r->completionDate_ = f.completionDate;
    r->creationDate_ = f.creationDate;
    r->lastModified_ = f.lastModified;
    r->alarms_ = alarmsOf(entry);
    r->flagged_ = f.flagged;
    r->order_ = f.order;
    r->categories_ = f.categories;
    r->datesLeftOut_ = f.datesLeftOut;
    if (!f.recurrence.empty()) r->recurrenceRule_ = f.recurrence;
    r->origin_ = file;
    r->originTodo_ = index;
    return r;
  }

  static DesiredTodo desired(const Reminder& r) {
    DesiredTodo want;
    want.uid = r.uid_;
    want.title = r.title_;
    want.notes = r.notes_;
    want.priority = r.priority_;
    want.due = r.due_;
    want.keepsDueLeftOut = std::any_of(r.datesLeftOut_.begin(), r.datesLeftOut_.end(),
                                       [](const std::string& leftOut) { return leftOut.starts_with("DUE "); });
    want.completed = r.completed_;
    want.completionDate = r.completionDate_;
    want.flagged = r.flagged_;
    want.order = r.order_;
    want.categories = r.categories_;
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
    r.creationDate_ = entry.fields.creationDate;
    r.lastModified_ = entry.fields.lastModified;
    r.datesLeftOut_ = entry.fields.datesLeftOut;
    r.recurrenceRule_ = entry.fields.recurrence.empty() ? std::nullopt : std::optional(entry.fields.recurrence);
    if (r.completed_ && !entry.fields.completed) {
      // A recurring task completed one occurrence: it is open again, due at the next one, with the
      // series' alarms (see editTodo).
      r.completed_ = false;
      r.completionDate_.reset();
      r.due_ = entry.fields.due;
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
