#include "zarvo/quickentry/chrono_parse_helper.h"

#include <unicode/uchar.h>

#include "zarvo/chrono/mode_option.h"
#include "zarvo/chrono/refiners/extract_timezone_abbr_refiner.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/reading_corrections.h"

namespace zarvo {

namespace quickentry {

namespace {
// Space separators (Zs) are all in the BMP, so testing code units is exact; surrogates are not Zs.
bool isSpaceOrTab(char16_t c) { return c == u'\t' || u_charType(c) == U_SPACE_SEPARATOR; }
}  // namespace

std::u16string trimmedSpacesAndTabs(std::u16string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isSpaceOrTab(text[begin])) ++begin;
  while (end > begin && isSpaceOrTab(text[end - 1])) --end;
  return std::u16string(text.substr(begin, end - begin));
}

}  // namespace quickentry

namespace {

using chrono::Language;

// The casual configuration narrowed to the parsers `keep` accepts, with the capitals-only reading of
// time-zone abbreviations when asked for.
template <class Keep>
chrono::ModeOptio configuration(const QuickEntryOptions& options, Keep&& keep) {
  chrono::ModeOptio mode = chrono::casualModeOption();
  std::erase_if(mode.parsers, [&](const auto& parser) { return !keep(parser->language()); });
  if (options.capitalTimeZonesOnly) {
    for (auto& refiner : mode.refiners) {
      if (dynamic_cast<const chrono::ExtractTimezoneAbbrRefiner*>(refiner.get()) != nullptr) {
        refiner = std::make_shared<chrono::ExtractTimezoneAbbrRefiner>(/*capitalsOnly=*/true);
      }
    }
  }
  return mode;
}

bool reads(const QuickEntryOptions& options, Language language) {
  return language == Language::english || !options.languages || options.languages->contains(language);
}

}  // namespace

ChronoParseHelper::ChronoParseHelper(std::shared_ptr<const platform::Clock> clock, QuickEntryOptions options)
    : options_(std::move(options)),
      chrono_(configuration(options_, [&](Language language) { return reads(options_, language); })),
      clock_(std::move(clock)) {
  if (options_.falseDateGuard) {
    chrono::ModeOptio others = configuration(
        options_, [&](Language language) { return language != Language::english && reads(options_, language); });
    if (!others.parsers.empty()) otherLanguages_.emplace(std::move(others));
  }
  chrono::Chrono::setPreferredLanguage(chrono::Language::english);
}

std::vector<chrono::ParsedResult> ChronoParseHelper::read(std::u16string_view text, Date ref) const {
  chrono::Options opt;
  if (options_.forwardDates) opt[chrono::OptionType::forwardDate] = 1;
  std::vector<chrono::ParsedResult> results = chrono_.parse(text, ref, opt);
  if (options_.falseDateGuard) {
    const bool found = !results.empty();
    std::erase_if(results, [&](const auto& r) { return quickentry::isFalseDate(text, r); });
    // The engine tries the other languages only when English finds nothing; a dropped English
    // reading ("9 a" in "de 9 a 11") must not keep them from being tried.
    if (found && results.empty() && otherLanguages_) {
      results = otherLanguages_->parse(text, ref, opt);
      std::erase_if(results, [&](const auto& r) { return quickentry::isFalseDate(text, r); });
    }
  }
  for (auto& result : results) {
    if (options_.afternoonSmallHours) result = quickentry::inTheAfternoon(std::move(result));
    if (options_.forwardDates) result = quickentry::withNumericDateAhead(std::move(result), ref);
  }
  return results;
}

std::shared_ptr<ChronoParseItem> ChronoParseHelper::parse(std::u16string_view text) const {
  const Date ref = clock_ ? clock_->now() : platform::Clock::currentNow();
  const std::vector<chrono::ParsedResult> results = read(text, ref);
  if (results.empty()) return nullptr;

  // Results come ordered by position; only the last phrase leaves the title.
  const chrono::ParsedResult& last = results.back();
  const int64_t size = static_cast<int64_t>(text.size());
  std::u16string_view before = platform::substring(text, 0, last.index());
  std::u16string_view after = platform::substring(text, last.endPosition(), size - last.endPosition());
  if (options_.cleanTitles) {
    after = quickentry::withoutLeadingParticle(after);
    // A title that is nothing but the connector keeps it ("by" alone says more than nothing).
    if (const auto kept = quickentry::withoutDanglingConnector(before);
        !quickentry::trimmedSpacesAndTabs(kept).empty() || !quickentry::trimmedSpacesAndTabs(after).empty()) {
      before = kept;
    }
  }

  std::u16string title = quickentry::trimmedSpacesAndTabs(before);
  title += u' ';
  title += quickentry::trimmedSpacesAndTabs(after);
  title = quickentry::trimmedSpacesAndTabs(title);
  if (options_.cleanTitles) title = quickentry::withSingleBlanks(title);
  return std::make_shared<ChronoParseItem>(std::move(title), last.start().date(), last.text());
}

std::shared_ptr<ChronoParseItem> ChronoParseHelper::parse(std::string_view utf8Text) const {
  return parse(std::u16string_view(platform::utf16(utf8Text)));
}

}  // namespace zarvo
