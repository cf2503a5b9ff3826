#include "zarvo/chrono/parser.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>

#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

bool isWordCharacter(char32_t c) {
  // What \w matches in the patterns: alphabetic characters, marks, decimal digits, connector
  // punctuation, and the zero-width (non-)joiners. Read from the properties directly: this runs for
  // most matches, where a search was ten times the cost.
  const auto cp = static_cast<UChar32>(c);
  if (cp < 0x80) {
    return (cp >= u'a' && cp <= u'z') || (cp >= u'A' && cp <= u'Z') || (cp >= u'0' && cp <= u'9') || cp == u'_';
  }
  if (cp == 0x200C || cp == 0x200D) return true;
  if (u_hasBinaryProperty(cp, UCHAR_ALPHABETIC)) return true;
  const int8_t type = u_charType(cp);
  return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_COMBINING_SPACING_MARK ||
         type == U_DECIMAL_DIGIT_NUMBER || type == U_CONNECTOR_PUNCTUATION;
}

}  // namespace

using platform::Range;

std::u16string_view Parser::pattern() const { return {}; }

Language Parser::language() const { return Language::english; }

std::optional<ParsedResult> Parser::extract(std::u16string_view, Date, const platform::Match&,
                                            const Options&) const {
  return std::nullopt;
}

Prefilter Parser::prefilter() const { return Prefilter::fromPattern(pattern()); }

const Parser::Compiled& Parser::compiled() const {
  std::call_once(compileOnce_, [this] {
    compiled_.regex = platform::Regex::compile(pattern());
    if (compiled_.regex) compiled_.prefilter = prefilter();
  });
  return compiled_;
}

std::vector<ParsedResult> Parser::execute(std::u16string_view text, Date ref, const Options& opt) const {
  return execute(text, ref, opt, nullptr);
}

std::vector<ParsedResult> Parser::execute(std::u16string_view text, Date ref, const Options& opt,
                                          const PrefilterText* summary) const {
  std::vector<ParsedResult> results;
  const Compiled& c = compiled();
  const platform::Regex* regex = c.regex.get();
  if (regex == nullptr) return results;
  if (summary != nullptr && !c.prefilter.admits(*summary)) return results;

  const int64_t size = static_cast<int64_t>(text.size());
  std::optional<platform::Match> match = regex->firstMatch(text, Range{0, size});
  while (match) {
    int64_t resume;
    std::optional<ParsedResult> result = extract(text, ref, *match, opt);
    if (!result) {
      resume = match->range().location + 1;
    } else if (result->isMoveIndexMode()) {
      resume = result->index();
    } else {
      resume = result->endPosition();
      const bool possible = !strictMode_ || (result->start().isPossibleDate() &&
                                             (!result->end() || result->end()->isPossibleDate()));
      if (possible) results.push_back(std::move(*result));
    }
    // The scan always moves forward, even for a result that ends where its match began (an empty
    // phrase, or a move-index result pointing back), so no parser can make it loop.
    resume = std::max(resume, match->range().location + 1);
    if (resume >= size) break;
    match = regex->firstMatch(text, Range{resume, size - resume});
  }
  return results;
}

ParsedResult Parser::commonOpening(std::u16string_view text, Date ref, const platform::Match& match) {
  const Range whole = match.range(0);
  const int64_t lead = match.range(1).length;
  const std::u16string_view matched = platform::substring(text, whole.location, whole.length);
  std::u16string phrase(platform::substring(matched, lead, static_cast<int64_t>(matched.size()) - lead));
  return ParsedResult(ref, whole.location + lead, std::move(phrase));
}

ParsedResult Parser::wholeMatchOpening(std::u16string_view text, Date ref, const platform::Match& match) {
  const Range whole = match.range(0);
  return ParsedResult(ref, whole.location, std::u16string(platform::substring(text, whole.location, whole.length)));
}

std::u16string_view Parser::groupText(std::u16string_view text, const platform::Match& match, size_t group) {
  const Range r = match.range(group);
  if (!r.found()) return {};
  return platform::substring(text, r.location, r.length);
}

bool Parser::followsWordCharacter(std::u16string_view text, int64_t position) {
  if (position <= 0 || position > static_cast<int64_t>(text.size())) return false;
  int64_t from = position - 1;
  const auto unit = [&](int64_t i) { return text[static_cast<size_t>(i)]; };
  if (from > 0 && unit(from) >= 0xDC00 && unit(from) <= 0xDFFF && unit(from - 1) >= 0xD800 && unit(from - 1) <= 0xDBFF) {
    --from;
  }
  UChar32 c = unit(from);
  if (position - from == 2) c = U16_GET_SUPPLEMENTARY(unit(from), unit(from + 1));
  return isWordCharacter(c);
}


}  // namespace zarvo::chrono
