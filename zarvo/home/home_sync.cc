#include "zarvo/home/home_sync.h"

#include "zarvo/platform/notifications.h"
#include "zarvo/reminders/event_store.h"

namespace zarvo {

namespace {

Error updateHome(Home& home,
                 const std::function<void(CalendarIO&, const std::vector<std::shared_ptr<Task>>&)>& work) {
  try {
    // vdirsyncer changed the files behind the home's back, as any other program would: a home that
    // was open before it ran reads them again.
    auto& store = home.io().eventStore();
    platform::NotificationCenter::defaultCenter().post(std::string(reminders::kEventStoreChangedNotification), &store);
    // Open tasks last, so that they carry the store's latest state.
    auto tasks = home.fetchTasks(std::nullopt, true);
    if (!tasks) return caldav::syncError(caldav::SyncErrc::home, tasks.error().message());
    const auto open = home.fetchTasks(std::nullopt, false);
    if (!open) return caldav::syncError(caldav::SyncErrc::home, open.error().message());
    tasks->insert(tasks->end(), open->begin(), open->end());
    work(home.io(), *tasks);
    home.save();
    return {};
  } catch (const StoreError& e) {
    return caldav::syncError(caldav::SyncErrc::home, e.what());
  }
}

}  // namespace

SyncHomeAt::SyncHomeAt(std::filesystem::path path, HomeOptions options)
    : path_(std::move(path)), options_(std::move(options)) {
  options_.access = HomeAccess::write;
}

Error SyncHomeAt::update(
    const std::function<void(CalendarIO&, const std::vector<std::shared_ptr<Task>>&)>& work) {
  try {
    auto home = Home::open(path_, options_);
    if (!home) return caldav::syncError(caldav::SyncErrc::home, home.error().message());
    return updateHome(**home, work);
  } catch (const StoreError& e) {  // the stores' own failures while the home opens
    return caldav::syncError(caldav::SyncErrc::home, e.what());
  }
}

Error SyncOpenHome::update(
    const std::function<void(CalendarIO&, const std::vector<std::shared_ptr<Task>>&)>& work) {
  return updateHome(home_, work);
}

}  // namespace zarvo
