#include "zarvo/chrono/fr/fr_words.h"

#include "zarvo/chrono/month_name_date.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono::fr {

const WordTable& weekdays() {
  static const WordTable table{
      {u"dimanche", 0}, {u"dim", 0}, {u"lundi", 1},    {u"lun", 1}, {u"mardi", 2},  {u"mar", 2}, {u"mercredi", 3},
      {u"mer", 3},      {u"jeudi", 4}, {u"jeu", 4},    {u"vendredi", 5}, {u"ven", 5}, {u"samedi", 6}, {u"sam", 6},
  };
  return table;
}

const WordTable& months() {
  static const WordTable table(
      {
          {u"janvier", 1},    {u"jan", 1},   {u"jan.", 1},  {u"février", 2},  {u"fév", 2},     {u"fév.", 2},
          {u"mars", 3},       {u"mar", 3},   {u"mar.", 3},  {u"avril", 4},    {u"avr", 4},     {u"avr.", 4},
          {u"mai", 5},        {u"juin", 6},  {u"jun", 6},   {u"juillet", 7},  {u"juil", 7},    {u"jul", 7},
          {u"jul.", 7},       {u"août", 8},  {u"aout", 8},  {u"septembre", 9}, {u"sep", 9},    {u"sep.", 9},
          {u"sept", 9},       {u"sept.", 9}, {u"octobre", 10}, {u"oct", 10},  {u"oct.", 10},   {u"novembre", 11},
          {u"nov", 11},       {u"nov.", 11}, {u"décembre", 12}, {u"dec", 12}, {u"dec.", 12},
      },
      AlternationStyle{.suffix = {}, .blank = {}, .escapeMetacharacters = true});
  return table;
}

const WordTable& integerWords() {
  static const WordTable table{
      {u"un", 1},   {u"deux", 2}, {u"trois", 3}, {u"quatre", 4}, {u"cinq", 5},  {u"six", 6},     {u"sept", 7},
      {u"huit", 8}, {u"neuf", 9}, {u"dix", 10},  {u"onze", 11},  {u"douze", 12}, {u"treize", 13},
  };
  return table;
}

std::optional<int64_t> monthNumber(std::u16string_view word) {
  if (auto month = chrono::monthNumber(months(), word)) return month;
  // "déc" and "déc." are the only pattern forms whose table entry is spelt without the accent.
  std::u16string folded = platform::lowercased(word);
  if (!folded.starts_with(u"déc")) return std::nullopt;
  folded[1] = u'e';
  return chrono::monthNumber(months(), folded);
}

const AmountWords& amountWords() {
  static const WordTable articles{{u"une", 1}};
  static const AmountWords words{
      .numbers = &integerWords(), .articles = &articles, .emptyMeansOne = false, .few = u"quelques", .half = u"demi"};
  return words;
}

}  // namespace zarvo::chrono::fr
