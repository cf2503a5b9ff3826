// The library's main queue on Qt's event loop: announcements ("CalendarIO.Refreshed") and the
// controller's results arrive on the UI thread as ordinary queued events, in the order posted.
#pragma once

#include "zarvo/platform/dispatch.h"

namespace zarvo::desktop {

class QtMainExecutor final : public platform::MainExecutor {
 public:
  // Posts to the QCoreApplication, which must exist for as long as the executor is installed.
  void post(platform::DispatchQueue::Work work) override;
  bool isMainThread() const override;
};

// Installs a QtMainExecutor (call once, on the UI thread, after the QApplication is made and before a
// home is opened), and the drained queue back when the returned guard goes.
class MainQueueOnQt {
 public:
  MainQueueOnQt();
  ~MainQueueOnQt();
  MainQueueOnQt(const MainQueueOnQt&) = delete;
  MainQueueOnQt& operator=(const MainQueueOnQt&) = delete;
};

}  // namespace zarvo::desktop
