// CalendarIO: writes. Every change goes to the reminders store first; the records, lists() and the
// cache follow as each operation describes, including when the store throws part-way.
#include <set>
#include <unordered_set>

#include "zarvo/platform/dispatch.h"
#include "zarvo/sync/internal/calendar_io_internal.h"
#include "zarvo/sync/record_fields.h"

namespace zarvo {

namespace {

void logNoReminder(const Task& task) {
  calendarIOLog().notice("Task '%@' has no associated reminder", task.title().value_or(""));
}

void logNoCalendar(const List& list) { calendarIOLog().notice("List '%@' has no associated calendar", list.title()); }

}  // namespace

void CalendarIO::commit() { eventStore_->commit(); }

void CalendarIO::save(const std::shared_ptr<Task>& task, bool batch) {
  auto reminder = task->reminder();
  if (!reminder) {
    logNoReminder(*task);
    return;
  }
  if (carriesRecordFields()) writeRecordFields(*task);
  eventStore_->saveReminder(reminder, !batch);
}

void CalendarIO::save(const std::shared_ptr<List>& list) {
  auto calendar = list->calendar();
  if (!calendar) {
    logNoCalendar(*list);
    return;
  }
  eventStore_->saveCalendar(calendar, true);
  list->setCalendar(eventStore_->calendarWithIdentifier(calendar->calendarIdentifier()));
}

std::shared_ptr<reminders::Source> CalendarIO::defaultSource() {
  std::shared_ptr<reminders::Source> chosen;
  const auto sources = eventStore_->sources();
  for (auto type : {reminders::SourceType::calDAV, reminders::SourceType::local}) {
    for (const auto& source : sources) {
      if (source->sourceType() == type) {
        chosen = source;
        break;
      }
    }
    if (chosen) break;
  }
  if (chosen) {
    calendarIOLog().debug("Selecting default source: %{public}@", chosen->title());
  } else {
    calendarIOLog().debug("Selecting default source: %{public}@", "No source");
  }
  return chosen;
}

std::shared_ptr<List> CalendarIO::createList(std::string title) {
  auto calendar = reminders::Calendar::calendarForEntityType(reminders::EntityType::reminder, *eventStore_);
  calendar->setTitle(std::move(title));
  calendar->setSource(defaultSource());
  eventStore_->saveCalendar(calendar, true);
  auto list = List::create(calendar, managedContext());
  // Its order stays -1 here; the next loadLists gives it its place.
  std::lock_guard lock(state_->mu);
  state_->lists.push_back(list);
  return list;
}

std::shared_ptr<List> CalendarIO::storeDefaultList() {
  const ListArray current = lists();
  auto calendar = eventStore_->defaultCalendarForNewReminders();
  if (!calendar && !current.empty()) calendar = current.front()->calendar();
  for (const auto& list : current) {
    if (list->calendar() == calendar) return list;
  }
  return nullptr;
}

std::shared_ptr<Task> CalendarIO::createTask(std::string title, std::shared_ptr<List> list,
                                             std::optional<std::string> notes, bool flagged, int priority,
                                             std::optional<Date> dueDate, bool dueIsAllDay,
                                             std::optional<std::string> recurrenceRule) {
  std::shared_ptr<reminders::Calendar> calendar = list ? list->calendar() : nullptr;
  if (!calendar) {
    if (auto fallback = defaultList()) calendar = fallback->calendar();
  }
  if (!calendar) {
    if (auto fallback = storeDefaultList()) calendar = fallback->calendar();
  }
  if (!calendar) {
    calendarIOLog().error("No calendar was specified and the event store has no default calendar for reminders");
    return nullptr;
  }
  auto reminder = reminders::Reminder::reminderWithEventStore(*eventStore_);
  reminder->setCalendar(std::move(calendar));
  reminder->setTitle(std::move(title));
  reminder->setRecurrenceRule(std::move(recurrenceRule));
  auto task = Task::create(reminder, managedContext());
  task->setNotes(std::move(notes));
  task->setFlagged(flagged);
  task->setPriority(priority);
  task->setDueDate(dueDate, dueIsAllDay);
  if (carriesRecordFields()) writeRecordFields(*task);
  eventStore_->saveReminder(reminder, true);
  std::lock_guard lock(state_->mu);
  state_->mutableTasksLocked().push_back(task);
  return task;
}

void CalendarIO::remove(const std::shared_ptr<Task>& task, bool commit) {
  auto reminder = task->reminder();
  if (!reminder) {
    logNoReminder(*task);
    return;
  }
  {
    std::lock_guard lock(state_->mu);
    state_->removeCachedLocked(task.get());
  }
  eventStore_->removeReminder(reminder, commit);
  if (auto context = managedContext()) context->deleteObject(task);
}

void CalendarIO::remove(const std::shared_ptr<List>& list) {
  auto calendar = list->calendar();
  if (!calendar) {
    logNoCalendar(*list);
    return;
  }
  const std::string identifier = calendar->calendarIdentifier();
  std::shared_ptr<const TaskArray> cached;
  {
    std::lock_guard lock(state_->mu);
    cached = state_->cachedResults.tasks;
  }
  // Task::calendarId answers "NO CALENDAR" for a task without reminder or calendar.
  std::unordered_set<const Task*> selected;
  std::vector<std::shared_ptr<Task>> doomed;
  for (const auto& task : *cached) {
    if (task->calendarId() == identifier && selected.insert(task.get()).second) doomed.push_back(task);
  }
  auto context = managedContext();
  if (context) {
    for (const auto& task : doomed) context->deleteObject(task);
  }
  if (!selected.empty()) {
    std::lock_guard lock(state_->mu);
    std::erase_if(state_->mutableTasksLocked(), [&](const auto& t) { return selected.contains(t.get()); });
  }

  // A separate, short-lived handle: pending writes of the library's handle neither block nor ride
  // along with the removal.
  reminders::EventStoreOptions options;
  options.root = eventStore_->root();
  options.watchForChanges = false;
  options.fileSystem = fileSystem_;
  options.beforeWriting = beforeWriting_;
  reminders::EventStore separate(std::move(options));
  if (auto stored = separate.calendarWithIdentifier(identifier)) separate.removeCalendar(stored, true);

  {
    std::lock_guard lock(state_->mu);
    std::erase(state_->lists, list);
  }
  if (context) context->deleteObject(list);
}

void CalendarIO::move(const std::shared_ptr<Task>& task, const std::shared_ptr<List>& to) {
  auto calendar = to->calendar();
  if (!calendar) {
    logNoCalendar(*to);
    return;
  }
  if (auto reminder = task->reminder()) reminder->setCalendar(std::move(calendar));
  save(task, false);
}

void CalendarIO::purgeCompleted(Completion completion) { purgeCompleted(std::move(completion), nullptr); }

size_t CalendarIO::pruneOrphanedTasks() {
  auto context = managedContext();
  if (!context) return 0;
  std::set<std::pair<std::string, std::string>> present;  // (UID, source title)
  std::set<std::string> sources;
  for (const auto& source : eventStore_->sources()) sources.insert(source->title());
  for (bool completed : {false, true}) {
    const auto predicate = completed ? eventStore_->predicateForCompletedReminders(std::nullopt, std::nullopt, {})
                                     : eventStore_->predicateForIncompleteReminders(std::nullopt, std::nullopt, {});
    for (const auto& r : eventStore_->remindersMatchingPredicate(predicate)) {
      const auto& calendar = r->calendar();
      present.emplace(r->calendarItemExternalIdentifier(),
                      calendar && calendar->source() ? calendar->source()->title() : std::string());
    }
  }
  // A file that cannot be read may still hold a task: its record (flag, tags) waits for it.
  if (!eventStore_->skippedFiles().empty()) return 0;
  size_t pruned = 0;
  for (const auto& task : context->fetch<Task>(Task::fetchRequest())) {
    const auto id = task->reminderId();
    const auto source = task->sourceId();
    if (!id || !source || !sources.contains(*source) || present.contains({*id, *source})) continue;
    {
      std::lock_guard lock(state_->mu);
      state_->removeCachedLocked(task.get());
    }
    context->deleteObject(task);
    ++pruned;
  }
  if (pruned > 0) calendarIOLog().info("Pruned %{public}@ task records whose reminders are gone", pruned);
  return pruned;
}

void CalendarIO::purgeCompleted(Completion completion, Completion nothingToPurge) {
  std::vector<std::shared_ptr<reminders::Calendar>> calendars;
  std::unordered_set<const reminders::Calendar*> seen;
  for (const auto& list : lists()) {
    auto calendar = list->calendar();
    if (calendar && seen.insert(calendar.get()).second) calendars.push_back(std::move(calendar));
  }
  const auto predicate = eventStore_->predicateForCompletedReminders(std::nullopt, std::nullopt, calendars);
  eventStore_->fetchRemindersMatchingPredicate(
      predicate, [this, token = beginWork(), completion = std::move(completion),
                  nothingToPurge = std::move(nothingToPurge)](std::vector<std::shared_ptr<reminders::Reminder>> reminders) mutable {
        auto context = managedContext();
        if (!context || reminders.empty()) {
          if (nothingToPurge) platform::MainQueue::async(std::move(nothingToPurge));
          return;
        }
        context->perform([this, token, context, reminders = std::move(reminders), completion = std::move(completion)] {
          auto failed = [](const std::string& description) {
            calendarIOLog().error("Failed to purge reminder with error: %{public}@", description);
          };
          try {
            for (const auto& reminder : reminders) {
              if (auto task = Task::fetch(reminder, context)) remove(task, false);
            }
            commit();
          } catch (const reminders::StoreError& e) {
            failed(e.localizedDescription());
          } catch (const store::StoreError& e) {
            failed(e.message());
          }
          if (completion) platform::MainQueue::async(completion);
        });
      });
}

}  // namespace zarvo
