#include "zarvo/quickentry/chrono_parse_helper.h"

#include <unicode/uchar.h>

#include "zarvo/chrono/mode_option.h"
#include "zarvo/platform/text.h"

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

ChronoParseHelper::ChronoParseHelper(std::shared_ptr<const platform::Clock> clock)
    : chrono_(chrono::casualModeOption()), clock_(std::move(clock)) {
  chrono::Chrono::setPreferredLanguage(chrono::Language::english);
}

std::shared_ptr<ChronoParseItem> ChronoParseHelper::parse(std::u16string_view text) const {
  const Date ref = clock_ ? clock_->now() : platform::Clock::currentNow();
  const std::vector<chrono::ParsedResult> results = chrono_.parse(text, ref, chrono::Options{});
  if (results.empty()) return nullptr;

  // Results come ordered by position; only the last phrase leaves the title.
  const chrono::ParsedResult& last = results.back();
  const int64_t size = static_cast<int64_t>(text.size());
  const std::u16string_view before = platform::substring(text, 0, last.index());
  const std::u16string_view after = platform::substring(text, last.endPosition(), size - last.endPosition());

  std::u16string title = quickentry::trimmedSpacesAndTabs(before);
  title += u' ';
  title += quickentry::trimmedSpacesAndTabs(after);
  return std::make_shared<ChronoParseItem>(quickentry::trimmedSpacesAndTabs(title), last.start().date(),
                                           last.text());
}

std::shared_ptr<ChronoParseItem> ChronoParseHelper::parse(std::string_view utf8Text) const {
  return parse(std::u16string_view(platform::utf16(utf8Text)));
}

}  // namespace zarvo
