#include "zarvo/chrono/zh/zh_words.h"

#include <string>

#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono::zh {

namespace {

std::u16string characterClass(const WordTable& table) {
  std::u16string out = u"[";
  for (const auto& [word, value] : table.entries()) out += word;
  out += u']';
  return out;
}

std::optional<int64_t> numeralValue(char16_t c) { return numerals().find(std::u16string_view(&c, 1)); }

std::optional<int64_t> firstCharacterIn(const WordTable& table, std::u16string_view text) {
  if (text.empty()) return std::nullopt;
  return table.find(text.substr(0, 1));
}

bool isAsciiDigits(std::u16string_view text) {
  if (text.empty()) return false;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

}  // namespace

const WordTable& numerals() {
  static const WordTable table{
      {u"零", 0}, {u"一", 1}, {u"二", 2}, {u"兩", 2}, {u"两", 2}, {u"三", 3},  {u"四", 4},  {u"五", 5},
      {u"六", 6}, {u"七", 7}, {u"八", 8}, {u"九", 9}, {u"十", 10}, {u"廿", 20}, {u"卅", 30},
  };
  return table;
}

const WordTable& weekdayOffsets() {
  static const WordTable table{
      {u"天", 0}, {u"日", 0}, {u"一", 1}, {u"二", 2}, {u"三", 3}, {u"四", 4}, {u"五", 5}, {u"六", 6},
  };
  return table;
}

const std::u16string& numeralClass() {
  static const std::u16string piece = characterClass(numerals());
  return piece;
}

const std::u16string& weekdayClass() {
  static const std::u16string piece = characterClass(weekdayOffsets());
  return piece;
}

std::optional<int64_t> readNumeral(std::u16string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t total = 0;
  for (char16_t c : text) {
    const std::optional<int64_t> value = numeralValue(c);
    if (!value) return std::nullopt;
    if (c == u'十') {
      if (total == 0) {
        total = 10;
      } else if (__builtin_mul_overflow(total, 10, &total)) {
        return std::nullopt;
      }
    } else if (__builtin_add_overflow(total, *value, &total)) {
      return std::nullopt;
    }
  }
  return total;
}

std::optional<int64_t> readNumber(std::u16string_view text) {
  if (isAsciiDigits(text)) return platform::toInt(text);
  return readNumeral(text);
}

std::optional<int64_t> readYear(std::u16string_view text) {
  if (isAsciiDigits(text)) return platform::toInt(text);
  if (text.empty()) return std::nullopt;
  std::u16string digits;
  for (char16_t c : text) {
    const std::optional<int64_t> value = numeralValue(c);
    if (!value) return std::nullopt;
    for (char ch : std::to_string(*value)) digits += static_cast<char16_t>(ch);
  }
  return platform::toInt(digits);
}

std::optional<Date> dayNamed(std::u16string_view dayCharacter, Date ref) {
  static const WordTable kDayShift{{u"今", 0}, {u"明", 1}, {u"聽", 1}, {u"昨", -1}, {u"尋", -1}, {u"琴", -1}};
  const std::optional<int64_t> shift = kDayShift.find(dayCharacter);
  if (!shift) return std::nullopt;
  if (*shift == 1) return tomorrowFrom(ref);
  return daysFrom(ref, *shift);
}

std::optional<int64_t> partOfDayHour(std::u16string_view part) {
  static const WordTable kHours{{u"早", 6},  {u"朝", 6},  {u"上", 6},  {u"下", 15}, {u"晏", 15},
                                {u"中", 12}, {u"夜", 22}, {u"晚", 22}, {u"凌", 0}};
  return firstCharacterIn(kHours, part);
}

std::optional<int64_t> partOfDayMeridiem(std::u16string_view part) {
  static const WordTable kMeridiems{{u"上", 0}, {u"朝", 0}, {u"早", 0}, {u"凌", 0},
                                    {u"下", 1}, {u"晏", 1}, {u"晚", 1}};
  return firstCharacterIn(kMeridiems, part);
}

}  // namespace zarvo::chrono::zh
