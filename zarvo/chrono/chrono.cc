#include "zarvo/chrono/chrono.h"

#include <algorithm>

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

  std::stable_sort(results.begin(), results.end(),
                   [](const ParsedResult& a, const ParsedResult& b) { return a.index() < b.index(); });

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
