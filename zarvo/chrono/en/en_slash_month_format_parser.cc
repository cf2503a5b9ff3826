#include "zarvo/chrono/en/en_slash_month_format_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 month, 3 year, 4 trailing context. A digit or slash right after the
// year means the run goes on ("3/20245", "3/2024/1"), so it is not read.
constexpr std::u16string_view kPattern = uR"re((^|[^\d/]\s+|[^\w\s])([0-9]|0[1-9]|1[012])/([0-9]{4})([^\d/]|$))re";

}  // namespace

std::u16string_view ENSlashMonthFormatParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENSlashMonthFormatParser::extract(std::u16string_view text, Date ref,
                                                              const platform::Match& match, const Options&) const {
  const std::optional<int64_t> month = platform::toInt(groupText(text, match, 2));
  const std::optional<int64_t> year = platform::toInt(groupText(text, match, 3));
  if (!month || !year) return std::nullopt;

  const platform::Range whole = match.range();
  const int64_t lead = match.range(1).length;
  const int64_t trail = match.range(4).length;
  ParsedResult result(ref, whole.location + lead,
                      std::u16string(platform::substring(text, whole.location + lead, whole.length - lead - trail)));
  result.start().imply(ComponentUnit::day, 1);
  result.start().assign(ComponentUnit::month, *month);
  result.start().assign(ComponentUnit::year, *year);
  result.tags().set(TagUnit::enSlashMonthFormatParser);
  return result;
}

}  // namespace zarvo::chrono
