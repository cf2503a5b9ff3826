// The patterns this process has compiled, so that tests can hold the two regular-expression engines
// (regex.h) against each other over exactly the patterns the program uses.
#pragma once

#include <string>
#include <vector>

namespace zarvo::platform {

// Every distinct pattern compiled without a pinned engine so far, in first-compiled order, including
// patterns that did not compile. Any thread may call it. Patterns pinned to an engine (user text) are
// not recorded, so the list stays as small as the program's own set of patterns.
std::vector<std::u16string> compiledRegexPatterns();

}  // namespace zarvo::platform
