// A configuration of the engine: which parsers run, in which order, and which refiners follow.
#pragma once

#include <memory>
#include <vector>

#include "zarvo/chrono/parser.h"
#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

// Immutable once built; shared by every thread that parses with it.
struct ModeOptio {
  std::vector<std::shared_ptr<const Parser>> parsers;    // run in list order
  std::vector<std::shared_ptr<const Refiner>> refiners;  // applied in list order
};

// The formal parsers, each built with `strictMode`, and the thirteen refiners. Every call builds fresh
// objects.
ModeOptio baseModeOption(bool strictMode);

// `baseModeOption(false)` with the casual parsers (all non-strict) in front. Every call builds fresh
// objects.
ModeOptio casualModeOption();

}  // namespace zarvo::chrono
