#include "zarvo/chrono/de/de_clock_word_parser.h"

#include "zarvo/chrono/word_table.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

const WordTable& hourWords() {
  static const WordTable table{{u"eins", 1}, {u"zwei", 2}, {u"drei", 3},  {u"vier", 4},  {u"fünf", 5},
                               {u"sechs", 6}, {u"sieben", 7}, {u"acht", 8}, {u"neun", 9}, {u"zehn", 10},
                               {u"elf", 11},  {u"zwölf", 12}};
  return table;
}

const std::u16string& clockWordPattern() {
  static const std::u16string pattern = u"(\\W|^)(?:(?:um|gegen|ab)\\s+)?(halb|viertel\\s+nach|viertel\\s+vor|"
                                        u"dreiviertel)\\s+(" + hourWords().alternation() +
                                        u"|[0-9]{1,2})(?:\\s+uhr)?(?=\\W|$)";
  return pattern;
}

}  // namespace

std::u16string_view DEClockWordParser::pattern() const { return clockWordPattern(); }

std::optional<TimeExpressionParser::Clock> DEClockWordParser::readClock(std::u16string_view text,
                                                                       const platform::Match& match, Date) const {
  const std::u16string_view hourText = groupText(text, match, 3);
  std::optional<int64_t> hour = hourWords().lookup(hourText);
  if (!hour) hour = platform::toInt(hourText);
  if (!hour || *hour < 1 || *hour > 12) return std::nullopt;
  const std::u16string how = platform::lowercased(groupText(text, match, 2));
  Clock clock;
  const int64_t before = *hour == 1 ? 12 : *hour - 1;
  if (how == u"halb") {
    clock.hour = before;
    clock.minute = 30;
  } else if (how.ends_with(u"nach")) {
    clock.hour = *hour;
    clock.minute = 15;
  } else {
    clock.hour = before;
    clock.minute = 45;
  }
  return clock;
}

}  // namespace zarvo::chrono
