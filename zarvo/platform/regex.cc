#include "zarvo/platform/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>
#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "zarvo/platform/regex_inventory.h"
#include "zarvo/platform/text.h"

#ifndef ZARVO_DEFAULT_REGEX_BACKEND_ICU
#define ZARVO_DEFAULT_REGEX_BACKEND_ICU 0
#endif

namespace zarvo::platform {

// ---- Backend setting --------------------------------------------------------------------------------

namespace {

constexpr int kBackendUnset = -1;
std::atomic<int> gBackend{kBackendUnset};

RegexBackend initialBackend() {
  if (const char* env = std::getenv("ZARVO_REGEX_BACKEND")) {
    if (auto named = regexBackendNamed(env)) return *named;
  }
  return ZARVO_DEFAULT_REGEX_BACKEND_ICU ? RegexBackend::icu : RegexBackend::pcre2;
}

}  // namespace

RegexBackend regexBackend() {
  int value = gBackend.load(std::memory_order_relaxed);
  if (value == kBackendUnset) {
    int expected = kBackendUnset;
    gBackend.compare_exchange_strong(expected, static_cast<int>(initialBackend()));
    value = gBackend.load(std::memory_order_relaxed);
  }
  return static_cast<RegexBackend>(value);
}

void setRegexBackend(RegexBackend backend) { gBackend.store(static_cast<int>(backend), std::memory_order_relaxed); }

std::string_view regexBackendName(RegexBackend backend) { return backend == RegexBackend::icu ? "icu" : "pcre2"; }

std::optional<RegexBackend> regexBackendNamed(std::string_view name) {
  if (name == "icu") return RegexBackend::icu;
  if (name == "pcre2") return RegexBackend::pcre2;
  return std::nullopt;
}

// ---- Characters PCRE2 must not see -----------------------------------------------------------------

namespace {

// What a character means for a PCRE2 search.
enum CharKind : uint8_t {
  kSafe = 0,
  // Matches differently under the two engines whatever the pattern: ICU folds it to several
  // characters, or PCRE2's Unicode tables predate it, or it is a lone surrogate.
  kAlways = 1,
  // "ß" and "ẞ": ICU folds them to "ss", so they differ only against a pattern with "ss" or "ß" in it.
  kSharpS = 2,
};

// PCRE2's Unicode version, as ICU's u_charAge reports versions.
std::array<uint8_t, 2> pcre2UnicodeVersion() {
  static const std::array<uint8_t, 2> version = [] {
    PCRE2_UCHAR buffer[32] = {};
    std::array<uint8_t, 2> v{0, 0};
    if (pcre2_config(PCRE2_CONFIG_UNICODE_VERSION, buffer) < 0) return v;
    int part = 0;
    int number = 0;
    for (const PCRE2_UCHAR* p = buffer; part < 2; ++p) {
      if (*p >= u'0' && *p <= u'9') {
        number = number * 10 + (*p - u'0');
      } else {
        v[static_cast<size_t>(part++)] = static_cast<uint8_t>(number);
        number = 0;
        if (*p == 0) break;
      }
    }
    return v;
  }();
  return version;
}

uint8_t classifyCodePoint(UChar32 c) {
  if (c == 0xDF || c == 0x1E9E) return kSharpS;
  if (U_IS_SURROGATE(c)) return kAlways;
  UVersionInfo age;
  u_charAge(c, age);
  const auto pcre2 = pcre2UnicodeVersion();
  if (age[0] > pcre2[0] || (age[0] == pcre2[0] && age[1] > pcre2[1])) return kAlways;
  UChar source[2];
  int32_t sourceLength = 0;
  U16_APPEND_UNSAFE(source, sourceLength, c);
  UChar full[8];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t fullLength = u_strFoldCase(full, 8, source, sourceLength, U_FOLD_CASE_DEFAULT, &status);
  UChar simple[2];
  int32_t simpleLength = 0;
  U16_APPEND_UNSAFE(simple, simpleLength, u_foldCase(c, U_FOLD_CASE_DEFAULT));
  if (U_FAILURE(status) || fullLength != simpleLength ||
      std::memcmp(full, simple, sizeof(UChar) * static_cast<size_t>(simpleLength)) != 0) {
    return kAlways;
  }
  return kSafe;
}

// Kinds of the BMP, filled one block of 256 on first use (most texts touch two or three blocks).
struct BmpKinds {
  std::array<uint8_t, 0x10000> kinds{};
  std::array<std::once_flag, 256> filled;
};

uint8_t kindOf(UChar32 c) {
  if (c < 0xC0) return kSafe;
  if (c > 0xFFFF) return classifyCodePoint(c);
  static BmpKinds table;
  const size_t block = static_cast<size_t>(c) >> 8;
  std::call_once(table.filled[block], [block] {
    for (UChar32 d = static_cast<UChar32>(block << 8); d < static_cast<UChar32>((block + 1) << 8); ++d) {
      table.kinds[static_cast<size_t>(d)] = U_IS_SURROGATE(d) ? uint8_t{kAlways} : classifyCodePoint(d);
    }
  });
  return table.kinds[static_cast<size_t>(c)];
}

// Walks [from, to) of `text` as that range's own subject (a surrogate pair cut by a bound is two lone
// surrogates) and calls `visit(position, kind)` for every character that is not safe.
template <typename Visit>
void scanKinds(std::u16string_view text, size_t from, size_t to, Visit&& visit) {
  for (size_t i = from; i < to; ++i) {
    const char16_t unit = text[i];
    if (unit < 0xC0) continue;
    UChar32 c = unit;
    size_t length = 1;
    if (U16_IS_LEAD(unit) && i + 1 < to && U16_IS_TRAIL(text[i + 1])) {
      c = U16_GET_SUPPLEMENTARY(unit, text[i + 1]);
      length = 2;
    }
    if (const uint8_t kind = kindOf(c); kind != kSafe) visit(i, kind);
    i += length - 1;
  }
}

}  // namespace

struct RegexSubjectScope::State {
  const char16_t* base = nullptr;
  size_t size = 0;
  std::vector<int32_t> always;  // positions of kAlways characters, ascending
  std::vector<int32_t> sharpS;  // positions of kSharpS characters, ascending
  State* previous = nullptr;
};

namespace {

thread_local RegexSubjectScope::State* gSubject = nullptr;

bool anyIn(const std::vector<int32_t>& positions, size_t from, size_t to) {
  auto it = std::lower_bound(positions.begin(), positions.end(), static_cast<int32_t>(from));
  return it != positions.end() && static_cast<size_t>(*it) < to;
}

// True when [from, to) of `text`, searched as its own subject, holds a character PCRE2 must not see.
bool needsReference(std::u16string_view text, size_t from, size_t to, bool sharpSSensitive) {
  if (from >= to) return false;
  // A pair cut by the range's bounds leaves lone surrogates inside it.
  if (U16_IS_TRAIL(text[from]) || U16_IS_LEAD(text[to - 1])) return true;
  const RegexSubjectScope::State* subject = gSubject;
  const auto address = reinterpret_cast<uintptr_t>(text.data());
  if (subject != nullptr) {
    const auto base = reinterpret_cast<uintptr_t>(subject->base);
    if (address >= base && address + text.size() * sizeof(char16_t) <= base + subject->size * sizeof(char16_t)) {
      const size_t offset = (address - base) / sizeof(char16_t);
      return anyIn(subject->always, offset + from, offset + to) ||
             (sharpSSensitive && anyIn(subject->sharpS, offset + from, offset + to));
    }
  }
  bool found = false;
  scanKinds(text, from, to, [&](size_t, uint8_t kind) {
    if (kind == kAlways || sharpSSensitive) found = true;
  });
  return found;
}

}  // namespace

RegexSubjectScope::RegexSubjectScope(std::u16string_view text) : state_(std::make_unique<State>()) {
  state_->base = text.data();
  state_->size = text.size();
  // Inside the whole text a pair is one character; the bounds of each search are checked apart.
  scanKinds(text, 0, text.size(), [&](size_t position, uint8_t kind) {
    (kind == kAlways ? state_->always : state_->sharpS).push_back(static_cast<int32_t>(position));
  });
  state_->previous = gSubject;
  gSubject = state_.get();
}

RegexSubjectScope::~RegexSubjectScope() { gSubject = state_->previous; }

// ---- ICU pattern -> PCRE2 pattern ------------------------------------------------------------------

namespace {

// ICU's classes, spelt out so that PCRE2's differing built-in ones are never used.
constexpr std::u16string_view kWordSet = u"\\p{Alphabetic}\\p{M}\\p{Nd}\\p{Pc}\\x{200c}\\x{200d}";
// \s is the White_Space property (a stable list): beside \p{Z} it takes U+000B and U+0085, which ICU
// counts and a set built from \p{Z} alone would miss.
constexpr std::u16string_view kSpaceSet =
    u"\\t\\n\\x{0b}\\f\\r\\x{20}\\x{85}\\x{a0}\\x{1680}\\x{2000}-\\x{200a}\\x{2028}\\x{2029}\\x{202f}\\x{205f}\\x{3000}";
constexpr std::u16string_view kDigitSet = u"\\p{Nd}";
// ICU's line terminators: what "." does not match and what "$" may stand before at the end.
constexpr std::u16string_view kLineEndSet = u"\\n\\x{0b}\\f\\r\\x{85}\\x{2028}\\x{2029}";

struct Translation {
  std::u16string pattern;
  // The pattern holds "ss" or "ß": against a text with "ß" in it, ICU's full case folding may match
  // where PCRE2 cannot.
  bool sharpSSensitive = false;
};

bool isAsciiAlnum(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSLike(char16_t c) { return c == u's' || c == u'S' || c == 0x17F; }

// The PCRE2 pattern that matches exactly what `icu` matches under ICU, or nothing when the pattern
// uses something this rewrite does not carry over faithfully (the pattern then runs on ICU).
std::optional<Translation> translate(std::u16string_view icu) {
  Translation t;
  std::u16string& out = t.pattern;
  out.reserve(icu.size() * 2);
  bool inClass = false;
  const size_t n = icu.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = icu[i];
    // Conservative: "\ss" counts too.
    if (i + 1 < n && isSLike(c) && isSLike(icu[i + 1])) t.sharpSSensitive = true;
    // A literal character (surrogate pairs included) whose case folding the engines treat alike.
    auto literalKind = [&](size_t at, size_t* length) -> uint8_t {
      UChar32 cp = icu[at];
      *length = 1;
      if (U16_IS_LEAD(icu[at]) && at + 1 < n && U16_IS_TRAIL(icu[at + 1])) {
        cp = U16_GET_SUPPLEMENTARY(icu[at], icu[at + 1]);
        *length = 2;
      }
      return kindOf(cp);
    };
    if (c == u'\\') {
      if (i + 1 >= n) return std::nullopt;
      const char16_t d = icu[i + 1];
      std::u16string_view set;
      bool negated = false;
      switch (d) {
        case u'w': set = kWordSet; break;
        case u's': set = kSpaceSet; break;
        case u'd': set = kDigitSet; break;
        case u'W': set = kWordSet; negated = true; break;
        case u'S': set = kSpaceSet; negated = true; break;
        case u'D': set = kDigitSet; negated = true; break;
        default: break;
      }
      if (!set.empty()) {
        if (inClass) {
          if (negated) return std::nullopt;  // a complement inside a set has no PCRE2 spelling
          out += set;
        } else {
          out += negated ? u"[^" : u"[";
          out += set;
          out += u']';
        }
        ++i;
        continue;
      }
      if (d == u't' || d == u'n' || d == u'r' || d == u'f' || d == u'e' || d == u'a') {
        out += c;
        out += d;
        ++i;
        continue;
      }
      // \b \B \x \u \p \Q, back-references and the rest mean other things or need more care.
      if (isAsciiAlnum(d)) return std::nullopt;
      size_t length = 0;
      if (literalKind(i + 1, &length) != kSafe) return std::nullopt;
      out += c;
      out.append(icu.substr(i + 1, length));
      i += length;
      continue;
    }
    if (inClass) {
      if (c == u'[' || (c == u'&' && i + 1 < n && icu[i + 1] == u'&')) return std::nullopt;  // nested, &&
      if (c == u']') {
        inClass = false;
        out += c;
        continue;
      }
      size_t length = 0;
      if (literalKind(i, &length) != kSafe) return std::nullopt;
      out.append(icu.substr(i, length));
      i += length - 1;
      continue;
    }
    switch (c) {
      case u'[': {
        out += c;
        inClass = true;
        if (i + 1 < n && icu[i + 1] == u'^') out += icu[++i];
        // "[]" and "[^]" open differently in the two syntaxes.
        if (i + 1 < n && icu[i + 1] == u']') return std::nullopt;
        continue;
      }
      case u'.':
        out += u"[^";
        out += kLineEndSet;
        out += u']';
        continue;
      case u'$':
        out += u"(?=(?:\\r\\n|[";
        out += kLineEndSet;
        out += u"])?\\z)";
        continue;
      case u'(':
        out += c;
        if (i + 1 < n && icu[i + 1] == u'?') {
          // Groups and look-arounds only: inline flags and comments are not carried over.
          if (i + 2 >= n) return std::nullopt;
          const char16_t kind = icu[i + 2];
          const bool lookBehind = kind == u'<' && i + 3 < n && (icu[i + 3] == u'=' || icu[i + 3] == u'!');
          if (kind != u':' && kind != u'=' && kind != u'!' && kind != u'>' && !lookBehind) return std::nullopt;
        }
        continue;
      default:
        break;
    }
    size_t length = 0;
    const uint8_t kind = literalKind(i, &length);
    if (kind == kSharpS) {
      // ICU folds "ß" (and "ẞ") to "ss", so the literal also matches "ss" in any case.
      out += u"(?:";
      out.append(icu.substr(i, length));
      out += u"|ss)";
      t.sharpSSensitive = true;
      continue;
    }
    if (kind != kSafe) return std::nullopt;
    out.append(icu.substr(i, length));
    i += length - 1;
  }
  if (inClass) return std::nullopt;
  return t;
}

struct Pcre2CodeDeleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct Pcre2MatchDataDeleter {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

// Match limit of one PCRE2 search; a search that reaches it is run again on ICU, whose time limit
// then decides, so the limit only needs to be far above what an ordinary search takes.
constexpr uint32_t kPcre2MatchLimit = 1'000'000;

const pcre2_match_context* matchContext() {
  static pcre2_match_context* context = [] {
    pcre2_match_context* made = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(made, kPcre2MatchLimit);
    return made;
  }();
  return context;
}

// One match-data block per thread, grown to the largest pattern seen.
pcre2_match_data* matchData(uint32_t pairs) {
  thread_local std::unique_ptr<pcre2_match_data, Pcre2MatchDataDeleter> data;
  thread_local uint32_t capacity = 0;
  if (!data || capacity < pairs) {
    capacity = std::max<uint32_t>(pairs, 32);
    data.reset(pcre2_match_data_create(capacity, nullptr));
  }
  return data.get();
}

}  // namespace

// ---- Regex ------------------------------------------------------------------------------------------

struct Regex::Impl {
  std::u16string source;
  std::optional<RegexBackend> pinned;

  std::once_flag icuOnce;
  std::unique_ptr<icu::RegexPattern> icu;

  std::once_flag pcre2Once;
  std::unique_ptr<pcre2_code, Pcre2CodeDeleter> pcre2;
  bool sharpSSensitive = false;
  uint32_t pcre2Pairs = 0;
  std::once_flag jitOnce;
  bool jitted = false;  // written once under jitOnce, read after it

  const icu::RegexPattern* icuPattern() {
    std::call_once(icuOnce, [this] {
      UErrorCode status = U_ZERO_ERROR;
      UParseError parseError;
      icu::UnicodeString pattern(source.data(), static_cast<int32_t>(source.size()));
      std::unique_ptr<icu::RegexPattern> compiled(
          icu::RegexPattern::compile(pattern, UREGEX_CASE_INSENSITIVE, parseError, status));
      if (U_SUCCESS(status)) icu = std::move(compiled);
    });
    return icu.get();
  }

  const pcre2_code* pcre2Code() {
    std::call_once(pcre2Once, [this] {
      std::optional<Translation> translated = translate(source);
      if (!translated) return;
      int error = 0;
      PCRE2_SIZE offset = 0;
      pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated->pattern.data()),
                                       translated->pattern.size(), PCRE2_UTF | PCRE2_UCP | PCRE2_CASELESS,
                                       &error, &offset, nullptr);
      if (code == nullptr) return;
      uint32_t captures = 0;
      pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
      pcre2Pairs = captures + 1;
      sharpSSensitive = translated->sharpSSensitive;
      pcre2.reset(code);
    });
    return pcre2.get();
  }

  // The PCRE2 code, JIT-compiled before it is first handed out. Machine code is made on a pattern's
  // first search, not when it is compiled: most patterns of a configuration never search a given
  // text (the prefilter skips them), and a short-lived process that reads a few lines should not pay
  // for all of them. `call_once` makes every thread wait for the one compilation and see its result,
  // so the code is never searched while the JIT writes to it. Without JIT (an unsupported machine)
  // the interpreter runs the same pattern, only slower.
  const pcre2_code* pcre2Searchable() {
    const pcre2_code* code = pcre2Code();
    if (code == nullptr) return nullptr;
    std::call_once(jitOnce, [this] { jitted = pcre2_jit_compile(pcre2.get(), PCRE2_JIT_COMPLETE) == 0; });
    return code;
  }
};

Regex::Regex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Regex::~Regex() = default;

namespace {

struct Inventory {
  std::mutex mutex;
  std::unordered_set<std::u16string> seen;
  std::vector<std::u16string> ordered;
};

Inventory& inventory() {
  static Inventory instance;
  return instance;
}

void recordPattern(std::u16string_view pattern) {
  Inventory& inv = inventory();
  const std::lock_guard lock(inv.mutex);
  if (inv.seen.emplace(pattern).second) inv.ordered.emplace_back(pattern);
}

}  // namespace

std::vector<std::u16string> compiledRegexPatterns() {
  Inventory& inv = inventory();
  const std::lock_guard lock(inv.mutex);
  return inv.ordered;
}

std::shared_ptr<const Regex> Regex::compile(std::u16string_view pattern, std::optional<RegexBackend> pinned) {
  if (!pinned) recordPattern(pattern);
  auto impl = std::make_unique<Impl>();
  impl->source.assign(pattern);
  impl->pinned = pinned;
  const RegexBackend backend = pinned.value_or(regexBackend());
  bool compiles = false;
  if (backend == RegexBackend::pcre2) compiles = impl->pcre2Code() != nullptr;
  // ICU decides for ICU, and for what PCRE2 cannot take (such a pattern then always runs on ICU).
  if (!compiles && !(pinned == RegexBackend::pcre2)) compiles = impl->icuPattern() != nullptr;
  if (!compiles) return nullptr;
  return std::shared_ptr<const Regex>(new Regex(std::move(impl)));
}

std::shared_ptr<const Regex> Regex::compile(std::string_view utf8Pattern, std::optional<RegexBackend> pinned) {
  auto utf16 = toUtf16(utf8Pattern);
  if (!utf16) return nullptr;
  return compile(std::u16string_view(*utf16), pinned);
}

bool Regex::hasPcre2Form() const { return !(impl_->pinned == RegexBackend::icu) && impl_->pcre2Code() != nullptr; }

namespace {

std::optional<Match> icuSearch(const icu::RegexPattern* pattern, std::u16string_view text, int64_t from, int64_t to) {
  if (pattern == nullptr) return std::nullopt;
  // Read-only alias of the caller's text: no copy.
  icu::UnicodeString input(false, text.data(), static_cast<int32_t>(text.size()));
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(input, status));
  if (U_FAILURE(status)) return std::nullopt;
  matcher->setTimeLimit(Regex::kTimeLimitSteps, status);
  matcher->region(from, to, status);
  if (U_FAILURE(status)) return std::nullopt;
  if (!matcher->find(status) || U_FAILURE(status)) return std::nullopt;
  const int32_t groups = matcher->groupCount();
  std::vector<Range> ranges;
  ranges.reserve(static_cast<size_t>(groups) + 1);
  for (int32_t g = 0; g <= groups; ++g) {
    UErrorCode gs = U_ZERO_ERROR;
    const int32_t start = matcher->start(g, gs);
    const int32_t end = matcher->end(g, gs);
    if (U_FAILURE(gs) || start < 0) {
      ranges.push_back(Range{});
    } else {
      ranges.push_back(Range{start, end - start});
    }
  }
  return Match(std::move(ranges));
}

}  // namespace

std::optional<Match> Regex::firstMatch(std::u16string_view text, std::optional<Range> range) const {
  const int64_t size = static_cast<int64_t>(text.size());
  int64_t from = 0;
  int64_t to = size;
  if (range) {
    if (!range->found() || range->location > size || range->length < 0) return std::nullopt;
    from = std::max<int64_t>(0, range->location);
    to = std::min<int64_t>(size, range->location + range->length);
  }
  const RegexBackend backend = impl_->pinned.value_or(regexBackend());
  const pcre2_code* code = backend == RegexBackend::pcre2 ? impl_->pcre2Searchable() : nullptr;
  if (code == nullptr ||
      needsReference(text, static_cast<size_t>(from), static_cast<size_t>(to), impl_->sharpSSensitive)) {
    return icuSearch(impl_->icuPattern(), text, from, to);
  }
  // The range is searched as its own subject: "^", look-behind and \w at its start see nothing before
  // it, "$" and look-ahead nothing after it.
  pcre2_match_data* data = matchData(impl_->pcre2Pairs);
  // Machine code is entered directly: pcre2_match would only check the arguments again first.
  const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data() + from);
  const auto length = static_cast<PCRE2_SIZE>(to - from);
  auto* context = const_cast<pcre2_match_context*>(matchContext());
  const int rc = impl_->jitted ? pcre2_jit_match(code, subject, length, 0, PCRE2_NO_UTF_CHECK, data, context)
                               : pcre2_match(code, subject, length, 0, PCRE2_NO_UTF_CHECK, data, context);
  if (rc == PCRE2_ERROR_NOMATCH) return std::nullopt;
  if (rc < 0) return icuSearch(impl_->icuPattern(), text, from, to);  // match limit, JIT stack, ...
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
  std::vector<Range> ranges(impl_->pcre2Pairs);
  for (uint32_t g = 0; g < impl_->pcre2Pairs && g < static_cast<uint32_t>(rc); ++g) {
    const PCRE2_SIZE start = ovector[2 * g];
    if (start == PCRE2_UNSET) continue;
    ranges[g] = Range{from + static_cast<int64_t>(start), static_cast<int64_t>(ovector[2 * g + 1] - start)};
  }
  return Match(std::move(ranges));
}

std::vector<Match> Regex::allMatches(std::u16string_view text) const {
  std::vector<Match> out;
  int64_t pos = 0;
  const int64_t size = static_cast<int64_t>(text.size());
  while (pos <= size) {
    auto m = firstMatch(text, Range{pos, size - pos});
    if (!m) break;
    const Range r = m->range();
    pos = r.length > 0 ? r.end() : r.end() + 1;
    out.push_back(std::move(*m));
  }
  return out;
}

}  // namespace zarvo::platform
