#include "app/messages.h"

#include <libintl.h>
#include <unicode/locid.h>
#include <unistd.h>

#include <array>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "zarvo/platform/date_calendar.h"

#ifndef ZARVO_LOCALE_DIR
#define ZARVO_LOCALE_DIR "/usr/local/share/locale"
#endif

namespace zarvo::app {

std::string inPersonsLanguage(std::string message) {
  static const std::string before = "the date ";
  static const std::string after = fmt::format(" is outside the dates zarvo can keep (years {} to {})",
                                               platform::kFirstKeptYear, platform::kLastKeptYear);
  for (size_t end = message.find(after); end != std::string::npos; end = message.find(after, end)) {
    const size_t start = message.rfind(before, end);
    const size_t date = start == std::string::npos ? end : start + before.size();
    if (start == std::string::npos || date == end || message.find(' ', date) < end) {
      end += after.size();
      continue;
    }
    const std::string shown = trf("the date {} is outside the dates zarvo can keep (years {} to {})",
                                  message.substr(date, end - date), platform::kFirstKeptYear, platform::kLastKeptYear);
    message.replace(start, end + after.size() - start, shown);
    end = start + shown.size();
  }
  return message;
}

namespace {

constexpr const char* kDomain = "zarvo";

// Set once by setUpMessages, before any thread reads it.
bool translating = false;

// The catalogues there are, by the language part of a locale name; the value names the catalogue.
// Chinese is written in simplified characters wherever it is asked for.
constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kCatalogues{{
    {"en", ""}, {"de", "de"}, {"es", "es"}, {"fr", "fr"}, {"ja", "ja"}, {"zh", "zh_CN"}}};

std::string_view languagePart(std::string_view name) {
  return name.substr(0, name.find_first_of("_.@"));
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// Where the catalogues are: beside the program (<prefix>/bin/zarvo and <prefix>/share/locale, which
// is also how the build tree is laid out), else where the build installs them.
std::filesystem::path catalogueFolder(const std::string& catalogue) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const auto beside = self.parent_path().parent_path() / "share" / "locale";
    if (std::filesystem::exists(beside / catalogue / "LC_MESSAGES" / "zarvo.mo", ec)) return beside;
  }
  return ZARVO_LOCALE_DIR;
}

}  // namespace

std::string chosenLanguage(const std::string& localeName, const std::string& languages) {
  if (localeName.empty() || localeName == "C" || localeName == "POSIX") return "";
  std::string_view wanted = languages;
  while (!wanted.empty()) {
    const size_t colon = wanted.find(':');
    const std::string_view one = wanted.substr(0, colon);
    for (const auto& [language, catalogue] : kCatalogues) {
      if (languagePart(one) == language) return std::string(catalogue);
    }
    wanted = colon == std::string_view::npos ? std::string_view() : wanted.substr(colon + 1);
  }
  for (const auto& [language, catalogue] : kCatalogues) {
    if (languagePart(localeName) == language) return std::string(catalogue);
  }
  return "";
}

void setUpMessages() {
  std::string locale = environment("LC_ALL");
  if (locale.empty()) locale = environment("LC_MESSAGES");
  if (locale.empty()) locale = environment("LANG");
  const std::string catalogue = chosenLanguage(locale, environment("LANGUAGE"));
  if (catalogue.empty()) return;
  // ICU takes its default locale (the quick entry's language among others) from the locale of
  // messages when that is set: it is fixed first, from the person's variables, as it would be
  // without the change below.
  (void)icu::Locale::getDefault();
  // The C library translates only under a locale of messages other than C, and looks in LANGUAGE
  // first: a person whose locale is not installed still reads the language they chose.
  const char* set = std::setlocale(LC_MESSAGES, "");
  if (set == nullptr || std::string_view(set) == "C" || std::string_view(set) == "POSIX") {
    std::setlocale(LC_MESSAGES, "C.UTF-8");
  }
  ::setenv("LANGUAGE", catalogue.c_str(), 1);
  if (bindtextdomain(kDomain, catalogueFolder(catalogue).c_str()) == nullptr) return;
  bind_textdomain_codeset(kDomain, "UTF-8");
  translating = true;
}

const char* tr(const char* english) { return translating ? dgettext(kDomain, english) : english; }

const char* trn(const char* singular, const char* plural, unsigned long n) {
  if (!translating) return n == 1 ? singular : plural;
  return dngettext(kDomain, singular, plural, n);
}

const char* trc(const char* context, const char* english) {
  if (!translating) return english;
  thread_local std::string key;
  key.assign(context).append(1, '\004').append(english);
  const char* found = dgettext(kDomain, key.c_str());
  return found == key.c_str() ? english : found;
}

}  // namespace zarvo::app
