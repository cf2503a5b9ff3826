#include "zarvo/reminders/naming.h"

#include "zarvo/reminders/internal/folder_name.h"

#include <unicode/locid.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace zarvo::reminders {

namespace {
std::atomic<bool> gReadableFolderNames{false};
}  // namespace

void setReadableFolderNames(bool readable) { gReadableFolderNames.store(readable); }
bool readableFolderNames() { return gReadableFolderNames.load(); }

bool hasBuiltInTitle(const Source& source) {
  return source.sourceType() == SourceType::local &&
         (source.title() == kLocalSourceTitle || source.title() == "On My Computer");
}

namespace detail {

namespace {

bool holdsHan(const icu::UnicodeString& text) {
  for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
    UErrorCode status = U_ZERO_ERROR;
    if (uscript_getScript(text.char32At(i), &status) == USCRIPT_HAN) return true;
  }
  return false;
}

// Latin letters without their accents, other scripts in Latin letters. Made once (building it reads
// ICU's rules, a few milliseconds); an ICU without the rules leaves titles as they are.
void toAscii(icu::UnicodeString& text) {
  static std::mutex mu;
  static std::unique_ptr<icu::Transliterator> ascii = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> made(
        icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    return U_SUCCESS(status) ? std::move(made) : nullptr;
  }();
  if (!ascii) return;
  std::lock_guard lock(mu);  // one transliterator object is not meant for two threads at once
  ascii->transliterate(text);
}

bool kept(UChar32 c) { return u_isalnum(c) || (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0; }

std::string asciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// `base` cut to at most `limit` bytes between code points, without a "-" at the end.
std::string cut(const std::string& base, size_t limit) {
  size_t end = std::min(base.size(), limit);
  while (end > 0 && end < base.size() && U8_IS_TRAIL(static_cast<uint8_t>(base[end]))) --end;
  std::string out = base.substr(0, end);
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

}  // namespace

std::string folderNameForTitle(std::string_view title, const std::set<std::string>& taken) {
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(icu::StringPiece(title.data(), static_cast<int32_t>(title.size())));
  if (!holdsHan(text)) toAscii(text);
  text.toLower(icu::Locale::getRoot());

  std::string base;
  bool gap = false;
  for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
    const UChar32 c = text.char32At(i);
    if (!kept(c)) {
      gap = true;
      continue;
    }
    if (gap && !base.empty()) base += '-';
    gap = false;
    char bytes[U8_MAX_LENGTH];
    int32_t length = 0;
    UBool failed = false;
    U8_APPEND(bytes, length, U8_MAX_LENGTH, c, failed);
    if (failed) continue;
    if (base.size() + static_cast<size_t>(length) > kMaxFolderNameBytes) break;
    base.append(bytes, static_cast<size_t>(length));
  }
  base = cut(base, kMaxFolderNameBytes);
  if (base.empty()) base = "list";

  std::set<std::string> lowered;
  for (const auto& name : taken) lowered.insert(asciiLower(name));
  if (!lowered.contains(base)) return base;
  for (size_t n = 2;; ++n) {
    std::string suffix(1, '-');
    suffix += std::to_string(n);
    const std::string candidate = cut(base, kMaxFolderNameBytes - suffix.size()) + suffix;
    if (!lowered.contains(candidate)) return candidate;
  }
}

}  // namespace detail
}  // namespace zarvo::reminders
