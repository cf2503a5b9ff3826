#include "zarvo/platform/localization.h"

#include <unicode/locid.h>
#include <unicode/msgfmt.h>

#include <memory>
#include <mutex>

namespace zarvo::platform {

namespace {

struct Tables {
  std::mutex mu;
  std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> byLocale{
      {"en",
       {
           // Per-list task count shown beside a list.
           {"task_count", "{0, plural, one {# task} other {# tasks}}"},
       }}};
};

Tables& tables() {
  static Tables t;
  return t;
}

}  // namespace

std::string localizedString(std::string_view key, std::string_view /*comment*/, std::string_view defaultValue) {
  const icu::Locale locale = icu::Locale::getDefault();
  const std::string candidates[] = {locale.getName(), locale.getLanguage(), "en"};
  auto& t = tables();
  std::lock_guard lock(t.mu);
  for (const auto& name : candidates) {
    auto table = t.byLocale.find(name);
    if (table == t.byLocale.end()) continue;
    auto entry = table->second.find(key);
    if (entry != table->second.end()) return entry->second;
  }
  return std::string(defaultValue.empty() ? key : defaultValue);
}

std::string formatLocalized(std::string_view format, const std::vector<int64_t>& arguments) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString pattern =
      icu::UnicodeString::fromUTF8(icu::StringPiece(format.data(), static_cast<int32_t>(format.size())));
  icu::MessageFormat message(pattern, icu::Locale::getDefault(), status);
  if (U_FAILURE(status)) return std::string(format);
  std::vector<icu::Formattable> values;
  values.reserve(arguments.size());
  for (int64_t a : arguments) values.emplace_back(static_cast<int64_t>(a));
  icu::UnicodeString out;
  icu::FieldPosition position;
  message.format(values.data(), static_cast<int32_t>(values.size()), out, position, status);
  if (U_FAILURE(status)) return std::string(format);
  std::string utf8;
  out.toUTF8String(utf8);
  return utf8;
}

void registerLocalizedStrings(const std::string& locale, const std::map<std::string, std::string>& table) {
  auto& t = tables();
  std::lock_guard lock(t.mu);
  auto& target = t.byLocale[locale];
  for (const auto& [k, v] : table) target[k] = v;
}

}  // namespace zarvo::platform
