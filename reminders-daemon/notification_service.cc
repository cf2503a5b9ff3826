#include "reminders-daemon/notification_service.h"

#include <systemd/sd-bus.h>

#include <cerrno>

namespace zarvo::remindersd {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";

Error busError(int r, const sd_bus_error* e = nullptr) {
  std::string text = (e != nullptr && e->message != nullptr) ? e->message : std::string();
  Error err = Error::fromErrno(-r);
  return text.empty() ? err : Error(err, text);
}

}  // namespace

Expected<std::unique_ptr<NotificationService>> NotificationService::connect(ActionHandler onAction) {
  std::unique_ptr<NotificationService> s(new NotificationService());
  s->onAction_ = std::move(onAction);
  if (int r = sd_bus_open_user(&s->bus_); r < 0) return busError(r);
  auto handler = [](sd_bus_message* m, void* user, sd_bus_error*) -> int {
    auto* self = static_cast<NotificationService*>(user);
    uint32_t id = 0;
    const char* action = nullptr;
    if (sd_bus_message_read(m, "us", &id, &action) >= 0 && action != nullptr && self->onAction_) {
      self->onAction_(id, action);
    }
    return 0;
  };
  // Any sender: the service that owns the name may change (a restart of the desktop shell).
  if (int r = sd_bus_match_signal(s->bus_, &s->match_, nullptr, kPath, kService, "ActionInvoked", handler, s.get());
      r < 0) {
    return busError(r);
  }
  return s;
}

NotificationService::~NotificationService() {
  sd_bus_slot_unref(match_);
  sd_bus_flush_close_unref(bus_);
}

Expected<uint32_t> NotificationService::notify(const std::string& summary, const std::string& body,
                                               const std::vector<Action>& actions) {
  sd_bus_message* call = nullptr;
  sd_bus_message* reply = nullptr;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  auto done = [&](Expected<uint32_t> result) {
    sd_bus_message_unref(call);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return result;
  };
  int r = sd_bus_message_new_method_call(bus_, &call, kService, kPath, kService, "Notify");
  if (r >= 0) r = sd_bus_message_append(call, "susss", "zarvo", 0u, "", summary.c_str(), body.c_str());
  if (r >= 0) r = sd_bus_message_open_container(call, 'a', "s");
  for (const Action& a : actions) {
    if (r >= 0) r = sd_bus_message_append(call, "ss", a.key.c_str(), a.label.c_str());
  }
  if (r >= 0) r = sd_bus_message_close_container(call);
  // No hints; the service's default expiry.
  if (r >= 0) r = sd_bus_message_append(call, "a{sv}i", 0, -1);
  if (r < 0) return done(busError(r));
  // A service that does not answer within 5 s is treated as absent; the daemon tries again later.
  r = sd_bus_call(bus_, call, 5'000'000, &error, &reply);
  if (r < 0) return done(busError(r, &error));
  uint32_t id = 0;
  r = sd_bus_message_read(reply, "u", &id);
  if (r < 0) return done(busError(r));
  return done(id);
}

Expected<bool> NotificationService::claimName(const std::string& name) {
  const int r = sd_bus_request_name(bus_, name.c_str(), 0);
  if (r == -EEXIST || r == -EALREADY) return r == -EALREADY;
  if (r < 0) return busError(r);
  return true;
}

int NotificationService::fd() const { return sd_bus_get_fd(bus_); }

short NotificationService::events() const {
  int e = sd_bus_get_events(bus_);
  return static_cast<short>(e < 0 ? 0 : e);
}

std::optional<uint64_t> NotificationService::timeoutMicroseconds() const {
  uint64_t usec = 0;
  if (sd_bus_get_timeout(bus_, &usec) < 0 || usec == UINT64_MAX) return std::nullopt;
  return usec;
}

Error NotificationService::process() {
  for (;;) {
    int r = sd_bus_process(bus_, nullptr);
    if (r < 0) return busError(r);
    if (r == 0) return {};
  }
}

}  // namespace zarvo::remindersd
