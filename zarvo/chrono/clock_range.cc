#include "zarvo/chrono/clock_range.h"

#include <string>

namespace zarvo::chrono {

using U = ComponentUnit;

std::optional<char16_t> markerLetter(std::u16string_view marker) {
  if (marker.empty()) return std::nullopt;
  switch (marker.front()) {
    case u'a':
    case u'A': return u'a';
    case u'p':
    case u'P': return u'p';
    default: return std::nullopt;
  }
}

std::optional<MarkedHour> applyMarker(int64_t hour, char16_t letter) {
  if (hour > 12) return std::nullopt;
  if (letter == u'a') return MarkedHour{hour == 12 ? 0 : hour, 0};
  return MarkedHour{hour == 12 ? 12 : hour + 12, 1};
}

ParsedComponents& openRangeEnd(ParsedResult& result) {
  if (!result.end()) result.setEnd(ParsedComponents(std::nullopt, result.start().moment()));
  return *result.end();
}

bool completeRangeEnd(ParsedResult& result, const RangeEndClock& clock, std::u16string_view endText) {
  ParsedComponents& start = result.start();
  ParsedComponents& end = *result.end();
  int64_t endHour = clock.hour;
  std::optional<int64_t> endMeridiem = clock.meridiem;
  if (!endMeridiem && endHour >= 12) endMeridiem = 1;

  if (clock.marker) {
    if (endHour > 12) return false;
    const char16_t letter = *clock.marker;
    if (letter == u'a') {
      // "10pm - 12am" ends at midnight, which begins the next day.
      if (endHour == 12) {
        if (auto day = end[U::day]) end.imply(U::day, *day + 1);
        endHour = 0;
      }
      endMeridiem = 0;
    } else {
      if (endHour != 12) endHour += 12;
      endMeridiem = 1;
    }
    // "7 - 9pm": the end's marker also tells the start's half of the day when the start stated none.
    if (!start.isCertain(U::meridiem)) {
      const int64_t startHour = start[U::hour].value_or(0);
      if (letter == u'a') {
        start.imply(U::meridiem, 0);
        if (startHour == 12) start.assign(U::hour, 0);
      } else {
        start.imply(U::meridiem, 1);
        if (startHour != 12) start.assign(U::hour, startHour + 12);
      }
    }
  }

  result.setText(result.text() + std::u16string(endText));
  end.assign(U::hour, endHour);
  end.assign(U::minute, clock.minute);

  if (endMeridiem) {
    end.assign(U::meridiem, *endMeridiem);
  } else if (start.knownValues().get(U::meridiem) == 1 && start[U::hour].value_or(0) > endHour) {
    end.imply(U::meridiem, 0);
  }

  if (end.moment() < start.moment()) {
    if (auto day = end[U::day]) end.imply(U::day, *day + 1);
  }
  return true;
}

}  // namespace zarvo::chrono
