// The homes a caldav::SyncService works on (zarvo/sync/sync_service.h), for zarvo::Home.
//
// SyncHomeAt opens the home at a path for each update and closes it after, so that the home's lock
// is held only while an update runs and never while vdirsyncer waits on the network: for a program
// that does not keep the home open, such as a command. SyncOpenHome updates through a Home the
// program keeps open (and so locked) anyway.
//
// Threads: as zarvo::Home: an update runs on the thread that calls it, which must be the one that
// may use the Home (for SyncOpenHome).
#pragma once

#include <filesystem>

#include "zarvo/home/home.h"
#include "zarvo/sync/sync_service.h"

namespace zarvo {

class SyncHomeAt : public caldav::SyncHome {
 public:
  // `options` are used for every opening (access is always write).
  explicit SyncHomeAt(std::filesystem::path path, HomeOptions options = {});
  std::filesystem::path path() const override { return path_; }
  Error update(
      const std::function<void(CalendarIO&, const std::vector<std::shared_ptr<Task>>&)>& work) override;

 private:
  std::filesystem::path path_;
  HomeOptions options_;
};

class SyncOpenHome : public caldav::SyncHome {
 public:
  // `home` must be open for writing and outlive this object.
  explicit SyncOpenHome(Home& home) : home_(home) {}
  std::filesystem::path path() const override { return home_.path(); }
  Error update(
      const std::function<void(CalendarIO&, const std::vector<std::shared_ptr<Task>>&)>& work) override;

 private:
  Home& home_;
};

}  // namespace zarvo
