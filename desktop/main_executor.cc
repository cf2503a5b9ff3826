#include "desktop/main_executor.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <memory>

namespace zarvo::desktop {

void QtMainExecutor::post(platform::DispatchQueue::Work work) {
  // A queued invocation never runs before this returns, even when posted from the UI thread.
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

bool QtMainExecutor::isMainThread() const {
  return QThread::currentThread() == QCoreApplication::instance()->thread();
}

MainQueueOnQt::MainQueueOnQt() { platform::MainQueue::install(std::make_shared<QtMainExecutor>()); }

MainQueueOnQt::~MainQueueOnQt() { platform::MainQueue::install(nullptr); }

}  // namespace zarvo::desktop
