#include "zarvo/chrono/chrono.h"

#include <algorithm>
#include <numeric>

#include "zarvo/chrono/prefilter.h"
#include "zarvo/platform/regex.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

std::u16string_view withinInputLimit(std::u16string_view text) {
  if (text.size() <= Chrono::kMaxInputLength) return text;
  size_t cut = Chrono::kMaxInputLength;
  if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;  // keep a pair whole
  return text.substr(0, cut);
}

// Stable by index. A result is a large object: the order is worked out on positions and each result
// is moved once, so a long text with thousands of results does not pay a sort's moves per result.
std::vector<ParsedResult> orderedByIndex(std::vector<ParsedResult> results) {
  const auto byIndex = [](const ParsedResult& a, const ParsedResult& b) { return a.index() < b.index(); };
  if (std::is_sorted(results.begin(), results.end(), byIndex)) return results;
  std::vector<size_t> order(results.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return byIndex(results[a], results[b]); });
  std::vector<ParsedResult> sorted;
  sorted.reserve(results.size());
  for (const size_t i : order) sorted.push_back(std::move(results[i]));
  return sorted;
}

}  // namespace

std::vector<ParsedResult> Chrono::parse(std::u16string_view input, Date refDate, const Options& opt) const {
  std::vector<ParsedResult> results;
  if (input.empty()) return results;
  const std::u16string_view text = withinInputLimit(input);

  // Worked out once for all the parsers' searches.
  const platform::RegexSubjectScope subject(text);
  std::optional<PrefilterText> summary;
  if (prefilterEnabled()) summary.emplace(text);

  auto run = [&](const Parser& parser) {
    std::vector<ParsedResult> found = parser.execute(text, refDate, opt, summary ? &*summary : nullptr);
    results.insert(results.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
  };

  const std::optional<Language> preferred = preferredLanguage();
  if (!preferred) {
    for (const auto& parser : modeOption_.parsers) run(*parser);
  } else {
    for (const auto& parser : modeOption_.parsers) {
      const Language language = parser->language();
      if (language == Language::english || language == *preferred) run(*parser);
    }
    if (results.empty()) {
      for (const auto& parser : modeOption_.parsers) {
        const Language language = parser->language();
        if (language != Language::english && language != *preferred) run(*parser);
      }
    }
  }

  results = orderedByIndex(std::move(results));

  for (const auto& refiner : modeOption_.refiners) {
    results = refiner->refine(text, std::move(results), opt);
  }
  return results;
}

std::vector<ParsedResult> Chrono::parse(std::string_view utf8Text, Date refDate, const Options& opt) const {
  const std::u16string text = platform::utf16(utf8Text);
  return parse(std::u16string_view(text), refDate, opt);
}

std::optional<Date> Chrono::parseDate(std::u16string_view text, Date refDate, const Options& opt) const {
  std::vector<ParsedResult> results = casual().parse(text, refDate, opt);
  if (results.empty()) return std::nullopt;
  return results.front().start().date();
}

std::optional<Date> Chrono::parseDate(std::string_view utf8Text, Date refDate, const Options& opt) const {
  const std::u16string text = platform::utf16(utf8Text);
  return parseDate(std::u16string_view(text), refDate, opt);
}

const Chrono& Chrono::casual() {
  static const Chrono instance(casualModeOption());
  return instance;
}

const Chrono& Chrono::strict() {
  static const Chrono instance(baseModeOption(true));
  return instance;
}

}  // namespace zarvo::chrono
