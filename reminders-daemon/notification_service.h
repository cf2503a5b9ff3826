// The desktop's notification service (org.freedesktop.Notifications on the session bus), through
// sd-bus: shows a notification with actions and hears which action the user took. One thread: the
// daemon's loop, which polls fd() and calls process() when it is readable.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zarvo/platform/error.h"

struct sd_bus;
struct sd_bus_slot;

namespace zarvo::remindersd {

class NotificationService {
 public:
  // Called with the notification's id and the action's key ("done", "snooze") when the user picks one.
  using ActionHandler = std::function<void(uint32_t id, const std::string& action)>;

  // Connects to the session bus (DBUS_SESSION_BUS_ADDRESS) and listens for ActionInvoked. Fails
  // when there is no session bus; a bus without a notification service connects (Notify fails).
  static Expected<std::unique_ptr<NotificationService>> connect(ActionHandler onAction);
  ~NotificationService();

  struct Action {
    std::string key;
    std::string label;
  };
  // Shows a notification; its id, or the bus error (no service on the bus, a timeout).
  Expected<uint32_t> notify(const std::string& summary, const std::string& body, const std::vector<Action>& actions);

  // Takes the well-known `name` on the bus for as long as this connection lives: true when taken,
  // false when another connection owns it already (it is never queued for), or the bus error.
  Expected<bool> claimName(const std::string& name);

  // The bus connection's file descriptor, the poll events it waits for, and how long until sd-bus
  // needs process() regardless (none: no limit).
  int fd() const;
  short events() const;
  std::optional<uint64_t> timeoutMicroseconds() const;
  // Handles what has arrived (calling the action handler). Fails when the connection is gone.
  Error process();

 private:
  NotificationService() = default;
  sd_bus* bus_ = nullptr;
  sd_bus_slot* match_ = nullptr;
  ActionHandler onAction_;
};

}  // namespace zarvo::remindersd
