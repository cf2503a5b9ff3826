#include "reminders-daemon/daemon.h"

#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <functional>
#include <utility>

#include "zarvo/alarms/alarm_writes.h"
#include "zarvo/home/home.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/log.h"
#include "zarvo/platform/process.h"
#include "zarvo/reminders/file_watcher.h"
#include "zarvo/reminders/store_error.h"

namespace zarvo::remindersd {
namespace {

const platform::Log& log() {
  static const platform::Log instance("zarvo-reminders", "Daemon");
  return instance;
}

// "Due 2027-01-01 09:30 · Home", in the current zone.
std::string bodyOf(const alarms::Firing& f) {
  std::string body;
  if (f.due) {
    platform::DateComponents c = platform::DateCalendar::current().components(*f.due);
    char buf[32];
    std::snprintf(buf, sizeof buf, "Due %04lld-%02lld-%02lld %02lld:%02lld", static_cast<long long>(c.year.value_or(0)),
                  static_cast<long long>(c.month.value_or(0)), static_cast<long long>(c.day.value_or(0)),
                  static_cast<long long>(c.hour.value_or(0)), static_cast<long long>(c.minute.value_or(0)));
    body = buf;
  }
  if (!f.list.empty()) body += (body.empty() ? "" : " \u00b7 ") + f.list;
  return body;
}

std::string secondsOf(Date d) {
  return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(d.time_since_epoch()).count());
}

}  // namespace

Daemon::Daemon(DaemonOptions options)
    : options_(std::move(options)), rounds_({options_.home, options_.fileSystem, options_.schedule}) {}

Daemon::~Daemon() {
  for (int fd : {timerFd_, changeFd_, signalFd_}) {
    if (fd >= 0) ::close(fd);
  }
}

int Daemon::run() {
  auto service = NotificationService::connect([this](uint32_t id, const std::string& action) { onAction(id, action); });
  if (!service) {
    log().error("No session bus: %{public}@", service.error().message());
    return 1;
  }
  service_ = std::move(*service);
  if (!options_.busName.empty()) {
    auto claimed = service_->claimName(options_.busName);
    if (!claimed) {
      log().error("Cannot take the name %{public}@: %{public}@", options_.busName, claimed.error().message());
      return 1;
    }
    if (!*claimed) {
      log().notice("Another zarvo-reminders serves this home already");
      return 0;
    }
  }
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGINT);
  sigaddset(&mask, SIGTERM);
  sigprocmask(SIG_BLOCK, &mask, nullptr);
  signalFd_ = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
  timerFd_ = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
  changeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (signalFd_ < 0 || timerFd_ < 0 || changeFd_ < 0) {
    log().error("Cannot set up the daemon's descriptors: errno %{public}@", std::to_string(errno));
    return 1;
  }
  // The watcher says which task files changed, so a round reads only those. Its wait for a burst
  // to end is short: a round costs what the burst touched, and a change should show at once.
  const int changeFd = changeFd_;
  auto watcher = reminders::makeInotifyChangeWatcher(
      options_.home / "reminders", std::chrono::milliseconds(30), [this, changeFd](reminders::TreeChanges heard) {
        {
          std::lock_guard lock(changesMutex_);
          changes_.everything = changes_.everything || heard.everything;
          changes_.files.insert(changes_.files.end(), heard.files.begin(), heard.files.end());
        }
        const uint64_t one = 1;
        (void)!::write(changeFd, &one, sizeof one);
      });
  reschedule();
  for (;;) {
    pollfd fds[4] = {{timerFd_, POLLIN, 0}, {changeFd_, POLLIN, 0}, {signalFd_, POLLIN, 0},
                     {service_->fd(), service_->events(), 0}};
    int timeoutMs = -1;
    if (auto until = service_->timeoutMicroseconds()) {
      timespec ts{};
      clock_gettime(CLOCK_MONOTONIC, &ts);
      const uint64_t nowUs = static_cast<uint64_t>(ts.tv_sec) * 1'000'000 + static_cast<uint64_t>(ts.tv_nsec) / 1000;
      timeoutMs = *until <= nowUs ? 0 : static_cast<int>(std::min<uint64_t>((*until - nowUs + 999) / 1000, 60'000));
    }
    if (::poll(fds, 4, timeoutMs) < 0 && errno != EINTR) {
      log().error("poll failed: errno %{public}@", std::to_string(errno));
      return 1;
    }
    if (fds[2].revents & POLLIN) {
      log().info("Stopping");
      return 0;
    }
    if (Error e = service_->process(); !e.ok()) {
      log().error("The session bus is gone: %{public}@", e.message());
      return 1;
    }
    bool wake = false;
    if (fds[0].revents & POLLIN) {
      uint64_t expirations = 0;
      // ECANCELED: the clock was set (or the zone a date without a zone counts in may have moved
      // with it); the moments of every alarm are weighed again from the files.
      if (::read(timerFd_, &expirations, sizeof expirations) < 0 && errno == ECANCELED) {
        rounds_.filesChanged({.files = {}, .everything = true});
      }
      wake = true;
    }
    if (fds[1].revents & POLLIN) {
      uint64_t count = 0;
      (void)!::read(changeFd_, &count, sizeof count);
      reminders::TreeChanges heard;
      {
        std::lock_guard lock(changesMutex_);
        heard = std::exchange(changes_, {});
      }
      rounds_.filesChanged(heard);
      // A burst of writers' temporary files only changes nothing.
      wake = wake || heard.everything || !heard.files.empty();
    }
    if (wake) reschedule();
  }
}

void Daemon::armTimer() {
  // With nothing pending the timer still runs (a year ahead) so that a clock change cancels it and
  // wakes the loop. The timer runs on the system's clock: a moment of the library's clock (which
  // tests may set apart from it) is moved by the difference.
  const Date now = platform::Clock::currentNow();
  const Date at = wakeAt_.value_or(now + std::chrono::hours(24 * 365)) -
                  std::chrono::duration_cast<Date::duration>(now - std::chrono::system_clock::now());
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
  itimerspec deadline{};
  deadline.it_value.tv_sec = ns / 1'000'000'000;
  deadline.it_value.tv_nsec = ns % 1'000'000'000;
  if (deadline.it_value.tv_sec == 0 && deadline.it_value.tv_nsec == 0) deadline.it_value.tv_nsec = 1;  // 0 disarms
  if (timerfd_settime(timerFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &deadline, nullptr) < 0) {
    log().error("Cannot set the alarm timer: errno %{public}@", std::to_string(errno));
  }
}

void Daemon::reschedule() {
  const Date retry = platform::Clock::currentNow() + options_.retryAfter;
  wakeAt_.reset();
  {
    // Read without the home's records or lock: only the open tasks that can ring, and nothing else
    // of them, stays in memory while the daemon sleeps.
    bool showFailed = false;
    std::vector<alarms::Firing> shownNow;
    auto round = rounds_.ring(platform::Clock::currentNow(), [&](const alarms::Firing& f) {
      std::vector<NotificationService::Action> actions{{"done", "Done"}};
      if (f.alarmIndex) {
        for (const std::string& choice : options_.snooze) actions.push_back({"snooze:" + choice, alarms::snoozeLabel(choice)});
      }
      if (options_.desktop) actions.push_back({"open", "Open"});
      auto id = service_->notify(f.title, bodyOf(f), actions);
      if (!id) {
        log().error("Cannot show a notification: %{public}@", id.error().message());
        showFailed = true;
        return false;
      }
      log().info("Rang %{public}@", f.key);
      shownNow.push_back(f);
      shown_[*id] = f;
      return true;
    });
    if (!round) {
      // Ringing without knowing what rang could ring twice; wait until the files read again.
      log().error("%{public}@", round.error().message());
      wakeAt_ = retry;
      armTimer();
      return;
    }
    wakeAt_ = round->nextWakeUp;
    if (showFailed && (!wakeAt_ || retry < *wakeAt_)) wakeAt_ = retry;
    // The state file first: it is what keeps an alarm from ringing twice when the task file cannot
    // be written (a read-only home, a held lock, a full disk).
    if (!round->recorded.ok()) log().error("Cannot record what has rung: %{public}@", round->recorded.message());
    acknowledge(shownNow);
  }
  // The tasks are read: hand the memory their files took back to the system, so that a sleeping
  // daemon holds little more than its schedule.
  malloc_trim(0);
  armTimer();
}

void Daemon::onAction(uint32_t id, const std::string& action) {
  auto it = shown_.find(id);
  if (it == shown_.end()) return;  // another program's notification, or one of an earlier run
  if (action == "open") {
    // The notification may stay on screen after Open: Done and Snooze still answer it.
    open(it->second);
    return;
  }
  alarms::Firing firing = std::move(it->second);
  shown_.erase(it);
  if (action == "done") {
    complete(firing);
  } else if (action.rfind("snooze:", 0) == 0) {
    snooze(firing, action.substr(7));
  }
}

bool Daemon::runSelf(const std::vector<std::string>& arguments, const std::string& what) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) {
    log().error("Cannot find this program to %{public}@: %{public}@", what, ec.message());
    return false;
  }
  std::vector<std::string> args{"--home", options_.home.string()};
  args.insert(args.end(), arguments.begin(), arguments.end());
  const platform::ProcessResult done = platform::runProcess(
      self.string(), args, {}, [](std::string_view line) { log().info("%{public}@", std::string(line)); });
  if (!done.succeeded()) log().error("Cannot %{public}@", what);
  return done.succeeded();
}

void Daemon::acknowledge(const std::vector<alarms::Firing>& shown) {
  // Written into the task files, so that a restart, or another machine syncing the same lists,
  // never shows them again. Reminders at a due time have no alarm to mark: the state file keeps them.
  std::vector<std::string> args{"--acknowledge", secondsOf(platform::Clock::currentNow())};
  for (const alarms::Firing& f : shown) {
    if (!f.alarmIndex) continue;
    args.insert(args.end(), {f.taskUid, std::to_string(*f.alarmIndex), secondsOf(f.at)});
  }
  if (args.size() > 2) runSelf(args, "acknowledge the alarms shown");
}

void Daemon::snooze(const alarms::Firing& firing, const std::string& choice) {
  const Date now = platform::Clock::currentNow();
  const std::optional<Date> until = alarms::snoozeUntil(choice, now);
  if (!until || !firing.alarmIndex) return;
  runSelf({"--snooze", secondsOf(now), secondsOf(*until), firing.taskUid, std::to_string(*firing.alarmIndex),
           secondsOf(firing.at)},
          "snooze " + firing.taskUid);
}

void Daemon::open(const alarms::Firing& firing) {
  // The desktop app opens on the home with the task selected and its details open. It outlives this
  // daemon and is not its child (a grandchild, in a session of its own), so nothing waits for it.
  const std::string program = options_.desktop->string();
  const std::string home = options_.home.string();
  sigset_t none;
  sigemptyset(&none);
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    if (::fork() == 0) {
      // The daemon blocks SIGINT and SIGTERM for its signalfd; the app must not inherit that.
      sigprocmask(SIG_SETMASK, &none, nullptr);
      ::execl(program.c_str(), program.c_str(), "--home", home.c_str(), "--show", firing.taskUid.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::_exit(0);
  }
  if (child < 0) {
    log().error("Cannot start %{public}@: errno %{public}@", program, std::to_string(errno));
    return;
  }
  ::waitpid(child, nullptr, 0);
  log().info("Opened %{public}@ for %{public}@", program, firing.taskUid);
}

void Daemon::complete(const alarms::Firing& firing) {
  runSelf({"--complete", firing.taskUid, firing.title}, "complete " + firing.taskUid);
}

namespace {

// How the daemon's writes reach a home: opened to write (its lock held alone, as for every write) but
// never made (a daemon started on a mistyped path must not leave a home there), its open tasks read,
// then `change` on them, which saves through the home: the same path as every other write, with its
// conflict checks and its read-back of the file. `keepHistory` false leaves the history out: undo must
// take back what the person did, not that the daemon showed an alarm. 0, or 1 with the reason logged
// (`what` names the work) when the home or the store refused.
int changeOpenTasks(const std::filesystem::path& homePath, const std::shared_ptr<platform::FileSystem>& fileSystem,
                    bool keepHistory, const std::string& what,
                    const std::function<void(Home&, std::vector<std::shared_ptr<Task>>&)>& change) {
  HomeOptions ho;
  ho.fileSystem = fileSystem;
  ho.createIfMissing = false;
  ho.access = HomeAccess::write;
  ho.keepHistory = keepHistory;
  auto home = Home::open(homePath, ho);
  if (!home) {
    log().error("Cannot open the home to %{public}@: %{public}@", what, home.error().message());
    return 1;
  }
  try {
    auto tasks = (*home)->fetchTasks(std::nullopt, false);
    if (!tasks) {
      log().error("Cannot read the tasks to %{public}@: %{public}@", what, tasks.error().message());
      return 1;
    }
    change(**home, *tasks);
    return 0;
  } catch (const StoreError& e) {
    log().error("Cannot %{public}@: %{public}@", what, std::string(e.what()));
    return 1;
  }
}

std::shared_ptr<Task> withUid(const std::vector<std::shared_ptr<Task>>& tasks, const std::string& uid) {
  for (const auto& task : tasks) {
    if (task->reminder() && task->reminder()->calendarItemExternalIdentifier() == uid) return task;
  }
  return nullptr;
}

}  // namespace

int completeTask(const std::filesystem::path& homePath, const std::shared_ptr<platform::FileSystem>& fileSystem,
                 const std::string& uid, const std::string& title) {
  return changeOpenTasks(homePath, fileSystem, true, "complete " + uid, [&](Home& home, std::vector<std::shared_ptr<Task>>& tasks) {
    const auto task = withUid(tasks, uid);
    if (!task) {
      log().notice("Task %{public}@ is gone or done already", uid);
      return;
    }
    // The same write as the command line's `done`: a recurring task moves to its next occurrence.
    task->setIsCompleted(true);
    home.io().save(task, true);
    home.save("done '" + title + "'");
    log().info("Completed %{public}@", uid);
  });
}

namespace {

// Finds each alarm that still rings as it did, lets `change` mark it in the task's reminder and saves
// the tasks. With a `description` the change is one of the history (a snooze the person chose);
// without, the history is left out.
int changeAlarms(const std::filesystem::path& homePath, const std::shared_ptr<platform::FileSystem>& fileSystem,
                 const std::vector<RungAlarm>& rung, const std::function<bool(reminders::Reminder&, size_t index)>& change,
                 std::optional<std::string> description) {
  return changeOpenTasks(homePath, fileSystem, description.has_value(), "mark alarms",
                         [&](Home& home, std::vector<std::shared_ptr<Task>>& tasks) {
    // Only the alarms change: the record's fields (flag, order, tags) would otherwise be written into
    // files that other clients made without them.
    home.io().setCarriesRecordFields(false);
    for (const RungAlarm& alarm : rung) {
      const auto task = withUid(tasks, alarm.taskUid);
      std::optional<alarms::TaskAlarms> found = task ? alarms::taskAlarmsOf(*task) : std::nullopt;
      std::optional<Date> at;
      if (found && alarm.index < found->alarms.size()) at = alarms::triggerMoment(found->alarms[alarm.index], *found);
      if (!at || std::chrono::floor<std::chrono::seconds>(*at) != std::chrono::floor<std::chrono::seconds>(alarm.at)) {
        log().notice("The alarm of %{public}@ moved or is gone: left as it is", alarm.taskUid);
        continue;
      }
      if (!change(*task->reminder(), alarm.index)) continue;
      home.io().save(task, true);
      if (description) *description += " '" + task->title().value_or("") + "'";
      log().info("Marked the alarm of %{public}@", alarm.taskUid);
    }
    home.save(description.value_or(""));
  });
}

}  // namespace

int acknowledgeAlarms(const std::filesystem::path& homePath, const std::shared_ptr<platform::FileSystem>& fileSystem,
                      Date now, const std::vector<RungAlarm>& alarms) {
  return changeAlarms(homePath, fileSystem, alarms,
                      [now](reminders::Reminder& r, size_t index) { return alarms::acknowledgeAlarm(r, index, now); },
                      std::nullopt);
}

int snoozeAlarm(const std::filesystem::path& homePath, const std::shared_ptr<platform::FileSystem>& fileSystem,
                const RungAlarm& alarm, Date now, Date until) {
  return changeAlarms(homePath, fileSystem, {alarm}, [now, until](reminders::Reminder& r, size_t index) {
    return alarms::snoozeAlarm(r, index, now, until);
  }, "snooze");
}

}  // namespace zarvo::remindersd
