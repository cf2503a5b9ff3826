#include "reminders-daemon/daemon.h"

#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "zarvo/alarms/notified_state.h"
#include "zarvo/alarms/open_task_alarms.h"
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

}  // namespace

Daemon::Daemon(DaemonOptions options) : options_(std::move(options)) {}

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
  const int changeFd = changeFd_;
  auto watcher = reminders::makeInotifyWatcher(options_.home / "reminders", std::chrono::milliseconds(200), [changeFd] {
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
      // ECANCELED: the clock was set; the moments of every alarm must be weighed again.
      (void)!::read(timerFd_, &expirations, sizeof expirations);
      wake = true;
    }
    if (fds[1].revents & POLLIN) {
      uint64_t count = 0;
      (void)!::read(changeFd_, &count, sizeof count);
      wake = true;
    }
    if (wake) reschedule();
  }
}

void Daemon::armTimer() {
  // With nothing pending the timer still runs (a year ahead) so that a clock change cancels it and
  // wakes the loop.
  const Date at = wakeAt_.value_or(platform::Clock::currentNow() + std::chrono::hours(24 * 365));
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
    alarms::OpenTaskAlarmsOptions read;
    read.withDueTimes = options_.schedule.remindAtDueTime;
    read.fileCache = options_.home / "reminders.cache";
    auto all = alarms::readOpenTaskAlarms(options_.home / "reminders", read);
    if (!all) {
      log().error("Cannot read the tasks: %{public}@", all.error().message());
      wakeAt_ = retry;
      armTimer();
      return;
    }
    auto loaded = alarms::NotifiedState::load(platform::FileSystem::posix(),
                                              options_.home / std::string(alarms::NotifiedState::kFileName));
    if (!loaded) {
      // Ringing without knowing what rang could ring twice; wait until the file reads again.
      log().error("Cannot read what has rung: %{public}@", loaded.error().message());
      wakeAt_ = retry;
      armTimer();
      return;
    }
    alarms::NotifiedState state = std::move(*loaded);
    alarms::Schedule s = alarms::schedule(*all, platform::Clock::currentNow(), state, options_.schedule);
    wakeAt_ = s.nextWakeUp;
    for (alarms::Firing& f : s.ringing) {
      auto id = service_->notify(f.title, bodyOf(f), {{"done", "Done"}});
      if (!id) {
        log().error("Cannot show a notification: %{public}@", id.error().message());
        if (!wakeAt_ || retry < *wakeAt_) wakeAt_ = retry;
        break;
      }
      log().info("Rang %{public}@", f.key);
      state.add(f.key);
      shown_[*id] = std::move(f);
    }
    state.retainOnly(s.liveKeys);
    if (Error e = state.save(); !e.ok()) log().error("Cannot record what has rung: %{public}@", e.message());
  }
  // The tasks are read: hand the memory their files took back to the system, so that a sleeping
  // daemon holds little more than its schedule.
  malloc_trim(0);
  armTimer();
}

void Daemon::onAction(uint32_t id, const std::string& action) {
  auto it = shown_.find(id);
  if (it == shown_.end()) return;  // another program's notification, or one of an earlier run
  alarms::Firing firing = std::move(it->second);
  shown_.erase(it);
  if (action == "done") complete(firing);
}

void Daemon::complete(const alarms::Firing& firing) {
  // In a process of its own: opening the home to write mirrors every task into this process's
  // reminders store for good, which would keep tens of megabytes of a sleeping daemon for one Done.
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) {
    log().error("Cannot find this program to complete %{public}@: %{public}@", firing.taskUid, ec.message());
    return;
  }
  const platform::ProcessResult done = platform::runProcess(
      self.string(), {"--home", options_.home.string(), "--complete", firing.taskUid, firing.title}, {},
      [](std::string_view line) { log().info("%{public}@", std::string(line)); });
  if (!done.succeeded()) log().error("Completing %{public}@ failed", firing.taskUid);
}

int completeTask(const std::filesystem::path& homePath, const std::string& uid, const std::string& title) {
  HomeOptions ho;
  ho.createIfMissing = false;
  auto home = Home::open(homePath, ho);
  if (!home) {
    log().error("Cannot open the home to complete a task: %{public}@", home.error().message());
    return 1;
  }
  try {
    auto tasks = (*home)->fetchTasks(std::nullopt, false);
    if (!tasks) {
      log().error("Cannot read the tasks: %{public}@", tasks.error().message());
      return 1;
    }
    for (const auto& task : *tasks) {
      auto reminder = task->reminder();
      if (!reminder || reminder->calendarItemExternalIdentifier() != uid) continue;
      // The same write as the command line's `done`: a recurring task moves to its next occurrence.
      task->setIsCompleted(true);
      (*home)->io().save(task, true);
      (*home)->save("done '" + title + "'");
      log().info("Completed %{public}@", uid);
      return 0;
    }
    log().notice("Task %{public}@ is gone or done already", uid);
    return 0;
  } catch (const StoreError& e) {
    log().error("Cannot complete %{public}@: %{public}@", uid, std::string(e.what()));
    return 1;
  }
}

}  // namespace zarvo::remindersd
