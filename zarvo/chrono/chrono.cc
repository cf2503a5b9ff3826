#include "zarvo/chrono/chrono.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <numeric>

#include "zarvo/chrono/prefilter.h"
#include "zarvo/chrono/refiners/coming_time_refiner.h"
#include "zarvo/chrono/refiners/numeric_date_order_refiner.h"
#include "zarvo/chrono/refiners/short_year_refiner.h"
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

bool hasKana(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x3040 && c <= 0x30FF; });
}

bool hasCjk(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), [](char16_t c) { return isCjkCharacter(c); });
}

// What a reading explains of its line: the characters its phrases cover (blanks not counted), then
// the values they state.
struct Evidence {
  size_t covered = 0;
  size_t stated = 0;
  auto operator<=>(const Evidence&) const = default;
};

Evidence evidenceOf(const std::vector<ParsedResult>& results) {
  Evidence e;
  for (const ParsedResult& r : results) {
    for (const char16_t c : r.text()) {
      if (!u_isUWhiteSpace(c)) ++e.covered;
    }
    e.stated += r.start().knownValues().size();
  }
  return e;
}

// The rank of `language` among readings that explain as much (lower wins). Japanese and Chinese go
// before English only in a line of their script: "standup 9:15" is English, though the Chinese clock
// reader reads it too.
int tieRank(Language language, std::optional<Language> preferred, bool cjk, bool kana) {
  if (language == preferred) return 0;
  const int cjkRank = cjk ? 1 : 10;
  if (language == Language::japanese) return cjkRank + (kana ? 0 : 1);
  if (language == Language::chinese) return cjkRank + (kana ? 1 : 0);
  if (language == Language::english) return 3;
  return 4 + static_cast<int>(language);
}

const ComingTimeRefiner& comingTimes() {
  static const ComingTimeRefiner refiner;
  return refiner;
}

const ShortYearRefiner& shortYears() {
  static const ShortYearRefiner refiner;
  return refiner;
}

const NumericDateOrderRefiner& numericOrder(bool dayFirst) {
  static const NumericDateOrderRefiner dayFirstRefiner(true);
  static const NumericDateOrderRefiner monthFirstRefiner(false);
  return dayFirst ? dayFirstRefiner : monthFirstRefiner;
}

}  // namespace

// What one parse works out once for all its parsers' searches.
struct Chrono::Run {
  Run(std::u16string_view input, Date ref, const Options& opt, bool prefilter)
      : text(withinInputLimit(input)), ref(ref), opt(opt), subject(text) {
    if (prefilter) summary.emplace(text);
  }
  bool hasCjk() const { return summary ? summary->hasCjk() : zarvo::chrono::hasCjk(text); }

  std::u16string_view text;
  Date ref;
  const Options& opt;
  platform::RegexSubjectScope subject;
  std::optional<PrefilterText> summary;
};

Chrono::Chrono(ModeOptio modeOption, ReaderOptions options)
    : modeOption_(std::move(modeOption)), options_(std::move(options)) {
  for (const auto& parser : modeOption_.parsers) languages_.push_back(parser->language());
}

bool Chrono::allows(Language language, const Run& run) const {
  if (!options_.languages || options_.languages->contains(language)) return true;
  return options_.cjkByScript && (language == Language::japanese || language == Language::chinese) && run.hasCjk();
}

template <typename Admits>
std::vector<ParsedResult> Chrono::read(const Run& run, Admits&& admits) const {
  std::vector<ParsedResult> results;
  for (size_t i = 0; i < modeOption_.parsers.size(); ++i) {
    if (!admits(languages_[i])) continue;
    std::vector<ParsedResult> found =
        modeOption_.parsers[i]->execute(run.text, run.ref, run.opt, run.summary ? &*run.summary : nullptr);
    results.insert(results.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
  }
  return results;
}

std::vector<ParsedResult> Chrono::refined(const Run& run, std::vector<ParsedResult> results) const {
  results = orderedByIndex(std::move(results));
  for (const auto& refiner : modeOption_.refiners) {
    results = refiner->refine(run.text, std::move(results), run.opt);
  }
  if (options_.numericDateOrder != ReaderOptions::NumericDateOrder::byLanguage) {
    const bool dayFirst = options_.numericDateOrder == ReaderOptions::NumericDateOrder::dayFirst;
    results = numericOrder(dayFirst).refine(run.text, std::move(results), run.opt);
  }
  if (options_.shortYears) results = shortYears().refine(run.text, std::move(results), run.opt);
  if (options_.timesAhead) results = comingTimes().refine(run.text, std::move(results), run.opt);
  return results;
}

std::vector<ParsedResult> Chrono::parse(std::u16string_view input, Date refDate, const Options& opt) const {
  if (input.empty()) return {};
  if (options_.languageChoice == ReaderOptions::LanguageChoice::byEvidence) {
    const std::vector<LanguageReading> readings = readEachLanguage(input, refDate, opt);
    const std::optional<size_t> best = bestReading(readings, input, options_.preferredLanguage);
    return best ? readings[*best].results : std::vector<ParsedResult>{};
  }

  const Run run(input, refDate, opt, prefilterEnabled());
  const std::optional<Language> preferred = options_.languageChoice == ReaderOptions::LanguageChoice::preferred
                                                ? options_.preferredLanguage
                                                : preferredLanguage();
  std::vector<ParsedResult> results;
  if (!preferred) {
    results = read(run, [&](Language language) { return allows(language, run); });
  } else {
    const auto first = [&](Language language) { return language == Language::english || language == *preferred; };
    results = read(run, [&](Language language) { return first(language) && allows(language, run); });
    if (results.empty()) {
      results = read(run, [&](Language language) { return !first(language) && allows(language, run); });
    }
  }
  return refined(run, std::move(results));
}

std::vector<Chrono::LanguageReading> Chrono::readEachLanguage(std::u16string_view input, Date refDate,
                                                             const Options& opt) const {
  std::vector<LanguageReading> readings;
  if (input.empty()) return readings;
  const Run run(input, refDate, opt, prefilterEnabled());
  for (const Language language : {Language::english, Language::spanish, Language::french, Language::japanese,
                                  Language::german, Language::chinese}) {
    if (!allows(language, run)) continue;
    std::vector<ParsedResult> results = read(run, [&](Language l) { return l == language; });
    if (results.empty()) continue;
    results = refined(run, std::move(results));
    if (!results.empty()) readings.push_back({language, std::move(results)});
  }
  return readings;
}

std::optional<size_t> Chrono::bestReading(std::span<const LanguageReading> readings, std::u16string_view text,
                                          std::optional<Language> preferred) {
  const bool kana = hasKana(text);
  const bool cjk = hasCjk(text);
  std::optional<size_t> best;
  Evidence bestEvidence;
  for (size_t i = 0; i < readings.size(); ++i) {
    if (readings[i].results.empty()) continue;
    const Evidence e = evidenceOf(readings[i].results);
    if (!best || e > bestEvidence ||
        (e == bestEvidence &&
         tieRank(readings[i].language, preferred, cjk, kana) < tieRank(readings[*best].language, preferred, cjk, kana))) {
      best = i;
      bestEvidence = e;
    }
  }
  return best;
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
