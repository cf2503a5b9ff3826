#include "zarvo/chrono/en/en_slash_date_format_start_with_year_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 year, 3 month, 4 day.
constexpr std::u16string_view kPattern =
    uR"re((\W|^)([0-9]{4})[\-\.\/]([0-9]{1,2})[\-\.\/]([0-9]{1,2})(?=\W|$))re";

}  // namespace

std::u16string_view ENSlashDateFormatStartWithYearParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENSlashDateFormatStartWithYearParser::extract(std::u16string_view text, Date ref,
                                                                          const platform::Match& match,
                                                                          const Options&) const {
  const std::optional<int64_t> year = platform::toInt(groupText(text, match, 2));
  const std::optional<int64_t> month = platform::toInt(groupText(text, match, 3));
  const std::optional<int64_t> day = platform::toInt(groupText(text, match, 4));
  if (!year || !month || !day) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;

  ParsedResult result = commonOpening(text, ref, match);
  result.start().assign(ComponentUnit::year, *year);
  result.start().assign(ComponentUnit::month, *month);
  result.start().assign(ComponentUnit::day, *day);
  result.tags().set(TagUnit::enSlashDateFormatStartWithYearParser);
  return result;
}

}  // namespace zarvo::chrono
