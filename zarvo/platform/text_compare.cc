#include "zarvo/platform/text_compare.h"

#include <unicode/coll.h>
#include <unicode/uchar.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/stsearch.h>
#include <unicode/tblcoll.h>
#include <unicode/unistr.h>

#include <memory>
#include <string>
#include <string_view>

namespace zarvo::platform {

namespace {

icu::UnicodeString fromUtf8(std::string_view s) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
}

// Building a collator is costly; each thread keeps one for the locale it last used.
icu::RuleBasedCollator* primaryCollator() {
  thread_local std::string localeName;
  thread_local std::unique_ptr<icu::Collator> collator;
  icu::Locale locale = icu::Locale::getDefault();
  // The POSIX locale collates byte-wise, case included: searching there ignores case as the root
  // collation does.
  if (std::string_view(locale.getName()) == "en_US_POSIX" || std::string_view(locale.getLanguage()) == "c") {
    locale = icu::Locale::getRoot();
  }
  if (!collator || localeName != locale.getName()) {
    UErrorCode status = U_ZERO_ERROR;
    collator.reset(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status)) collator.reset();
    if (!collator) return nullptr;
    collator->setStrength(icu::Collator::PRIMARY);
    localeName = locale.getName();
  }
  return dynamic_cast<icu::RuleBasedCollator*>(collator.get());
}

}  // namespace

// `s` without its diacritics: decomposed, combining marks dropped. Languages whose collation counts
// an accented letter as a letter of its own ("ö" in Swedish, Finnish and Turkish) would otherwise
// tell "Köp" from "kop"; a search ignores diacritics in every language.
icu::UnicodeString withoutDiacritics(const icu::UnicodeString& s) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  if (U_FAILURE(status)) return s;
  const icu::UnicodeString decomposed = nfd->normalize(s, status);
  if (U_FAILURE(status)) return s;
  icu::UnicodeString out;
  for (int32_t i = 0; i < decomposed.length();) {
    const UChar32 c = decomposed.char32At(i);
    if (u_charType(c) != U_NON_SPACING_MARK) out.append(c);
    i += U16_LENGTH(c);
  }
  return out;
}

bool localizedStandardContains(std::string_view text, std::string_view search) {
  if (search.empty() || text.empty()) return false;
  icu::RuleBasedCollator* collator = primaryCollator();
  const icu::UnicodeString haystack = withoutDiacritics(fromUtf8(text));
  const icu::UnicodeString needle = withoutDiacritics(fromUtf8(search));
  if (!collator) return haystack.indexOf(needle) >= 0;
  UErrorCode status = U_ZERO_ERROR;
  icu::StringSearch searcher(needle, haystack, collator, nullptr, status);
  if (U_FAILURE(status)) return false;
  const int32_t at = searcher.first(status);
  return U_SUCCESS(status) && at != USEARCH_DONE;
}

int compareCanonically(std::string_view a, std::string_view b) {
  // Most titles are already NFC (ASCII always is); only normalize what is not.
  auto isAscii = [](std::string_view s) {
    for (unsigned char c : s) {
      if (c >= 0x80) return false;
    }
    return true;
  };
  if (isAscii(a) && isAscii(b)) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  auto normalized = [&](std::string_view s) -> std::string {
    UErrorCode st = U_ZERO_ERROR;
    const icu::UnicodeString u = fromUtf8(s);
    if (nfc->isNormalized(u, st) && U_SUCCESS(st)) return std::string(s);
    st = U_ZERO_ERROR;
    std::string out;
    nfc->normalize(u, st).toUTF8String(out);
    return out;
  };
  // UTF-8 byte order is code-point order.
  const int c = normalized(a).compare(normalized(b));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace zarvo::platform
