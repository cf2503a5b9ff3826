#include "zarvo/chrono/en/en_words.h"

#include "zarvo/chrono/month_name_date.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono::en {

const WordTable& integerWords() {
  static const WordTable table{
      {u"one", 1}, {u"two", 2},   {u"three", 3}, {u"four", 4},    {u"five", 5},    {u"six", 6},
      {u"seven", 7}, {u"eight", 8}, {u"nine", 9},  {u"ten", 10}, {u"eleven", 11}, {u"twelve", 12},
  };
  return table;
}

const WordTable& weekdays() {
  static const WordTable table{
      {u"sunday", 0},   {u"sun", 0},   {u"monday", 1}, {u"mon", 1}, {u"tuesday", 2}, {u"tue", 2},
      {u"wednesday", 3}, {u"wed", 3},  {u"thursday", 4}, {u"thurs", 4}, {u"thur", 4}, {u"thu", 4},
      {u"friday", 5},   {u"fri", 5},   {u"saturday", 6}, {u"sat", 6},
  };
  return table;
}

const WordTable& months() {
  static const WordTable table{
      {u"january", 1},   {u"jan", 1},   {u"jan.", 1},  {u"february", 2}, {u"feb", 2},  {u"feb.", 2},
      {u"march", 3},     {u"mar", 3},   {u"mar.", 3},  {u"april", 4},    {u"apr", 4},  {u"apr.", 4},
      {u"may", 5},       {u"june", 6},  {u"jun", 6},   {u"jun.", 6},     {u"july", 7}, {u"jul", 7},
      {u"jul.", 7},      {u"august", 8}, {u"aug", 8},  {u"aug.", 8},     {u"september", 9}, {u"sep", 9},
      {u"sep.", 9},      {u"sept", 9},  {u"sept.", 9}, {u"october", 10}, {u"oct", 10}, {u"oct.", 10},
      {u"november", 11}, {u"nov", 11},  {u"nov.", 11}, {u"december", 12}, {u"dec", 12}, {u"dec.", 12},
  };
  return table;
}

const WordTable& ordinals() {
  static const WordTable table(
      {
          {u"first", 1},          {u"second", 2},         {u"third", 3},          {u"fourth", 4},
          {u"fifth", 5},          {u"sixth", 6},          {u"seventh", 7},        {u"eighth", 8},
          {u"ninth", 9},          {u"tenth", 10},         {u"eleventh", 11},      {u"twelfth", 12},
          {u"thirteenth", 13},    {u"fourteenth", 14},    {u"fifteenth", 15},     {u"sixteenth", 16},
          {u"seventeenth", 17},   {u"eighteenth", 18},    {u"nineteenth", 19},    {u"twentieth", 20},
          {u"twenty first", 21},  {u"twenty second", 22}, {u"twenty third", 23},  {u"twenty fourth", 24},
          {u"twenty fifth", 25},  {u"twenty sixth", 26},  {u"twenty seventh", 27}, {u"twenty eighth", 28},
          {u"twenty ninth", 29},  {u"thirtieth", 30},     {u"thirty first", 31},
      },
      AlternationStyle{.suffix = {}, .blank = u"[ -]", .escapeMetacharacters = false});
  return table;
}

std::optional<int64_t> monthNumber(std::u16string_view word) { return chrono::monthNumber(months(), word); }

const std::u16string& integerWordPiece() { return integerWords().alternation(); }
const std::u16string& weekdayPiece() { return weekdays().alternation(); }
const std::u16string& ordinalPiece() { return ordinals().alternation(); }

const WordTable& articles() {
  static const WordTable table{{u"a", 1}, {u"an", 1}};
  return table;
}

std::span<const UnitWord> unitWords() {
  static constexpr UnitWord kWords[] = {
      {u"day", RelativeUnit::day},   {u"week", RelativeUnit::week}, {u"month", RelativeUnit::month},
      {u"year", RelativeUnit::year}, {u"hour", RelativeUnit::hour}, {u"min", RelativeUnit::minute},
      {u"second", RelativeUnit::second},
  };
  return kWords;
}

const DistanceWords& distanceWords() {
  static const DistanceWords words{
      .amount = {.numbers = &integerWords(), .articles = &articles(), .emptyMeansOne = false, .few = u"few",
                 .half = u"half"},
      .units = unitWords(),
      .otherwise = std::nullopt,
  };
  return words;
}

std::u16string amountAndUnitPiece(std::u16string_view units) {
  std::u16string piece = u"(" + integerWordPiece() + uR"re(|[0-9]+|an?(?:\s*few)?|half(?:\s*an?)?)\s*)re";
  piece += u'(';
  piece += units;
  piece += u')';
  return piece;
}

std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match, size_t dayGroup,
                               size_t digitsGroup) {
  const platform::Range digits = match.range(digitsGroup);
  if (digits.found()) return platform::toInt(platform::substring(text, digits.location, digits.length));
  const platform::Range day = match.range(dayGroup);
  if (!day.found()) return std::nullopt;
  std::u16string word = platform::lowercased(platform::substring(text, day.location, day.length));
  for (char16_t& c : word) {
    if (c == u'-') c = u' ';
  }
  return ordinals().find(word);
}

std::optional<int64_t> yearWithEra(int64_t year, std::u16string_view era, bool rejectSmallYearWithoutEra) {
  if (patternMatches(u"BE", era)) return year - 543;
  if (patternMatches(u"BC", era)) return -year;
  if (era.empty() && rejectSmallYearWithoutEra && year < 10) return std::nullopt;
  if (year >= 0 && year <= 99) return year + 2000;
  return year;
}

}  // namespace zarvo::chrono::en
