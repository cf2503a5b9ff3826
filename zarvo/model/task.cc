#include "zarvo/model/task.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <string_view>

#include "zarvo/store/sorting.h"
#include "zarvo/model/tag.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo {

using store::Value;

namespace {

std::atomic<bool> gColorizeTitles{false};
std::atomic<bool> gRfcPriorityScale{false};
std::atomic<bool> gDueAlarmsFollowDue{false};

bool boolValue(const Value& v) {
  const auto* b = std::get_if<bool>(&v);
  return b && *b;
}


constexpr uint32_t kNoGroup = UINT32_MAX;

// The reminders store ranks 1 (highest) to 9 (lowest), 0 for none; the library 3 (highest) to 0.
int fromReminderPriority(int p) {
  if (gRfcPriorityScale.load() && p >= 1 && p <= 4) return 3;
  switch (p) {
    case 1: case 2: return 3;
    case 3: case 4: case 5: return 2;
    case 6: case 7: case 8: case 9: return 1;
    default: return 0;
  }
}

// A set of strings (views; their owner keeps them) numbered in insertion order: open addressing in
// one array, as a node per string would cost an allocation each.
class ExternalIds {
 public:
  explicit ExternalIds(size_t capacity) {
    size_t slots = 16;
    while (slots < 2 * capacity) slots *= 2;
    slots_.assign(slots, kNoGroup);
    keys_.reserve(capacity);
  }
  size_t size() const { return keys_.size(); }
  // Every key, each once, in the order added.
  const std::vector<std::string_view>& keys() const { return keys_; }
  // The number of `key`, adding it when new.
  uint32_t insert(std::string_view key) {
    size_t s = probe(key);
    if (slots_[s] == kNoGroup) {
      slots_[s] = static_cast<uint32_t>(keys_.size());
      keys_.push_back(key);
    }
    return slots_[s];
  }
  // The number of `key`, or kNoGroup.
  uint32_t find(std::string_view key) const { return slots_[probe(key)]; }

 private:
  size_t probe(std::string_view key) const {
    const size_t mask = slots_.size() - 1;
    for (size_t s = std::hash<std::string_view>{}(key) & mask;; s = (s + 1) & mask) {
      if (slots_[s] == kNoGroup || keys_[slots_[s]] == key) return s;
    }
  }
  std::vector<uint32_t> slots_;
  std::vector<std::string_view> keys_;
};

int toReminderPriority(int p) {
  switch (p) {
    case 1: return 9;
    case 2: return 5;
    case 3: return 1;
    default: return 0;
  }
}

}  // namespace

const store::EntityDescription& Task::entityDescription() {
  static const store::EntityDescription& entity = *managedObjectModel().entity("Task");
  return entity;
}

// Where the Task entity keeps its attributes, looked up by name once: the accessors run for every
// task each time a list is sorted or shown.
struct Task::Slots {
  size_t timestamp, sourceId, reminderId, completed, flagged, important, hexColor, order;
};

const Task::Slots& Task::taskSlots() {
  static const Slots slots = [] {
    const auto& e = entityDescription();
    auto at = [&](std::string_view key) { return e.attributeIndex(key).value(); };
    return Slots{at("timestamp"), at("sourceId"), at("reminderId"), at("completed"),
                 at("flagged"),   at("important"), at("hexColor"),  at("order")};
  }();
  return slots;
}

size_t Task::slot(size_t Slots::*member, std::string_view key) const {
  // A Task made on another entity (a test's model) finds its attributes by name.
  return &entity() == &entityDescription() ? taskSlots().*member : attributeIndexOrThrow(key);
}

std::optional<std::string> Task::reminderId() const {
  return readValueAt(slot(&Slots::reminderId, "reminderId"), detail::optionalString);
}
void Task::setReminderId(std::optional<std::string> id) { setValue("reminderId", detail::toValue(id)); }
bool Task::completed() const { return readValueAt(slot(&Slots::completed, "completed"), boolValue); }
void Task::setCompleted(bool completed) { setValue("completed", completed); }
bool Task::flagged() const { return readValueAt(slot(&Slots::flagged, "flagged"), boolValue); }
void Task::setFlagged(bool flagged) { setValue("flagged", flagged); }
bool Task::important() const { return readValueAt(slot(&Slots::important, "important"), boolValue); }
void Task::setImportant(bool important) { setValue("important", important); }
std::optional<std::string> Task::hexColor() const {
  return readValueAt(slot(&Slots::hexColor, "hexColor"), detail::optionalString);
}
void Task::setHexColor(std::optional<std::string> hex) { setValue("hexColor", detail::toValue(hex)); }

int16_t Task::order() const {
  return readValueAt(slot(&Slots::order, "order"), [](const Value& v) {
    const auto* i = std::get_if<int64_t>(&v);
    return i ? static_cast<int16_t>(*i) : int16_t{0};
  });
}
void Task::setOrder(int16_t order) { setValue("order", int64_t{order}); }

std::vector<std::shared_ptr<Tag>> Task::tags() const {
  std::vector<std::shared_ptr<Tag>> out;
  for (auto& o : relatedObjects("tags")) out.push_back(std::static_pointer_cast<Tag>(o));
  return out;
}

void Task::setTags(const std::vector<std::shared_ptr<Tag>>& tags) {
  setRelatedObjects("tags", std::vector<std::shared_ptr<store::ManagedObject>>(tags.begin(), tags.end()));
}

bool Task::committedFlagged() const { return boolValue(committedValue("flagged")); }

std::vector<std::shared_ptr<Tag>> Task::committedTags() const {
  std::vector<std::shared_ptr<Tag>> out;
  for (auto& o : committedRelatedObjects("tags")) out.push_back(std::static_pointer_cast<Tag>(o));
  return out;
}

std::shared_ptr<reminders::Reminder> Task::reminder() const {
  std::lock_guard lock(linkMu_);
  return reminder_;
}

void Task::setReminder(std::shared_ptr<reminders::Reminder> reminder) {
  std::lock_guard lock(linkMu_);
  reminder_ = std::move(reminder);
}

std::optional<std::string> Task::title() const {
  std::lock_guard lock(linkMu_);
  return reminder_ ? std::optional<std::string>(reminder_->title()) : std::nullopt;
}

void Task::setTitle(std::optional<std::string> title) {
  if (auto r = reminder()) r->setTitle(title.value_or(""));
}

std::optional<std::string> Task::notes() const {
  auto r = reminder();
  return r ? r->notes() : std::nullopt;
}

void Task::setNotes(std::optional<std::string> notes) {
  if (auto r = reminder()) r->setNotes(std::move(notes));
}

int Task::priority() const {
  std::lock_guard lock(linkMu_);
  return reminder_ ? fromReminderPriority(reminder_->priority()) : 0;
}

void Task::setPriority(int priority) {
  if (auto r = reminder()) r->setPriority(toReminderPriority(priority));
}

// The fields of DateComponents a due date is kept under, in the order of their bits in
// PackedDue::present (PackedDue::holds reads them in the same order).
template <class F>
void Task::forEachDueField(F&& f) {
  f(&platform::DateComponents::era, &PackedDue::era);
  f(&platform::DateComponents::year, &PackedDue::year);
  f(&platform::DateComponents::month, &PackedDue::month);
  f(&platform::DateComponents::day, &PackedDue::day);
  f(&platform::DateComponents::hour, &PackedDue::hour);
  f(&platform::DateComponents::minute, &PackedDue::minute);
  f(&platform::DateComponents::second, &PackedDue::second);
  f(&platform::DateComponents::nanosecond, &PackedDue::nanosecond);
  f(&platform::DateComponents::weekday, &PackedDue::weekday);
}

std::optional<Task::PackedDue> Task::pack(const platform::DateComponents& due) {
  PackedDue key;
  bool fits = true;
  uint16_t bit = 1;
  forEachDueField([&](auto field, auto packed) {
    using T = std::remove_reference_t<decltype(key.*packed)>;
    if (const auto& v = due.*field) {
      fits = fits && *v >= std::numeric_limits<T>::min() && *v <= std::numeric_limits<T>::max();
      key.*packed = static_cast<T>(*v);
      key.present |= bit;
    }
    bit = static_cast<uint16_t>(bit << 1);
  });
  if (due.timeZone) key.present |= kPackedZone;
  if (!fits) return std::nullopt;
  return key;
}

namespace {

// `v` is what a PackedDue holds under `bit` as `packed`.
inline bool heldAs(const std::optional<int64_t>& v, uint16_t present, uint16_t bit, int64_t packed) {
  return v ? (present & bit) != 0 && *v == packed : (present & bit) == 0;
}

}  // namespace

// Written out field by field: it runs each time a sorter or filter asks for a due date.
bool Task::PackedDue::holds(const platform::DateComponents& due, const std::string& timeZone) const {
  return heldAs(due.era, present, 1u << 0, era) && heldAs(due.year, present, 1u << 1, year) &&
         heldAs(due.month, present, 1u << 2, month) && heldAs(due.day, present, 1u << 3, day) &&
         heldAs(due.hour, present, 1u << 4, hour) && heldAs(due.minute, present, 1u << 5, minute) &&
         heldAs(due.second, present, 1u << 6, second) && heldAs(due.nanosecond, present, 1u << 7, nanosecond) &&
         heldAs(due.weekday, present, 1u << 8, weekday) &&
         (due.timeZone ? (present & kPackedZone) != 0 && *due.timeZone == timeZone : (present & kPackedZone) == 0);
}

std::optional<Date> Task::dueDate() const {
  // Sorters and filters ask for the due date of the same tasks over and over; the instant depends
  // only on the components and the process zone, so the last answer is kept. One lock covers both
  // the link and the kept answer: sorting ten thousand tasks asks a quarter of a million times.
  const uint64_t zone = platform::DateCalendar::processTimeZoneGeneration();
  std::lock_guard lock(linkMu_);
  if (!reminder_ || !reminder_->dueDateComponents()) return std::nullopt;
  const platform::DateComponents& due = *reminder_->dueDateComponents();
  if (!due.year || !due.month || !due.day) return std::nullopt;
  if (dueCache_.valid && dueCache_.zone == zone && dueCache_.key.holds(due, dueCache_.timeZone)) return dueCache_.date;
  std::optional<Date> date;
  if (!due.timeZone || platform::DateCalendar::isKnownTimeZone(*due.timeZone)) {
    date = platform::DateCalendar::current().date(due);
  }
  const std::optional<PackedDue> key = pack(due);
  if (!key) return date;
  dueCache_.valid = true;
  dueCache_.key = *key;
  dueCache_.timeZone = due.timeZone.value_or(std::string());
  dueCache_.zone = zone;
  dueCache_.date = date;
  return date;
}

void Task::setDueDate(std::optional<Date> dueDate, bool allDay) {
  if (!allDay || !dueDate) {
    setDueDate(dueDate);
    return;
  }
  auto r = reminder();
  if (!r) return;
  const platform::DateComponents all = platform::DateCalendar::current().components(*dueDate);
  platform::DateComponents day;
  day.year = all.year;
  day.month = all.month;
  day.day = all.day;
  r->setDueDateComponents(day);
  const auto alarms = r->alarms();  // a snapshot: removing changes the reminder's own list
  for (const auto& alarm : alarms) r->removeAlarm(alarm);
}

bool Task::isAllDay() const {
  std::lock_guard lock(linkMu_);
  return reminder_ && reminder_->dueDateComponents() && !reminder_->dueDateComponents()->hour;
}

std::optional<std::string> Task::recurrenceRule() const {
  std::lock_guard lock(linkMu_);
  return reminder_ ? reminder_->recurrenceRule() : std::nullopt;
}

void Task::setRecurrenceRule(std::optional<std::string> rule) {
  if (auto r = reminder()) r->setRecurrenceRule(std::move(rule));
}

void Task::setDueDate(std::optional<Date> dueDate) {
  auto r = reminder();
  if (!r) return;
  if (dueDate) {
    const auto calendar = platform::DateCalendar::current();
    const platform::DateComponents all = calendar.components(*dueDate);
    platform::DateComponents due;
    due.timeZone = calendar.timeZone();
    due.year = all.year;
    due.month = all.month;
    due.day = all.day;
    due.hour = all.hour;
    due.minute = all.minute;
    due.second = all.second;
    r->setDueDateComponents(due);
  } else {
    r->setDueDateComponents(std::nullopt);
  }
  const bool following = dueDate && gDueAlarmsFollowDue.load();
  bool atDue = false;
  const auto alarms = r->alarms();  // a snapshot: removing changes the reminder's own list
  for (const auto& alarm : alarms) {
    if (following && alarm->relativeOffset()) {
      atDue = atDue || alarm->relativeOffset()->count() == 0;
      continue;
    }
    r->removeAlarm(alarm);
  }
  if (!dueDate || atDue) return;
  r->addAlarm(following ? reminders::Alarm::alarmWithRelativeOffset(std::chrono::seconds(0))
                        : reminders::Alarm::alarmWithAbsoluteDate(*dueDate));
}


std::optional<Date> Task::creationDate() const {
  auto r = reminder();
  return r ? r->creationDate() : std::nullopt;
}

std::optional<Date> Task::completionDate() const {
  auto r = reminder();
  return r ? r->completionDate() : std::nullopt;
}

bool Task::isCompleted() const {
  std::lock_guard lock(linkMu_);
  return reminder_ && reminder_->isCompleted() && reminder_->completionDate().has_value();
}

void Task::setIsCompleted(bool completed) {
  auto r = reminder();
  if (r) r->setCompleted(completed);
  setCompleted(completed);
  if (r && completed) {
    const auto alarms = r->alarms();
    for (const auto& alarm : alarms) r->removeAlarm(alarm);
  }
  didChangeValue("isCompleted");
}

std::vector<std::string> Task::keyPathsAffected(const std::string& key) const {
  if (key == "isCompleted") return {"titleColor", "notesColor"};
  return {};
}

bool Task::isPastDue() const {
  auto due = dueDate();
  return due && *due <= platform::Clock::currentNow();
}

int64_t Task::dueDays() const {
  auto due = dueDate();
  if (!due) return 0;
  const Date now = platform::Clock::currentNow();
  const auto calendar = platform::DateCalendar::current();
  // Whole days: the calendar-day difference, less one when the last day is not complete yet.
  int64_t days = calendar.daysBetween(*due, now);
  if (days > 0 && calendar.adding(platform::CalendarUnit::day, days, *due) > now) {
    --days;
  } else if (days < 0 && calendar.adding(platform::CalendarUnit::day, days, *due) < now) {
    ++days;
  }
  return days;
}

bool Task::isDueTodayOrEarlier() const {
  auto due = dueDate();
  if (!due) return false;
  const Date now = platform::Clock::currentNow();
  // The cheap comparison first: most tasks a today filter meets are overdue or far ahead.
  return *due < now || platform::DateCalendar::current().isDateInToday(*due, now);
}

std::string Task::calendarId() const {
  auto r = reminder();
  if (!r || !r->calendar()) return "NO CALENDAR";
  return r->calendar()->calendarIdentifier();
}

int Task::nextPriority() const { return std::min(priority() + 1, 3); }
int Task::previousPriority() const { return std::max(priority() - 1, 0); }

platform::Colour Task::titleColor() const {
  // The completion flag alone decides here, not isCompleted (which also needs a completion date).
  if (linkedAndCompleted()) return platform::Colour::tertiaryLabel();
  // Counting days is the costly part; only a task due today or earlier needs it.
  if (!colorizeTitles() || !isDueTodayOrEarlier()) return platform::Colour::label();
  return dueDays() < 7 ? platform::Colour::systemOrange() : platform::Colour::systemRed();
}

platform::Colour Task::notesColor() const {
  return linkedAndCompleted() ? platform::Colour::tertiaryLabel() : platform::Colour::secondaryLabel();
}

bool Task::linkedAndCompleted() const {
  std::lock_guard lock(linkMu_);
  return reminder_ && reminder_->isCompleted();
}

bool Task::colorizeTitles() { return gColorizeTitles.load(); }
void Task::setColorizeTitles(bool colorize) { gColorizeTitles.store(colorize); }
bool Task::rfcPriorityScale() { return gRfcPriorityScale.load(); }
void Task::setRfcPriorityScale(bool rfc) { gRfcPriorityScale.store(rfc); }
bool Task::dueAlarmsFollowDue() { return gDueAlarmsFollowDue.load(); }
void Task::setDueAlarmsFollowDue(bool follow) { gDueAlarmsFollowDue.store(follow); }

std::vector<std::shared_ptr<Task>> sorted(std::vector<std::shared_ptr<Task>> tasks, const Task::Sorter& sorter) {
  return store::stableSorted(std::move(tasks), [&](const std::shared_ptr<Task>& a, const std::shared_ptr<Task>& b) {
    return sorter(*a, *b);
  });
}

// ---- Look-up and creation ----

store::FetchRequest Task::fetchRequest() { return store::FetchRequest("Task"); }

std::shared_ptr<Task> Task::fetch(const std::shared_ptr<reminders::Reminder>& from,
                                  const std::shared_ptr<store::ObjectContext>& managedContext) {
  if (!from || !managedContext) return nullptr;
  const std::string& externalId = from->calendarItemExternalIdentifier();
  // A reminder without calendar or source (not one the store hands out) looks for records stored
  // without a source.
  Value sourceIdentifier, sourceTitle;
  if (from->calendar() && from->calendar()->source()) {
    sourceIdentifier = from->calendar()->source()->sourceIdentifier();
    sourceTitle = from->calendar()->source()->title();
  }
  auto request = fetchRequest();
  request.predicate = store::Predicate::format("reminderId = %@ AND (sourceId = %@ OR sourceId = %@)",
                                               {externalId, sourceIdentifier, sourceTitle});
  request.sortDescriptors = {{"timestamp", true}};
  request.returnsObjectsAsFaults = false;

  return managedContext->performAndWait([&]() -> std::shared_ptr<Task> {
    auto results = managedContext->fetch<Task>(request);
    if (results.empty()) {
      classLog<Task>().debug("Task with reminderId '%{public}@' not found in database", externalId);
      return nullptr;
    }
    results.front()->setReminder(from);
    for (size_t i = 1; i < results.size(); ++i) managedContext->deleteObject(results[i]);
    return results.front();
  });
}

std::vector<std::shared_ptr<Task>> Task::fetch(const std::vector<std::shared_ptr<reminders::Reminder>>& from,
                                              const std::shared_ptr<store::ObjectContext>& managedContext) {
  std::vector<std::shared_ptr<Task>> found(from.size());
  if (!managedContext) return found;
  // Below this many reminders, a query each is cheaper than reading every record.
  constexpr size_t kBatchFrom = 32;
  if (from.size() < kBatchFrom) {
    for (size_t i = 0; i < from.size(); ++i) found[i] = fetch(from[i], managedContext);
    return found;
  }
  auto request = fetchRequest();
  request.predicate = store::Predicate::format("reminderId != %@", {Value()});
  // In row order (saved rows, then unsaved ones as inserted): the database need not sort every record
  // by timestamp when only the records of one reminder are ever compared.
  request.returnsObjectsAsFaults = false;

  managedContext->performAndWait([&] {
    // The reminders' external identifiers, as views of the reminders' own strings (which `from` keeps
    // alive and unchanged meanwhile); equal identifiers share a group.
    ExternalIds ids(from.size());
    std::vector<uint32_t> groupOf(from.size(), kNoGroup);
    for (size_t i = 0; i < from.size(); ++i) {
      if (from[i]) groupOf[i] = ids.insert(from[i]->calendarItemExternalIdentifier());
    }
    // Records of no reminder asked for (those of completed tasks, when only open ones are listed)
    // are passed over as rows: no object is made for them.
    request.textFilter = store::FetchRequest::TextFilter{
        "reminderId", [&](std::string_view id) { return ids.find(id) != kNoGroup; }, ids.size(), ids.keys()};
    const auto records = managedContext->fetch<Task>(request);
    const Slots& slots = taskSlots();
    auto slotOf = [&](const Task& task, size_t Slots::*member, std::string_view key) {
      return &task.entity() == &entityDescription() ? slots.*member : task.attributeIndexOrThrow(key);
    };
    // The records of each group, contiguous, in fetch order (a counting sort: most groups have one
    // record, many none, and records of no reminder asked for are left out without a copy).
    std::vector<uint32_t> recordGroup(records.size(), kNoGroup);
    std::vector<uint32_t> begin(ids.size() + 1, 0);
    for (size_t k = 0; k < records.size(); ++k) {
      recordGroup[k] = records[k]->readValueAt(slotOf(*records[k], &Slots::reminderId, "reminderId"),
                                               [&](const Value& v) {
                                                 const auto* id = std::get_if<std::string>(&v);
                                                 return id ? ids.find(*id) : kNoGroup;
                                               });
      if (recordGroup[k] != kNoGroup) ++begin[recordGroup[k] + 1];
    }
    for (size_t g = 0; g < ids.size(); ++g) begin[g + 1] += begin[g];
    std::vector<uint32_t> members(begin.back());
    {
      std::vector<uint32_t> next(begin.begin(), begin.end() - 1);
      for (size_t k = 0; k < records.size(); ++k) {
        if (recordGroup[k] != kNoGroup) members[next[recordGroup[k]]++] = static_cast<uint32_t>(k);
      }
    }
    // The order of a single look-up's (timestamp, then row), so the same record counts as the oldest;
    // no timestamp sorts first, as the database sorts a missing value.
    for (size_t g = 0; g < ids.size(); ++g) {
      if (begin[g + 1] - begin[g] < 2) continue;
      std::vector<std::pair<std::optional<Date>, uint32_t>> keyed;
      for (uint32_t m = begin[g]; m < begin[g + 1]; ++m) keyed.emplace_back(records[members[m]]->timestamp(), members[m]);
      std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
      for (size_t m = 0; m < keyed.size(); ++m) members[begin[g] + m] = keyed[m].second;
    }
    // A duplicate deleted for one reminder is no longer there for the next, as with single look-ups.
    std::vector<bool> deleted(records.size(), false);
    std::vector<uint32_t> matches;
    for (size_t i = 0; i < from.size(); ++i) {
      const auto& reminder = from[i];
      if (!reminder) continue;
      // Without calendar or source, the records stored without a source match.
      const reminders::Source* source =
          reminder->calendar() && reminder->calendar()->source() ? reminder->calendar()->source().get() : nullptr;
      auto sameSource = [&](const Value& v) {
        const auto* id = std::get_if<std::string>(&v);
        if (!source) return id == nullptr;
        return id && (*id == source->sourceIdentifier() || *id == source->title());
      };
      matches.clear();
      const uint32_t g = groupOf[i];
      for (uint32_t m = begin[g]; m < begin[g + 1]; ++m) {
        const uint32_t k = members[m];
        if (deleted[k]) continue;
        if (records[k]->readValueAt(slotOf(*records[k], &Slots::sourceId, "sourceId"), sameSource)) matches.push_back(k);
      }
      if (matches.empty()) {
        classLog<Task>().debug("Task with reminderId '%{public}@' not found in database",
                               reminder->calendarItemExternalIdentifier());
        continue;
      }
      records[matches.front()]->setReminder(reminder);
      for (size_t m = 1; m < matches.size(); ++m) {
        managedContext->deleteObject(records[matches[m]]);
        deleted[matches[m]] = true;
      }
      found[i] = records[matches.front()];
    }
  });
  return found;
}

std::shared_ptr<Task> Task::create(const std::shared_ptr<reminders::Reminder>& from,
                                   const std::shared_ptr<store::ObjectContext>& managedContext) {
  return store::createObject<Task>(managedContext, [&](Task& task) {
    task.setReminder(from);
    if (!from) return;
    task.setCompleted(from->isCompleted());
    const std::string& externalId = from->calendarItemExternalIdentifier();
    task.setReminderId(externalId.empty() ? std::nullopt : std::optional<std::string>(externalId));
    if (from->calendar() && from->calendar()->source()) {
      task.setSourceId(from->calendar()->source()->title());
    }
  });
}

}  // namespace zarvo
