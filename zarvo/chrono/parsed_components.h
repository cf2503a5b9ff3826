// The date a phrase names, as two maps from unit to value: what the phrase states (known) and what
// was filled in from the reference date and the engine defaults (implied).
//
// A plain value: copies are independent and may be used from any thread. `moment` and
// `isPossibleDate` read the process's current calendar and time zone at the moment of the call.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

#include "zarvo/chrono/units.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

// A map from ComponentUnit to a 64-bit value, iterated in declaration order. Stored as the values
// and a bit per unit that has one (absent units hold 0), so a result stays small: long texts make
// thousands of results, and refiners copy them.
class ComponentMap {
 public:
  ComponentMap() = default;
  ComponentMap(std::initializer_list<std::pair<ComponentUnit, int64_t>> values) {
    for (const auto& [unit, value] : values) set(unit, value);
  }

  std::optional<int64_t> get(ComponentUnit unit) const {
    return contains(unit) ? std::optional<int64_t>(values_[index(unit)]) : std::nullopt;
  }
  bool contains(ComponentUnit unit) const { return (present_ & bit(unit)) != 0; }
  void set(ComponentUnit unit, int64_t value) {
    values_[index(unit)] = value;
    present_ |= bit(unit);
  }
  void erase(ComponentUnit unit) {
    values_[index(unit)] = 0;
    present_ &= ~bit(unit);
  }
  bool empty() const { return present_ == 0; }
  size_t size() const;

  // Calls f(unit, value) for every present unit, in declaration order.
  template <typename F>
  void forEach(F&& f) const {
    for (size_t i = 0; i < kComponentUnitCount; ++i) {
      if ((present_ >> i) & 1u) f(static_cast<ComponentUnit>(i), values_[i]);
    }
  }

  friend bool operator==(const ComponentMap&, const ComponentMap&) = default;

 private:
  static_assert(kComponentUnitCount <= 32, "one presence bit per unit");
  static size_t index(ComponentUnit unit) { return static_cast<size_t>(unit); }
  static uint32_t bit(ComponentUnit unit) { return uint32_t{1} << index(unit); }
  std::array<int64_t, kComponentUnitCount> values_{};
  uint32_t present_ = 0;
};

class ParsedComponents {
 public:
  // `components` become the known values. With a `ref`, its day, month and year (current calendar and
  // zone) are implied where not known; then hour, minute, second and millisecond are implied from the
  // engine's default implied time (Chrono::defaultImpliedHour() ...) where not known.
  explicit ParsedComponents(std::optional<ComponentMap> components = std::nullopt,
                            std::optional<Date> ref = std::nullopt);

  const ComponentMap& knownValues() const { return known_; }
  const ComponentMap& impliedValues() const { return implied_; }
  // Direct writes; they do not keep the known/implied invariant the operations below keep.
  void setKnownValues(ComponentMap values) { known_ = std::move(values); }
  void setImpliedValues(ComponentMap values) { implied_ = std::move(values); }

  // Sets the implied value of `unit` unless `value` is absent or the unit is known.
  void imply(ComponentUnit unit, std::optional<int64_t> value);
  // Makes `value` the known value of `unit` and drops its implied value; an absent value does nothing.
  void assign(ComponentUnit unit, std::optional<int64_t> value);

  // The known value, else the implied value, else nothing.
  std::optional<int64_t> operator[](ComponentUnit unit) const;
  std::optional<int64_t> get(ComponentUnit unit) const { return (*this)[unit]; }

  bool isCertain(ComponentUnit component) const { return known_.contains(component); }

  ParsedComponents clone() const { return *this; }

  // The instant the components describe in the current calendar and zone. Out-of-range fields carry
  // over (30 February -> early March). A known timeZoneOffset places the wall-clock time in that
  // offset instead of the local zone; an implied one is ignored.
  Date moment() const;
  Date date() const { return moment(); }

  // True when year, month, day, hour and minute all have values and survive the round trip through
  // `moment` (read back in UTC shifted by a known offset, else in the current zone). Seconds and
  // milliseconds are not compared.
  bool isPossibleDate() const;

  friend bool operator==(const ParsedComponents&, const ParsedComponents&) = default;

 private:
  ComponentMap known_;
  ComponentMap implied_;
};

}  // namespace zarvo::chrono
