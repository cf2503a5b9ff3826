#include "zarvo/chrono/ja/jp_util.h"

#include "zarvo/chrono/zh/zh_words.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono::ja {

std::u16string toHalfWidthDigits(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'０' && c <= u'９') c = static_cast<char16_t>(u'0' + (c - u'０'));
  }
  return out;
}

std::optional<int64_t> readDigits(std::u16string_view text) {
  const std::u16string ascii = toHalfWidthDigits(text);
  // toInt also takes a sign, which is not a digit.
  if (ascii.empty() || ascii.front() == u'+' || ascii.front() == u'-') return std::nullopt;
  return platform::toInt(ascii);
}

std::optional<int64_t> readNumber(std::u16string_view text) {
  if (std::optional<int64_t> digits = readDigits(text)) return digits;
  return zh::readNumeral(text);
}

const WordTable& eraOffsets() {
  static const WordTable table{{u"昭和", 1925}, {u"平成", 1988}};
  return table;
}

}  // namespace zarvo::chrono::ja
