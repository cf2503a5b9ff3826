// The errors a command raises. main prints the message on one line of stderr and exits with:
//   2 (kExitUsage)    UsageError: bad input — an unknown option, id or list, a malformed value;
//   1 (kExitRefused)  RefusedError, reminders::StoreError, store::StoreError: the home or a store
//                     refused the operation (unreadable home, a file changed meanwhile, a full disk).
// Commands check their input before they change anything, so a usage error leaves the home as it was.
#pragma once

#include <stdexcept>
#include <string>

namespace zarvo::app {

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

class RefusedError : public std::runtime_error {
 public:
  explicit RefusedError(const std::string& message) : std::runtime_error(message) {}
};

inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

}  // namespace zarvo::app
