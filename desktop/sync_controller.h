// SyncController: the home's CalDAV sync (the library's caldav::SyncService, through vdirsyncer) for
// the window, on a thread of its own.
//
// A sync may wait on the network for minutes; it never runs on the UI thread, and it takes the home's
// lock only for its short local steps (home_sync.h), so the store's reads and writes go on meanwhile.
// One sync at a time: asking while one runs does nothing. With an interval, a sync also starts that
// long after the last one ended.
//
// What it says, on the UI thread: each list as vdirsyncer finishes it (listSynced: "Work: 2 added
// here"), then finished, with the failure's message (vdirsyncer missing, the password refused, the
// server unreachable: the library's one-line messages) or empty for success.
//
// Threads: construct, call and destroy on the UI thread; signals arrive there. Destroying it stops a
// running sync (vdirsyncer is ended; what was synced so far is kept) and waits for it.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "zarvo/home/home.h"
#include "zarvo/sync/sync_service.h"

namespace zarvo::desktop {

class SyncController : public QObject {
  Q_OBJECT

 public:
  struct Options {
    std::filesystem::path home;
    HomeOptions homeOptions{};
    caldav::SyncServiceOptions service{};
    // Time from the end of one sync to the start of the next; zero: only when asked.
    std::chrono::milliseconds interval{0};
  };

  explicit SyncController(Options options, QObject* parent = nullptr);
  ~SyncController() override;

  // Starts a sync of every account, unless one is running.
  void sync();
  bool running() const { return running_; }
  const Options& options() const { return options_; }

 Q_SIGNALS:
  void started();
  // One list done: its title and what changed, as one line.
  void listSynced(const QString& line);
  // The sync ended: `failure` is empty when it succeeded, else one line for a person.
  void finished(const QString& failure);

 private:
  Options options_;
  bool running_ = false;  // set and cleared on the UI thread
  std::jthread worker_;
  QTimer interval_;
};

// What changed in one list, as one line ("Work: 2 added here, 1 updated on the server").
QString syncLine(const caldav::ListSummary& list);

}  // namespace zarvo::desktop
