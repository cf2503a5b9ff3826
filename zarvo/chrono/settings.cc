#include "zarvo/chrono/settings.h"

#include <atomic>

namespace zarvo::chrono {

namespace {
std::atomic<int64_t> gImpliedHour{12};
std::atomic<int64_t> gImpliedMinute{0};
std::atomic<int64_t> gImpliedSecond{0};
std::atomic<int64_t> gImpliedMillisecond{0};
std::atomic<bool> gSixMinutesFix{false};
// -1 stands for "absent"; otherwise the Language's ordinal.
std::atomic<int> gPreferredLanguage{-1};
std::atomic<bool> gPrefilter{true};
}  // namespace

int64_t ChronoSettings::defaultImpliedHour() { return gImpliedHour.load(std::memory_order_relaxed); }
void ChronoSettings::setDefaultImpliedHour(int64_t v) { gImpliedHour.store(v, std::memory_order_relaxed); }
int64_t ChronoSettings::defaultImpliedMinute() { return gImpliedMinute.load(std::memory_order_relaxed); }
void ChronoSettings::setDefaultImpliedMinute(int64_t v) { gImpliedMinute.store(v, std::memory_order_relaxed); }
int64_t ChronoSettings::defaultImpliedSecond() { return gImpliedSecond.load(std::memory_order_relaxed); }
void ChronoSettings::setDefaultImpliedSecond(int64_t v) { gImpliedSecond.store(v, std::memory_order_relaxed); }
int64_t ChronoSettings::defaultImpliedMillisecond() { return gImpliedMillisecond.load(std::memory_order_relaxed); }
void ChronoSettings::setDefaultImpliedMillisecond(int64_t v) {
  gImpliedMillisecond.store(v, std::memory_order_relaxed);
}

bool ChronoSettings::sixMinutesFixBefore1900() { return gSixMinutesFix.load(std::memory_order_relaxed); }
void ChronoSettings::setSixMinutesFixBefore1900(bool on) { gSixMinutesFix.store(on, std::memory_order_relaxed); }

std::optional<Language> ChronoSettings::preferredLanguage() {
  const int v = gPreferredLanguage.load(std::memory_order_relaxed);
  if (v < 0) return std::nullopt;
  return static_cast<Language>(v);
}

void ChronoSettings::setPreferredLanguage(std::optional<Language> language) {
  gPreferredLanguage.store(language ? static_cast<int>(*language) : -1, std::memory_order_relaxed);
}

bool ChronoSettings::prefilterEnabled() { return gPrefilter.load(std::memory_order_relaxed); }
void ChronoSettings::setPrefilterEnabled(bool on) { gPrefilter.store(on, std::memory_order_relaxed); }

}  // namespace zarvo::chrono
