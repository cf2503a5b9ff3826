// Compile-once store of the engine's regular expressions.
//
// Parsers and refiners describe their patterns as text; this store compiles each distinct text once
// per process and keeps it for the life of the process, so every later use is a look-up. Thread-safe.
#pragma once

#include <string_view>

#include "zarvo/platform/regex.h"

namespace zarvo::chrono {

// The compiled, case-insensitive form of `pattern`; null when it does not compile (remembered too).
// The pointer stays valid until the process ends.
const platform::Regex* compiledPattern(std::u16string_view pattern);

// True when `pattern` (compiled once, case-insensitively) matches anywhere in `text`. A pattern that
// does not compile never matches.
bool patternMatches(std::u16string_view pattern, std::u16string_view text);

}  // namespace zarvo::chrono
