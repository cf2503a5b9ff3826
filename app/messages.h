// The program's words in the person's language: gettext catalogues of the domain "zarvo" (po/ in the
// source tree; <prefix>/share/locale/<language>/LC_MESSAGES/zarvo.mo once installed). English is the
// language of the sources and the fallback for a language without a catalogue or a message without a
// translation.
//
// Only what people read is translated: messages, headings, labels, dates as `ls` writes them. JSON,
// completion candidates, setting names and command and option names stay as they are in every
// language.
//
// Messages that are format strings ("Created list {}") go through fmt::runtime after translation; a
// translation keeps the same placeholders, and may number them ("{1} … {0}") to change their order.
#pragma once

#include <fmt/format.h>

#include <string>
#include <utility>

namespace zarvo::app {

// The language messages are shown in, chosen as gettext does: the locale of messages (LC_ALL, else
// LC_MESSAGES, else LANG), and, unless that is C or POSIX, LANGUAGE's list of languages before it;
// the first of them with a catalogue wins (English counts as having one). "" for English.
// `localeName` is what the three locale variables say (first non-empty), `languages` LANGUAGE.
std::string chosenLanguage(const std::string& localeName, const std::string& languages);

// Chooses the language from the environment and, unless it is English, opens the catalogues. Call
// once, first thing in main, before any thread starts (it may set LANGUAGE and the locale of
// messages, so that the C library's gettext reads the chosen catalogue even where that locale is not
// installed). With English nothing is read: every call below returns its argument.
void setUpMessages();

// The translation of `english`, or `english`. Any thread, after setUpMessages.
const char* tr(const char* english);
// The form for `n` of a message with a singular and a plural ("{} task", "{} tasks").
const char* trn(const char* singular, const char* plural, unsigned long n);
// The translation of a word that reads differently in another sense elsewhere (the weekday "Sat" in
// context "weekday").
const char* trc(const char* context, const char* english);

// The translation of the format string `english`, formatted with `args`.
template <class... Args>
std::string trf(const char* english, Args&&... args) {
  return fmt::format(fmt::runtime(tr(english)), std::forward<Args>(args)...);
}
// The form for `n` of a format string with plural forms, formatted with `args` (`n` among them when
// it is shown).
template <class... Args>
std::string trnf(const char* singular, const char* plural, unsigned long n, Args&&... args) {
  return fmt::format(fmt::runtime(trn(singular, plural, n)), std::forward<Args>(args)...);
}

// `message` with the sentences the library words in English shown in the person's language: the
// refusal of a date outside the kept years ("the date 10000-01-01 is outside the dates zarvo can keep
// (years 1 to 9999)", platform::outsideKeptYearsMessage, whose one wording names the date).
std::string inPersonsLanguage(std::string message);

}  // namespace zarvo::app
