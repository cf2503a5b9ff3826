// A program that syncs a home through an installed ZarvoKit the way an application would: adds a task,
// adds a CalDAV account whose first sync moves this machine's lists into it, syncs, and says what
// happened. The password comes from $DAV_PASSWORD.
//
//   zarvokit_sync_consumer HOME URL USER
//
// Prints "uploaded LIST: N tasks" per list moved into the account, "synced LIST: N on the server" per
// list synced, then "sync: ok" (or "sync failed: MESSAGE" and exit status 1).
#include <iostream>
#include <string>

#include "zarvo/home/home_sync.h"
#include "zarvo/sync/sync_service.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: zarvokit_sync_consumer HOME URL USER\n";
    return 2;
  }
  namespace caldav = zarvo::caldav;
  zarvo::SyncHomeAt home(argv[1]);
  const zarvo::Error added = home.update([](zarvo::CalendarIO& io, const auto&) { io.createTask("Water the plants"); });
  if (!added.ok()) {
    std::cerr << "zarvokit_sync_consumer: " << added.message() << '\n';
    return 1;
  }
  caldav::SyncService service(home);
  const caldav::Account account{"dav", argv[2], argv[3], {caldav::PasswordKind::environment, "DAV_PASSWORD"}};
  if (const zarvo::Error status = service.addAccount(account, true); !status.ok()) {
    std::cerr << "zarvokit_sync_consumer: " << status.message() << '\n';
    return 1;
  }
  caldav::SyncProgress progress;
  progress.listUploaded = [](const caldav::UploadedList& list) {
    std::cout << "uploaded " << list.title << ": " << list.tasks << " tasks\n";
  };
  progress.listSynced = [](const caldav::ListSummary& list) {
    std::cout << "synced " << list.title << ": " << list.changes.added[static_cast<int>(caldav::Side::server)]
              << " on the server\n";
  };
  const caldav::SyncResult result = service.sync({}, progress);
  if (!result.status.ok()) {
    std::cout << "sync failed: " << result.status.message() << '\n';
    return 1;
  }
  std::cout << "sync: ok\n";
  return 0;
}
