// Localized strings: formats looked up by key in the table of the process locale, formatted with
// ICU MessageFormat so that plural and other selection rules follow the language.
//
// Tables are registered per locale ("de", "pt_BR"); the English table ships in code and is the last
// fallback. Look-up order: the full locale name, its language, then English. All functions are
// thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo::platform {

// The format for `key` in the current ICU default locale. When no table has the key: `defaultValue`,
// or the key itself when `defaultValue` is empty. `comment` documents the entry for translators.
std::string localizedString(std::string_view key, std::string_view comment = {}, std::string_view defaultValue = {});

// Formats an ICU MessageFormat pattern ("{0, plural, one {# task} other {# tasks}}") with integer
// arguments in the current locale. A pattern that does not parse is returned unchanged.
std::string formatLocalized(std::string_view format, const std::vector<int64_t>& arguments);

// Adds (or replaces) the entries of `table` for `locale`.
void registerLocalizedStrings(const std::string& locale, const std::map<std::string, std::string>& table);

}  // namespace zarvo::platform
