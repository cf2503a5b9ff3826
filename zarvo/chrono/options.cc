#include "zarvo/chrono/options.h"

#include <array>

namespace zarvo::chrono {

namespace {
constexpr std::array<std::string_view, 5> kOptionRawValues = {"morning", "afternoon", "evening", "noon",
                                                              "forwardDate"};
constexpr std::array<std::string_view, 6> kLanguageNames = {"english",  "spanish", "french",
                                                            "japanese", "german",  "chinese"};
}  // namespace

std::string_view rawValue(OptionType option) { return kOptionRawValues[static_cast<size_t>(option)]; }

std::optional<OptionType> optionTypeFromRaw(std::string_view raw) {
  for (size_t i = 0; i < kOptionRawValues.size(); ++i) {
    if (kOptionRawValues[i] == raw) return static_cast<OptionType>(i);
  }
  return std::nullopt;
}

std::string_view name(Language language) { return kLanguageNames[static_cast<size_t>(language)]; }

std::optional<Language> languageNamed(std::string_view n) {
  for (size_t i = 0; i < kLanguageNames.size(); ++i) {
    if (kLanguageNames[i] == n) return static_cast<Language>(i);
  }
  return std::nullopt;
}

}  // namespace zarvo::chrono
