// The error a command raises for bad input: main prints its message on one line of stderr and exits
// with status 2.
#pragma once

#include <stdexcept>
#include <string>

namespace zarvo::app {

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

inline constexpr int kExitUsage = 2;

}  // namespace zarvo::app
