#include "zarvo/chrono/en/en_deadline_format_parser.h"

#include "zarvo/chrono/en/en_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 "within"/"in", 3 number, 4 unit.
const std::u16string& casualPattern() {
  static const std::u16string pattern = std::u16string(uR"re((\W|^)(within|in)\s*)re") + u"(" +
                                        en::integerWordPiece() +
                                        uR"re(|[0-9]+|an?(?:\s*few)?|half(?:\s*an?)?)\s*)re" +
                                        uR"re((seconds?|min(?:ute)?s?|hours?|days?|weeks?|months?|years?)\s*)re" +
                                        uR"re((?=\W|$))re";
  return pattern;
}

const std::u16string& strictPattern() {
  static const std::u16string pattern = std::u16string(uR"re((\W|^)(within|in)\s*)re") + u"(" +
                                        en::integerWordPiece() + uR"re(|[0-9]+|an?)\s*)re" +
                                        uR"re((seconds?|minutes?|hours?|days?)\s*)re" + uR"re((?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view ENDeadlineFormatParser::pattern() const {
  return strictMode() ? strictPattern() : casualPattern();
}

std::optional<ParsedResult> ENDeadlineFormatParser::extract(std::u16string_view text, Date ref,
                                                            const platform::Match& match, const Options&) const {
  ParsedResult result = commonOpening(text, ref, match);
  result.tags().set(TagUnit::enDeadlineFormatParser);
  const std::optional<Amount> amount = en::readAmount(groupText(text, match, 3), en::AmountWords::article);
  const std::optional<RelativeUnit> unit = en::readUnit(groupText(text, match, 4));
  if (!amount || !unit) return std::nullopt;

  setDeadline(result.start(), *unit, moveBy(ref, *unit, *amount, +1));
  return result;
}

}  // namespace zarvo::chrono
