// The reminders daemon's loop: rings the alarms of one home on time and acts on the user's answer.
//
// It holds the home only while it reads or writes it (the command line must never wait for it), and
// sleeps in poll() on four descriptors: a CLOCK_REALTIME timer set to the next alarm (cancelled on a
// clock change, so a changed clock or a resume from suspend wakes it), the reminders store's change
// watcher, the session bus, and SIGINT/SIGTERM. There is no polling loop.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "reminders-daemon/notification_service.h"
#include "zarvo/alarms/alarm_rounds.h"
#include "zarvo/alarms/schedule.h"
#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/file_watcher.h"

namespace zarvo::remindersd {

struct DaemonOptions {
  std::filesystem::path home;
  // The home's file system (HomeOptions::fileSystem), through which what has rung is kept
  // (alarms::AlarmRounds). Default (null): POSIX.
  std::shared_ptr<platform::FileSystem> fileSystem;
  alarms::ScheduleOptions schedule;
  // The session-bus name held while running (alarms::daemonBusName of the home); a daemon that finds
  // it taken leaves at once. Empty: none is taken.
  std::string busName;
  // How long to wait before trying again when the home or the notification service failed.
  // Default one minute.
  std::chrono::seconds retryAfter{60};
  // The Snooze choices a notification offers (Settings::Reminders::snooze, alarms::snoozeUntil);
  // empty offers no Snooze. A reminder at a due time without an alarm offers none either: a snooze
  // alarm names the alarm it snoozes.
  std::vector<std::string> snooze{"10m", "1h", "tomorrow"};
  // The desktop app that Open starts on the home; none offers no Open.
  std::optional<std::filesystem::path> desktop;
};

class Daemon {
 public:
  explicit Daemon(DaemonOptions options);
  ~Daemon();
  // Runs until SIGINT or SIGTERM (exit status 0) or until the session bus is gone (1). Returns 0 at
  // once when another daemon holds the bus name.
  int run();

 private:
  void reschedule();
  void onAction(uint32_t id, const std::string& action);
  void complete(const alarms::Firing& firing);
  void acknowledge(const std::vector<alarms::Firing>& shown);
  void snooze(const alarms::Firing& firing, const std::string& choice);
  void open(const alarms::Firing& firing);
  // Runs this program again as `zarvo-reminders --home HOME arguments...` and waits for it: the
  // writes open the whole home, which a sleeping daemon must not keep in memory. False when it failed.
  bool runSelf(const std::vector<std::string>& arguments, const std::string& what);
  void armTimer();

  DaemonOptions options_;
  alarms::AlarmRounds rounds_;  // what has rung, kept between wake-ups
  std::unique_ptr<NotificationService> service_;
  int timerFd_ = -1;
  int changeFd_ = -1;
  int signalFd_ = -1;
  // What the change watcher heard since the loop last looked (written on the watcher's thread).
  std::mutex changesMutex_;
  reminders::TreeChanges changes_;
  std::optional<Date> wakeAt_;
  std::map<uint32_t, alarms::Firing> shown_;  // notifications on screen, by id
};

// The helpers below open the home at `homePath` through `fileSystem` (HomeOptions::fileSystem; null:
// POSIX), as the daemon reads it, so that the faults a test injects reach their writes too.

// Completes the open task with UID `uid` of the home at `homePath` as `zarvo done` does (recorded in
// the history as "done 'TITLE'"); 0 when done or when no such open task is left, 1 when the home or
// the store refused. What the daemon runs, in a process of its own, when the user picks Done.
int completeTask(const std::filesystem::path& homePath, const std::shared_ptr<platform::FileSystem>& fileSystem,
                 const std::string& uid, const std::string& title);

// One alarm that rang: alarm `index` of the task with UID `taskUid` (alarms::TaskAlarms::alarms),
// ringing at `at`. A task whose alarm no longer rings at `at` (moved or gone since) is left alone.
struct RungAlarm {
  std::string taskUid;
  size_t index = 0;
  Date at{};
};

// Writes ACKNOWLEDGED at `now` into each alarm of the home at `homePath` (alarms::acknowledgeAlarm),
// through the library's save path; 0 when every task that still has its alarm was written, 1 when
// the home or the store refused. What the daemon runs, in a process of its own, when it shows alarms.
int acknowledgeAlarms(const std::filesystem::path& homePath, const std::shared_ptr<platform::FileSystem>& fileSystem,
                      Date now, const std::vector<RungAlarm>& alarms);

// Snoozes `alarm`, shown at `now`, until `until` (alarms::snoozeAlarm); statuses as acknowledgeAlarms.
int snoozeAlarm(const std::filesystem::path& homePath, const std::shared_ptr<platform::FileSystem>& fileSystem,
                const RungAlarm& alarm, Date now, Date until);

}  // namespace zarvo::remindersd
