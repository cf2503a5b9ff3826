// Options steering one parse, and the languages the engine reads.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>

namespace zarvo::chrono {

// Keys of the options map handed to `Chrono::parse`. Every hour option falls back to its default when
// the key is missing.
enum class OptionType {
  morning,      // hour implied for a "morning" phrase (default 6)
  afternoon,    // hour implied for an "afternoon" phrase (default 15)
  evening,      // hour implied for an "evening" phrase (default 18)
  noon,         // hour implied for a "noon" phrase (default 12)
  forwardDate,  // present (any value, even 0): dates in the past are moved forward
};

// The options of one parse. An empty map means every default.
using Options = std::map<OptionType, int64_t>;

// "morning", "afternoon", "evening", "noon", "forwardDate".
std::string_view rawValue(OptionType option);
// The option whose raw value equals `raw` exactly (case included); nothing otherwise.
std::optional<OptionType> optionTypeFromRaw(std::string_view raw);

// The value of `option` in `opt`, if present.
inline std::optional<int64_t> optionValue(const Options& opt, OptionType option) {
  auto it = opt.find(option);
  if (it == opt.end()) return std::nullopt;
  return it->second;
}

// Languages of the parsers. The order is significant: the front end compares languages.
enum class Language { english, spanish, french, japanese, german, chinese };

// "english", "spanish", ...
std::string_view name(Language language);
// The language whose case name equals `name` exactly; nothing otherwise.
std::optional<Language> languageNamed(std::string_view name);

}  // namespace zarvo::chrono
