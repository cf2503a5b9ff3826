// The one error type of the reminders store.
#pragma once

#include <stdexcept>
#include <string>

#include "zarvo/platform/error.h"

namespace zarvo::reminders {

enum class StoreErrorCode {
  notFound,   // the calendar, reminder or file is gone
  conflict,   // the file changed on disk since it was read; nothing was written
  readOnly,   // the calendar's folder (or the store) cannot be written
  io,         // the file system failed (disk full, a failed write, rename or sync)
  invalid,    // the record cannot be stored as it is (no calendar, priority outside 0...9, bad zone)
};

// Thrown by every store operation that fails. what() names the file or calendar concerned.
class StoreError : public ::zarvo::StoreError {
 public:
  StoreError(StoreErrorCode code, const std::string& message)
      : ::zarvo::StoreError(message), code_(code) {}
  const char* domain() const noexcept override { return "reminders"; }
  StoreErrorCode code() const { return code_; }
  // The human-readable description (the same text as what()).
  std::string localizedDescription() const { return what(); }

 private:
  StoreErrorCode code_;
};

}  // namespace zarvo::reminders
