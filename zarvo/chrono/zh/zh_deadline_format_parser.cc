#include "zarvo/chrono/zh/zh_deadline_format_parser.h"

#include "zarvo/chrono/relative_move.h"
#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 amount, 2 unit, 3 "within" mark.
const std::u16string& deadlinePattern() {
  static const std::u16string pattern =
      u"(\\d+|" + zh::numeralClass() + u"+|半|幾|几)(?:\\s*)" + u"(?:個|个)?" +
      u"(秒(?:鐘|钟)?|分鐘|小時|鐘|日|天|星期|禮拜|月|年|分钟|小时|钟|礼拜)" +
      u"(?:(?:之|過)?後|(?:之)?(內|内)|(?:之|过)?后)";
  return pattern;
}

std::optional<Amount> readAmount(std::u16string_view text) {
  if (text == u"幾" || text == u"几") return Amount{3, false};
  if (text == u"半") return Amount{1, true};
  if (auto count = zh::readNumber(text)) return Amount{*count, false};
  return std::nullopt;
}

std::optional<RelativeUnit> readUnit(std::u16string_view text) {
  if (text.empty()) return std::nullopt;
  switch (text.front()) {
    case u'日':
    case u'天': return RelativeUnit::day;
    case u'星':
    case u'禮':
    case u'礼': return RelativeUnit::week;
    case u'月': return RelativeUnit::month;
    case u'年': return RelativeUnit::year;
    case u'秒': return RelativeUnit::second;
    case u'分': return RelativeUnit::minute;
    case u'小':
    case u'鐘':
    case u'钟': return RelativeUnit::hour;
    default: return std::nullopt;
  }
}

}  // namespace

std::u16string_view ZHDeadlineFormatParser::pattern() const { return deadlinePattern(); }

std::optional<ParsedResult> ZHDeadlineFormatParser::extract(std::u16string_view text, Date ref,
                                                            const platform::Match& match, const Options&) const {
  // Digits of other scripts match "\d" but do not read, nor do counts beyond 64 bits: no result.
  const std::optional<Amount> amount = readAmount(groupText(text, match, 1));
  const std::optional<RelativeUnit> unit = readUnit(groupText(text, match, 2));
  if (!amount || !unit) return std::nullopt;

  ParsedResult result = wholeMatchOpening(text, ref, match);
  result.tags().set(TagUnit::zhHantDeadlineFormatParser);
  setDeadline(result.start(), *unit, moveBy(ref, *unit, *amount, +1));
  return result;
}

}  // namespace zarvo::chrono
