#include "zarvo/reminders/records.h"

#include <algorithm>
#include <cstdio>

#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/internal/ical_file.h"

namespace zarvo::reminders {

std::optional<Color> Color::fromHex(std::string_view text) {
  if (text.empty() || text.front() != '#' || (text.size() != 7 && text.size() != 9)) return std::nullopt;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  uint8_t channels[4] = {0, 0, 0, 255};
  for (size_t i = 0; i * 2 + 1 < text.size(); ++i) {
    int hi = digit(text[1 + i * 2]), lo = digit(text[2 + i * 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    channels[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  return Color{channels[0], channels[1], channels[2], channels[3]};
}

std::string Color::hex() const {
  char buffer[10];
  if (alpha == 255) {
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", red, green, blue);
  } else {
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X%02X", red, green, blue, alpha);
  }
  return buffer;
}

std::shared_ptr<Calendar> Calendar::calendarForEntityType(EntityType type, EventStore&) {
  // The collection folder's name; the source folder is prefixed when the calendar is first saved.
  return std::make_shared<Calendar>(detail::newUid(), type);
}

std::shared_ptr<Alarm> Alarm::alarmWithAbsoluteDate(Date date) {
  auto alarm = std::make_shared<Alarm>();
  alarm->absoluteDate_ = date;
  return alarm;
}

std::shared_ptr<Alarm> Alarm::alarmWithRelativeOffset(std::chrono::seconds offset) {
  auto alarm = std::make_shared<Alarm>();
  alarm->relativeOffset_ = offset;
  return alarm;
}

std::shared_ptr<Alarm> Alarm::acknowledgedCopy(Date at, bool withUid) const {
  auto copy = std::make_shared<Alarm>(*this);
  if (!copy->acknowledged_) copy->acknowledged_ = at;
  if (withUid && !copy->uid_) copy->uid_ = detail::newUid();
  return copy;
}

std::shared_ptr<Alarm> Alarm::snoozeAlarm(Date date, std::string snoozed) {
  auto alarm = alarmWithAbsoluteDate(date);
  alarm->uid_ = detail::newUid();
  alarm->snoozeOf_ = std::move(snoozed);
  return alarm;
}

std::shared_ptr<Reminder> Reminder::reminderWithEventStore(EventStore&) {
  return std::make_shared<Reminder>(detail::newUid());
}

const detail::ReminderValues& Reminder::noValues() {
  static const detail::ReminderValues kNone;
  return kNone;
}

detail::ReminderValues& Reminder::changeable() {
  if (!own_) {
    own_ = std::make_unique<detail::ReminderValues>(*values_);
    values_ = own_.get();
  }
  return *own_;
}

void Reminder::setCompleted(bool completed) {
  detail::ReminderValues& values = changeable();
  values.completed = completed;
  if (!completed) {
    values.completionDate.reset();
  } else if (!values.completionDate) {
    values.completionDate = platform::Clock::currentNow();
  }
}

void Reminder::addAlarm(std::shared_ptr<Alarm> alarm) {
  if (alarm) alarms_.push_back(std::move(alarm));
}

void Reminder::removeAlarm(const std::shared_ptr<Alarm>& alarm) { std::erase(alarms_, alarm); }

void Reminder::replaceAlarm(const std::shared_ptr<Alarm>& alarm, std::shared_ptr<Alarm> replacement) {
  if (!replacement) return;
  if (auto it = std::find(alarms_.begin(), alarms_.end(), alarm); it != alarms_.end()) *it = std::move(replacement);
}

}  // namespace zarvo::reminders

namespace zarvo::reminders {

std::optional<Reminder::FileVersion> Reminder::fileVersion() const {
  if (!origin_ || !origin_->content.available()) return std::nullopt;
  return FileVersion{origin_->path, origin_->content.str()};
}

std::optional<std::filesystem::path> Reminder::filePath() const {
  if (!origin_) return std::nullopt;
  return origin_->path.get();
}

}  // namespace zarvo::reminders
