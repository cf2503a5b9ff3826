// The Chinese word tables and pattern pieces the Chinese parsers share, and the readings of numerals,
// years, day words and parts of the day they have in common.
//
// Tables and pieces are built once per process on first use (thread-safe) and only read afterwards;
// the references stay valid until the process ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zarvo/chrono/word_table.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono::zh {

// Numeral characters: 零 0, 一 1, 二 兩 两 2, 三 3 ... 九 9, 十 10, 廿 20, 卅 30.
const WordTable& numerals();
// Weekday characters after 星期/禮拜/礼拜: 天 日 0 (Sunday), 一 1 ... 六 6.
const WordTable& weekdayOffsets();

// "[零一二...]" and "[天日一...]": one character of the table.
const std::u16string& numeralClass();
const std::u16string& weekdayClass();

// A numeral read left to right from a running total of 0: 十 makes the total 10 when it is 0 and
// multiplies it by 10 otherwise; every other character adds its value. So 十二 is 12, 二十三 23,
// 廿五 25. Nothing when a character is not in the table or the value overflows.
std::optional<int64_t> readNumeral(std::u16string_view text);
// ASCII digits read as a decimal number, else a numeral as above; nothing when neither reads (digits
// of other scripts, which "\d" admits, do not read).
std::optional<int64_t> readNumber(std::u16string_view text);
// A year: ASCII digits read as a number, else the decimal values of the numeral characters written
// one after another (二零一六 is 2016, and 十 contributes "10"). Nothing when neither reads.
std::optional<int64_t> readYear(std::u16string_view text);

// Pattern pieces, as capture groups: a day character; a short part of the day after a day character;
// a part of the day.
inline constexpr std::u16string_view kDayCharacterGroup = u"(今|明|聽|昨|尋|琴)";
inline constexpr std::u16string_view kShortPartOfDayGroup = u"(早|朝|晚)";
inline constexpr std::u16string_view kPartOfDayGroup =
    u"(上(?:午|晝)|朝(?:早)|早(?:上)|下(?:午|晝)|晏(?:晝)|晚(?:上)|夜(?:晚)?|中(?:午)|凌(?:晨))";

// The day a day character names, read against `ref`: 今 the reference day; 明 or 聽 (tomorrow) the
// next day, except before 02:00, when it is still the reference day; 昨, 尋 or 琴 (yesterday) the day
// before. Nothing for any other text.
std::optional<Date> dayNamed(std::u16string_view dayCharacter, Date ref);

// The hour a part of the day implies on a day, by its first character: 早 朝 上 (morning) 6,
// 下 晏 (afternoon) 15, 中 (noon) 12, 夜 晚 (evening) 22, 凌 (small hours) 0. Hours from 12 on are
// PM. Nothing for any other text.
std::optional<int64_t> partOfDayHour(std::u16string_view part);

// The half of the day a part of the day fixes on a clock, by its first character: 上 朝 早 凌 AM (0),
// 下 晏 晚 PM (1). Nothing for the others (中 noon, 夜 night), which leave the clock as written.
std::optional<int64_t> partOfDayMeridiem(std::u16string_view part);

}  // namespace zarvo::chrono::zh
