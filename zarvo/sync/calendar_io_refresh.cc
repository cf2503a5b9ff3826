// CalendarIO: the refresh cycle behind the refresh gate, fetching through the cache, and the counts.
//
// A refresh moves through three threads: the worker on the global user-initiated queue (takes the
// gate, reloads the lists, asks the store), a store thread (receives the reminders) and the object
// context's queue (finds or creates the records, fills the cache, calls the completion, releases the
// gate). The gate stays held across the hops, so refreshes never interleave.
#include <map>
#include <unordered_set>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/dispatch.h"
#include "zarvo/sync/internal/calendar_io_internal.h"
#include "zarvo/sync/record_fields.h"

namespace zarvo {

void CalendarIO::refresh(bool force, Completion completion) {
  std::optional<ListArray> lists;
  bool completedOnly = false;
  {
    std::lock_guard lock(state_->mu);
    lists = state_->cachedResults.lists;
    completedOnly = state_->cachedResults.completedOnly;
  }
  startRefresh(force, std::move(lists), completedOnly, std::move(completion));
}

void CalendarIO::fetch(std::optional<ListArray> from, bool completedOnly, TasksCompletion completion) {
  std::shared_ptr<const TaskArray> cached;
  {
    std::lock_guard lock(state_->mu);
    const auto& results = state_->cachedResults;
    bool covered = !state_->needsRefresh && results.completedOnly == completedOnly;
    if (covered && results.lists && from) {
      for (const auto& list : *from) {
        if (std::find(results.lists->begin(), results.lists->end(), list) == results.lists->end()) {
          covered = false;
          break;
        }
      }
    }
    if (covered) cached = results.tasks;
  }
  if (cached) {
    calendarIOLog().debug("Fetch returns cached tasks");
    if (completion) completion(*cached);
    return;
  }
  startRefresh(true, std::move(from), completedOnly, [this, completion = std::move(completion)] {
    std::shared_ptr<const TaskArray> tasks;
    {
      std::lock_guard lock(state_->mu);
      tasks = state_->cachedResults.tasks;
    }
    if (completion) completion(*tasks);
  });
}

void CalendarIO::startRefresh(bool force, std::optional<ListArray> lists, bool completedOnly, Completion completion) {
  if (!isAuthorized()) {
    calendarIOLog().info("Not refreshing. Not authorized to access the EKEventStore");
    return;
  }
  bool needed = false;
  {
    std::lock_guard lock(state_->mu);
    needed = state_->needsRefresh;
  }
  if (!needed && !force) {
    calendarIOLog().debug("Refresh was requested but not needed or forced");
    return;
  }
  platform::globalUserInitiatedQueue().async(
      [this, token = beginWork(), lists = std::move(lists), completedOnly, completion = std::move(completion)]() mutable {
        runRefresh(token, std::move(lists), completedOnly, std::move(completion));
      });
}

void CalendarIO::runRefresh(WorkToken token, std::optional<ListArray> lists, bool completedOnly,
                            Completion completion) {
  const auto& log = calendarIOLog();
  log.debug("Waiting for current refresh operation to finish");
  state_->semaphore.acquire();
  {
    std::lock_guard lock(state_->mu);
    state_->isRefreshing = true;
  }
  log.info("Refreshing all reminders from source");
  eventStore_->refreshSourcesIfNecessary();
  eventStore_->reset();
  loadLists();

  // The requested lists now carry the calendars the store hands out after its reset.
  std::vector<std::shared_ptr<reminders::Calendar>> calendars;
  std::unordered_set<const reminders::Calendar*> seen;
  if (lists) {
    for (const auto& list : *lists) {
      auto calendar = list->calendar();
      if (calendar && seen.insert(calendar.get()).second) calendars.push_back(std::move(calendar));
    }
  }
  const auto predicate = completedOnly ? eventStore_->predicateForCompletedReminders(std::nullopt, std::nullopt, calendars)
                                       : eventStore_->predicateForIncompleteReminders(std::nullopt, std::nullopt, calendars);

  eventStore_->fetchRemindersMatchingPredicate(
      predicate, [this, token = std::move(token), lists = std::move(lists), completedOnly,
                  completion = std::move(completion)](std::vector<std::shared_ptr<reminders::Reminder>> reminders) mutable {
        auto context = managedContext();
        if (!context) {
          // Records can only be found or made in a context. Finish all the same, so that the gate
          // opens and later refreshes run once the application has set one; the cache mirrored
          // nothing, so it stays stale.
          {
            std::lock_guard lock(state_->mu);
            state_->isRefreshing = false;
          }
          calendarIOLog().error("Refresh received %{public}@ reminders but no object context is set; they are not mirrored",
                                reminders.size());
          state_->semaphore.release();
          return;
        }
        context->perform([this, token, context, reminders = std::move(reminders), lists = std::move(lists),
                          completedOnly, completion = std::move(completion)]() mutable {
          finishRefresh(std::move(reminders), context, std::move(lists), completedOnly, completion);
        });
      });
}

void CalendarIO::finishRefresh(std::vector<std::shared_ptr<reminders::Reminder>> reminders,
                               const std::shared_ptr<store::ObjectContext>& context, std::optional<ListArray> lists,
                               bool completedOnly, const Completion& completion) {
  const auto& log = calendarIOLog();
  // Every reminder is looked up before any record is made: while new records are pending in the
  // context, each look-up must also scan them, which would make a first refresh quadratic. Records
  // made here are remembered by identity, so a reminder met twice gets one record, as a look-up
  // would have found it.
  std::vector<std::shared_ptr<Task>> found;
  try {
    found = Task::fetch(reminders, context);
  } catch (const store::StoreError&) {
    // A failed look-up is treated as missing records: the tasks get new ones.
    found.assign(reminders.size(), nullptr);
  }
  std::map<std::pair<std::string, std::string>, std::shared_ptr<Task>> created;
  const bool carries = carriesRecordFields();
  auto tasks = std::make_shared<TaskArray>();
  tasks->reserve(reminders.size());
  for (size_t i = 0; i < reminders.size(); ++i) {
    const auto& reminder = reminders[i];
    auto task = std::move(found[i]);
    if (!task) {
      const auto& id = reminder->calendarItemExternalIdentifier();
      const auto& calendar = reminder->calendar();
      const auto source = calendar ? calendar->source() : nullptr;
      const std::string sourceTitle = source ? source->title() : std::string();
      auto& made = created[{id, sourceTitle}];
      if (made) {
        made->setReminder(reminder);
        task = made;
      } else {
        log.debug("Task for reminder with id '%{public}@' and source '%{public}@ did not exist. Creating it now.",
                  id.empty() ? std::string("No reminder identifier") : id,
                  source ? sourceTitle : std::string("No source"));
        task = Task::create(reminder, context);
        made = task;
      }
    }
    if (carries) readRecordFields(*task, context);
    tasks->push_back(std::move(task));
  }
  {
    std::lock_guard lock(state_->mu);
    state_->cachedResults = State::FetchResults{std::move(tasks), std::move(lists), completedOnly};
    state_->needsRefresh = false;
    state_->isRefreshing = false;
  }
  log.debug("Finished refreshing all reminders from source");
  if (completion) completion();
  state_->semaphore.release();
  const void* object = this;
  platform::MainQueue::async([object] {
    platform::NotificationCenter::defaultCenter().post(std::string(kCalendarIORefreshed), object);
  });
}

size_t CalendarIO::totalTaskCount() const {
  std::lock_guard lock(state_->mu);
  return state_->cachedResults.tasks->size();
}

size_t CalendarIO::overdueTaskCount() const {
  std::shared_ptr<const TaskArray> tasks;
  {
    std::lock_guard lock(state_->mu);
    tasks = state_->cachedResults.tasks;
  }
  const Date now = platform::Clock::currentNow();
  const auto calendar = platform::DateCalendar::current();
  size_t count = 0;
  for (const auto& task : *tasks) {
    const auto due = task->dueDate();
    if (due && (calendar.isDateInToday(*due, now) || *due < now)) ++count;
  }
  return count;
}

}  // namespace zarvo
