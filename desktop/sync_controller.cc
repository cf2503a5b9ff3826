#include "desktop/sync_controller.h"

#include <QPointer>

#include "zarvo/home/home_sync.h"
#include "zarvo/platform/dispatch.h"

namespace zarvo::desktop {

namespace {

template <class Deliver>
void toUi(SyncController* controller, Deliver deliver) {
  platform::MainQueue::async([self = QPointer<SyncController>(controller), deliver = std::move(deliver)]() mutable {
    if (self) deliver(*self);
  });
}

}  // namespace

QString syncLine(const caldav::ListSummary& list) {
  const QString title = QString::fromStdString(list.title);
  const auto& c = list.changes;
  if (c.failed) return SyncController::tr("%1: failed").arg(title);
  constexpr int here = int(caldav::Side::local), server = int(caldav::Side::server);
  QStringList parts;
  auto add = [&](int n, const QString& text) {
    if (n > 0) parts << text;
  };
  add(c.added[here], SyncController::tr("%n added here", nullptr, c.added[here]));
  add(c.updated[here], SyncController::tr("%n updated here", nullptr, c.updated[here]));
  add(c.deleted[here], SyncController::tr("%n deleted here", nullptr, c.deleted[here]));
  add(c.added[server], SyncController::tr("%n added on the server", nullptr, c.added[server]));
  add(c.updated[server], SyncController::tr("%n updated on the server", nullptr, c.updated[server]));
  add(c.deleted[server], SyncController::tr("%n deleted on the server", nullptr, c.deleted[server]));
  add(int(c.conflicts.size()), SyncController::tr("%n conflict(s)", nullptr, int(c.conflicts.size())));
  if (parts.isEmpty()) return SyncController::tr("%1: up to date").arg(title);
  return title + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

SyncController::SyncController(Options options, QObject* parent) : QObject(parent), options_(std::move(options)) {
  interval_.setSingleShot(true);
  connect(&interval_, &QTimer::timeout, this, &SyncController::sync);
  if (options_.interval.count() > 0) {
    interval_.setInterval(options_.interval);
    interval_.start();
  }
}

SyncController::~SyncController() {
  worker_.request_stop();
  if (worker_.joinable()) worker_.join();
}

void SyncController::sync() {
  if (running_) return;
  running_ = true;
  interval_.stop();
  if (worker_.joinable()) worker_.join();  // the last one has ended: it cleared running_
  Q_EMIT started();
  worker_ = std::jthread([this](std::stop_token stop) {
    SyncHomeAt home(options_.home, options_.homeOptions);
    caldav::SyncService service(home, options_.service);
    caldav::SyncProgress progress;
    progress.listSynced = [this](const caldav::ListSummary& list) {
      toUi(this, [line = syncLine(list)](SyncController& self) { Q_EMIT self.listSynced(line); });
    };
    const caldav::SyncResult result = service.sync({}, progress, stop);
    QString failure;
    if (!result.status.ok()) failure = QString::fromStdString(result.status.message());
    toUi(this, [failure](SyncController& self) {
      self.running_ = false;
      if (self.options_.interval.count() > 0) self.interval_.start();
      Q_EMIT self.finished(failure);
    });
  });
}

}  // namespace zarvo::desktop
