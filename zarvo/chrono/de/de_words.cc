#include "zarvo/chrono/de/de_words.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono::de {

const WordTable& weekdays() {
  static const WordTable table{
      {u"sonntag", 0},  {u"so", 0}, {u"montag", 1},  {u"mo", 1}, {u"dienstag", 2}, {u"di", 2},
      {u"mittwoch", 3}, {u"mi", 3}, {u"donnerstag", 4}, {u"do", 4}, {u"freitag", 5}, {u"fr", 5},
      {u"samstag", 6},  {u"sa", 6},
  };
  return table;
}

const WordTable& months() {
  static const WordTable table(
      {
          {u"januar", 1},    {u"jan", 1},   {u"jan.", 1},  {u"februar", 2},  {u"feb", 2},  {u"feb.", 2},
          {u"märz", 3},      {u"mär", 3},   {u"mär.", 3},  {u"april", 4},    {u"apr", 4},  {u"apr.", 4},
          {u"mai", 5},       {u"juni", 6},  {u"jun", 6},   {u"jun.", 6},     {u"juli", 7}, {u"jul", 7},
          {u"jul.", 7},      {u"august", 8}, {u"aug", 8},  {u"aug.", 8},     {u"september", 9}, {u"sep", 9},
          {u"sep.", 9},      {u"sept", 9},  {u"sept.", 9}, {u"oktober", 10}, {u"okt", 10}, {u"okt.", 10},
          {u"november", 11}, {u"nov", 11},  {u"nov.", 11}, {u"dezember", 12}, {u"dez", 12}, {u"dez.", 12},
      },
      AlternationStyle{.suffix = {}, .blank = {}, .escapeMetacharacters = true});
  return table;
}

const WordTable& articles() {
  static const WordTable table{{u"einen", 1}, {u"eine", 1}, {u"einer", 1}, {u"ein", 1}, {u"eines", 1}, {u"einem", 1}};
  return table;
}

const WordTable& integerWords() {
  static const WordTable table{
      {u"einen", 1}, {u"eine", 1}, {u"einer", 1}, {u"ein", 1},  {u"eines", 1}, {u"einem", 1},
      {u"zwei", 2},  {u"drei", 3}, {u"vier", 4},  {u"fünf", 5}, {u"sechs", 6}, {u"sieben", 7},
      {u"acht", 8},  {u"neun", 9}, {u"zehn", 10}, {u"elf", 11}, {u"zwölf", 12},
  };
  return table;
}

const WordTable& ordinals() {
  static const WordTable table(
      {
          {u"erste", 1},
          {u"zweite", 2},
          {u"dritte", 3},
          {u"vierte", 4},
          {u"fünfte", 5},
          {u"sechste", 6},
          {u"siebte", 7},
          {u"achte", 8},
          {u"neunte", 9},
          {u"zehnte", 10},
          {u"elfte", 11},
          {u"zwölfte", 12},
          {u"dreizehnte", 13},
          {u"vierzehnte", 14},
          {u"fünfzehnte", 15},
          {u"sechzehnte", 16},
          {u"siebzehnte", 17},
          {u"achtzehnte", 18},
          {u"neunzehnte", 19},
          {u"zwanzigste", 20},
          {u"einundzwanzigste", 21},
          {u"zweiundzwanzigste", 22},
          {u"dreiundzwanzigste", 23},
          {u"vierundzwanzigste", 24},
          {u"fünfundzwanzigste", 25},
          {u"sechsundzwanzigste", 26},
          {u"siebenundzwanzigste", 27},
          {u"achtundzwanzigste", 28},
          {u"neunundzwanzigste", 29},
          {u"dreißigste", 30},
          {u"einunddreißigste", 31},
      },
      AlternationStyle{.suffix = u"[nrms]?", .blank = u"[ -]", .escapeMetacharacters = false});
  return table;
}

std::optional<int64_t> ordinalDay(std::u16string_view word) {
  const std::u16string lower = platform::lowercased(platform::trimmed(word));
  if (auto day = ordinals().find(lower)) return day;
  // Every table word ends in "e", so a word with one of the endings is the table word plus that letter.
  if (!lower.empty() && std::u16string_view(u"nrms").find(lower.back()) != std::u16string_view::npos) {
    return ordinals().find(std::u16string_view(lower).substr(0, lower.size() - 1));
  }
  return std::nullopt;
}

std::u16string_view unitPiece() {
  return uR"re((sekunden?|minuten?|stunden?|tag(?:en|e)?|wochen?|monat(?:en|e|s)?|jahr(?:en|(?:es)|e)??))re";
}

const AmountWords& amountWords() {
  static const AmountWords words{.numbers = &integerWords(),
                                 .articles = nullptr,
                                 .emptyMeansOne = false,
                                 .few = u"wenige|einige|paar",
                                 .half = u"halbe"};
  return words;
}

}  // namespace zarvo::chrono::de
