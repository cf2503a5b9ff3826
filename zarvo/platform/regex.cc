#include "zarvo/platform/regex.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "zarvo/platform/text.h"

namespace zarvo::platform {

struct Regex::Impl {
  std::unique_ptr<icu::RegexPattern> pattern;
};

Regex::Regex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Regex::~Regex() = default;

std::shared_ptr<const Regex> Regex::compile(std::u16string_view pattern) {
  UErrorCode status = U_ZERO_ERROR;
  UParseError parseError;
  icu::UnicodeString source(pattern.data(), static_cast<int32_t>(pattern.size()));
  std::unique_ptr<icu::RegexPattern> compiled(
      icu::RegexPattern::compile(source, UREGEX_CASE_INSENSITIVE, parseError, status));
  if (U_FAILURE(status) || !compiled) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->pattern = std::move(compiled);
  return std::shared_ptr<const Regex>(new Regex(std::move(impl)));
}

std::shared_ptr<const Regex> Regex::compile(std::string_view utf8Pattern) {
  auto utf16 = toUtf16(utf8Pattern);
  if (!utf16) return nullptr;
  return compile(std::u16string_view(*utf16));
}

namespace {

// Searches with a matcher already positioned on its input; fills the group ranges.
std::optional<Match> findIn(icu::RegexMatcher& matcher, int32_t from, int32_t to) {
  UErrorCode status = U_ZERO_ERROR;
  matcher.region(from, to, status);
  if (U_FAILURE(status)) return std::nullopt;
  if (!matcher.find(status) || U_FAILURE(status)) return std::nullopt;
  const int32_t groups = matcher.groupCount();
  std::vector<Range> ranges;
  ranges.reserve(static_cast<size_t>(groups) + 1);
  for (int32_t g = 0; g <= groups; ++g) {
    UErrorCode gs = U_ZERO_ERROR;
    const int32_t start = matcher.start(g, gs);
    const int32_t end = matcher.end(g, gs);
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
  // Read-only alias of the caller's text: no copy.
  icu::UnicodeString input(false, text.data(), static_cast<int32_t>(size));
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> matcher(impl_->pattern->matcher(input, status));
  if (U_FAILURE(status)) return std::nullopt;
  matcher->setTimeLimit(kTimeLimitSteps, status);
  return findIn(*matcher, static_cast<int32_t>(from), static_cast<int32_t>(to));
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
