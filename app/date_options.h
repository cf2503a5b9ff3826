// The options every command that reads a date phrase shares: --ref (the reference instant, as local
// wall-clock time in the zone) and --tz (the process time zone).
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "zarvo/platform/clock.h"

namespace zarvo::app {

struct DateOptions {
  std::optional<std::string> ref;
  std::optional<std::string> tz;
};

// Adds --ref and --tz to `command`; the values land in `options`, which must outlive parsing.
void addDateOptions(CLI::App& command, DateOptions& options);

// Sets the process time zone from --tz, then returns the reference instant: --ref read as wall-clock
// time in that zone, or the current instant without --ref. Throws UsageError for an unknown zone, a
// malformed --ref, or one outside the years a task can keep (year 0000). Accepted forms: 2024-03-11,
// 2024-03-11T17:00, 2024-03-11 17:00, with optional :SS and .mmm after the minutes.
Date applyDateOptions(const DateOptions& options);

// Throws UsageError ("the date 10000-01-01 is outside the dates zarvo can keep (years 1 to 9999)")
// when `date` lies outside the years a task can keep, in UTC or in the process zone: what a command
// is about to make a due date, an alarm or a reference date of. Called before anything is written.
void requireKeptDate(const std::optional<Date>& date);

// The wall-clock reading of `text` in the process time zone; nothing when malformed or out of range.
std::optional<Date> parseReference(const std::string& text);

}  // namespace zarvo::app
