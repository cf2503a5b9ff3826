// CalendarIO: creation, settings, access, the two notification handlers and list loading and order.
#include "zarvo/sync/calendar_io.h"

#include <memory>
#include <new>
#include <unordered_set>

#include "zarvo/model/item.h"
#include "zarvo/store/sorting.h"
#include "zarvo/platform/no_destructor.h"
#include "zarvo/platform/text.h"
#include "zarvo/platform/text_compare.h"
#include "zarvo/sync/internal/calendar_io_internal.h"
#include "zarvo/sync/internal/calendar_io_testing.h"

namespace zarvo {

const platform::Log& calendarIOLog() {
  static const platform::Log log(detail::logSubsystem(), "CalendarIO");
  return log;
}

namespace {

struct SharedConfiguration {
  std::mutex mu;
  reminders::EventStoreOptions options;
  bool made = false;
};

SharedConfiguration& sharedConfiguration() {
  static platform::NoDestructor<SharedConfiguration> configuration;
  return configuration.get();
}

}  // namespace

// ---- Creation ----

CalendarIO& CalendarIO::shared() {
  // A function-local static is made exactly once even when several threads ask at the same time.
  static platform::NoDestructor<CalendarIO> instance(Key{}, [] {
    auto& configuration = sharedConfiguration();
    std::lock_guard lock(configuration.mu);
    configuration.made = true;
    return configuration.options;
  }());
  return instance.get();
}

bool CalendarIO::configureShared(reminders::EventStoreOptions options) {
  auto& configuration = sharedConfiguration();
  std::lock_guard lock(configuration.mu);
  if (configuration.made) return false;
  configuration.options = std::move(options);
  return true;
}

CalendarIO::CalendarIO(Key, reminders::EventStoreOptions options)
    : fileSystem_(options.fileSystem),
      beforeWriting_(options.beforeWriting),
      eventStore_(std::make_unique<reminders::EventStore>(std::move(options))),
      state_(std::make_unique<State>()) {
  auto& center = platform::NotificationCenter::defaultCenter();
  storeObserver_ = center.addObserver(std::string(reminders::kEventStoreChangedNotification), eventStore_.get(),
                                      [this](const platform::Notification& n) { eventKitStoreChanged(n); });
  // No context is set yet, so this hears every object context of the process; it stays that way when
  // a context is set later.
  contextObserver_ = center.addObserver(store::kObjectsDidChangeNotification, nullptr,
                                        [this](const platform::Notification& n) { mocDidChangeNotification(n); });
}

CalendarIO::~CalendarIO() {
  // Once both are reset no handler runs or will run; then only queued work can still reach us.
  storeObserver_.reset();
  contextObserver_.reset();
  std::unique_lock lock(state_->workMu);
  state_->workDone.wait(lock, [&] { return state_->workInFlight == 0; });
}

CalendarIO::WorkToken CalendarIO::beginWork() {
  {
    std::lock_guard lock(state_->workMu);
    ++state_->workInFlight;
  }
  // The token's deleter runs when the last copy goes, whether the work ran or its queue dropped it.
  State* state = state_.get();
  return WorkToken(static_cast<const void*>(state), [state](const void*) {
    std::lock_guard lock(state->workMu);
    --state->workInFlight;
    state->workDone.notify_all();
  });
}

// ---- Settings ----

bool CalendarIO::carriesRecordFields() const {
  std::lock_guard lock(state_->mu);
  return state_->carriesRecordFields;
}

void CalendarIO::setCarriesRecordFields(bool carries) {
  std::lock_guard lock(state_->mu);
  state_->carriesRecordFields = carries;
}

std::function<bool()> CalendarIO::shouldRefreshOnStoreChanged() const {
  std::lock_guard lock(state_->mu);
  return state_->shouldRefreshOnStoreChanged;
}

void CalendarIO::setShouldRefreshOnStoreChanged(std::function<bool()> callable) {
  std::lock_guard lock(state_->mu);
  state_->shouldRefreshOnStoreChanged = std::move(callable);
}

CalendarIO::ListArray CalendarIO::lists() const {
  std::lock_guard lock(state_->mu);
  return state_->lists;
}

void CalendarIO::setLists(ListArray lists) {
  std::lock_guard lock(state_->mu);
  state_->lists = std::move(lists);
}

std::shared_ptr<List> CalendarIO::defaultList() const {
  std::lock_guard lock(state_->mu);
  return state_->defaultList;
}

void CalendarIO::setDefaultList(std::shared_ptr<List> list) {
  std::lock_guard lock(state_->mu);
  state_->defaultList = std::move(list);
}

std::shared_ptr<store::ObjectContext> CalendarIO::managedContext() const {
  std::lock_guard lock(state_->mu);
  return state_->managedContext;
}

void CalendarIO::setManagedContext(std::shared_ptr<store::ObjectContext> context) {
  std::lock_guard lock(state_->mu);
  state_->managedContext = std::move(context);
}

// ---- Access ----

reminders::AuthorizationStatus CalendarIO::authorizationStatus() const {
  return eventStore_->authorizationStatus(reminders::EntityType::reminder);
}

bool CalendarIO::isAuthorized() const { return authorizationStatus() == reminders::AuthorizationStatus::authorized; }

void CalendarIO::requestAccess(std::function<void(bool, std::optional<reminders::StoreError>)> completion) {
  eventStore_->requestAccessToEntityType(reminders::EntityType::reminder, std::move(completion));
}

// ---- Notification handlers ----

void CalendarIO::eventKitStoreChanged(const platform::Notification&) {
  std::function<bool()> shouldRefresh;
  std::optional<ListArray> lists;
  bool completedOnly = false;
  {
    std::lock_guard lock(state_->mu);
    // A running refresh reads the store after this change anyway, and clears the flag when it ends.
    if (state_->isRefreshing) return;
    state_->needsRefresh = true;
    shouldRefresh = state_->shouldRefreshOnStoreChanged;
    lists = state_->cachedResults.lists;
    completedOnly = state_->cachedResults.completedOnly;
  }
  calendarIOLog().info("Received EventKit store changed notification. Marking as needing refresh.");
  if (shouldRefresh && shouldRefresh()) startRefresh(true, std::move(lists), completedOnly, nullptr);
}

void CalendarIO::mocDidChangeNotification(const platform::Notification& notification) {
  const auto& userInfo = notification.userInfo;
  if (userInfo.empty()) return;
  const store::ObjectList* updated = nullptr;
  if (auto it = userInfo.find(store::kUpdatedObjectsKey); it != userInfo.end()) {
    updated = std::any_cast<store::ObjectList>(&it->second);
  }
  size_t count = 0;
  if (managedContext()) count = store::ObjectContext::countInsertAndDeleteNotificationObjects<Task>(userInfo);
  if (updated != nullptr) {
    for (const auto& object : *updated) {
      const auto* task = dynamic_cast<const Task*>(object.get());
      if (task == nullptr) continue;
      const auto before = task->changedValuesForCurrentEvent();
      auto old = before.find("completed");
      if (old == before.end()) continue;
      std::optional<bool> wasCompleted;
      if (const auto* b = std::get_if<bool>(&old->second)) wasCompleted = *b;
      if (const auto* i = std::get_if<int64_t>(&old->second)) wasCompleted = *i != 0;
      if (!wasCompleted || *wasCompleted == task->completed()) continue;
      {
        std::lock_guard lock(state_->mu);
        state_->removeCachedLocked(task);
      }
      ++count;
    }
  }
  if (count >= 1) platform::NotificationCenter::defaultCenter().post(std::string(kCalendarIOStoreChanged), this);
}

// ---- Lists ----

namespace {

// Lists without a place take their index; then a stable sort by place keeps the store's order among
// lists of equal place.
CalendarIO::ListArray sortByOrder(CalendarIO::ListArray lists) {
  for (size_t i = 0; i < lists.size(); ++i) {
    if (lists[i]->order() == -1) lists[i]->setOrder(static_cast<int16_t>(i));
  }
  return store::stableSorted(std::move(lists), [](const auto& a, const auto& b) { return a->order() < b->order(); });
}

}  // namespace

void CalendarIO::loadLists() {
  const auto& log = calendarIOLog();
  log.info("Reloading all lists");
  setLists({});
  auto context = managedContext();
  if (!context) return;
  log.debug("Fetching calendars from the event store");
  ListArray loaded;
  for (const auto& calendar : eventStore_->calendarsForEntityType(reminders::EntityType::reminder)) {
    std::shared_ptr<List> list;
    try {
      list = List::fetch(calendar, context);
    } catch (const store::StoreError&) {
      // A failed look-up is treated as a missing record: the list gets a new one.
    }
    if (!list) {
      log.debug("List for calendar with id '%{public}@' did not exist. Creating it now.",
                calendar->calendarIdentifier());
      list = List::create(calendar, context);
    }
    loaded.push_back(std::move(list));
  }
  setLists(sortByOrder(std::move(loaded)));
}

std::shared_ptr<List> CalendarIO::setDefaultList(std::optional<std::string_view> calendarId,
                                                 std::optional<std::string_view> title) {
  const ListArray current = lists();
  std::shared_ptr<List> chosen;
  if (calendarId && !calendarId->empty()) {
    for (const auto& list : current) {
      auto id = list->calendarId();
      if (id && platform::compareCanonically(*id, *calendarId) == 0) {
        chosen = list;
        break;
      }
    }
  }
  if (!chosen && title && !title->empty()) {
    for (const auto& list : current) {
      if (platform::compareCanonically(list->title(), *title) == 0) {
        chosen = list;
        break;
      }
    }
  }
  if (chosen) setDefaultList(chosen);
  return chosen;
}

std::shared_ptr<List> CalendarIO::list(std::string_view title) const {
  for (const auto& list : lists()) {
    if (platform::equalsIgnoringCase(list->title(), title)) return list;
  }
  return nullptr;
}

void CalendarIO::reorder(const std::shared_ptr<List>& list, const std::shared_ptr<List>& above) {
  // The records are changed outside the lock (their observers may call back into us); a loadLists
  // running at the same time wins, as it would a moment later anyway.
  ListArray sorted = store::stableSorted(lists(), [](const auto& a, const auto& b) { return a->order() < b->order(); });
  auto from = std::find(sorted.begin(), sorted.end(), list);
  auto to = std::find(sorted.begin(), sorted.end(), above);
  if (from != sorted.end() && to != sorted.end()) {
    const auto target = to - sorted.begin();
    auto moved = *from;
    sorted.erase(from);
    sorted.insert(sorted.begin() + target, std::move(moved));
    for (size_t i = 0; i < sorted.size(); ++i) sorted[i]->setOrder(static_cast<int16_t>(i));
  }
  setLists(std::move(sorted));
}

// ---- Test seam ----

std::unique_ptr<CalendarIO> CalendarIO::make(reminders::EventStoreOptions options) {
  return std::make_unique<CalendarIO>(Key{}, std::move(options));
}

std::unique_ptr<CalendarIO> CalendarIOTestAccess::make(reminders::EventStoreOptions options) {
  return CalendarIO::make(std::move(options));
}

bool CalendarIOTestAccess::needsRefresh(const CalendarIO& io) {
  std::lock_guard lock(io.state_->mu);
  return io.state_->needsRefresh;
}

bool CalendarIOTestAccess::isRefreshing(const CalendarIO& io) {
  std::lock_guard lock(io.state_->mu);
  return io.state_->isRefreshing;
}

CalendarIO::TaskArray CalendarIOTestAccess::cachedTasks(const CalendarIO& io) {
  std::lock_guard lock(io.state_->mu);
  return *io.state_->cachedResults.tasks;
}

std::optional<CalendarIO::ListArray> CalendarIOTestAccess::cachedLists(const CalendarIO& io) {
  std::lock_guard lock(io.state_->mu);
  return io.state_->cachedResults.lists;
}

bool CalendarIOTestAccess::cachedCompletedOnly(const CalendarIO& io) {
  std::lock_guard lock(io.state_->mu);
  return io.state_->cachedResults.completedOnly;
}

void CalendarIOTestAccess::acquireGate(CalendarIO& io) { io.state_->semaphore.acquire(); }
void CalendarIOTestAccess::releaseGate(CalendarIO& io) { io.state_->semaphore.release(); }

}  // namespace zarvo
