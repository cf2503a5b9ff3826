// Locale-aware containment and canonical ordering of UTF-8 text.
//
// Both are pure and thread-safe (ICU objects are cached per thread).
#pragma once

#include <string_view>

namespace zarvo::platform {

// True when `text` contains `search` under the collation of the current ICU default locale at primary
// strength, case and diacritics ignored in every locale ("cafe" is found in "Un CAFÉ", "kop" in "Köp"
// also in Swedish or Turkish, and under the POSIX locale). An empty `search` is never contained.
bool localizedStandardContains(std::string_view text, std::string_view search);

// Orders two texts by Unicode scalar values after canonical normalization (NFC), so canonically
// equivalent texts compare equal. Case-sensitive and not localized. Negative, zero or positive.
int compareCanonically(std::string_view a, std::string_view b);

}  // namespace zarvo::platform
