#include "zarvo/chrono/de/de_period_end_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 the word before Monats/Jahres, 3 monats/jahres, 4 the word before
// Woche, 5 monats/jahres before "ende", 6 the word before Wochenende.
constexpr std::u16string_view kPattern =
    u"(\\W|^)(?:ende\\s+(?:(des|dieses|nächsten|kommenden)\\s+(monats|jahres)|(der|dieser|nächster|kommender)\\s+"
    u"woche)|(monats|jahres)ende|(am|dieses|diesem|nächstes|nächsten|kommendes|kommenden)\\s+wochenende)(?=\\W|$)";

bool next(std::u16string_view word) { return word.starts_with(u"nächst") || word.starts_with(u"kommend"); }

}  // namespace

std::u16string_view DEPeriodEndParser::pattern() const { return kPattern; }

std::optional<PeriodEndParser::Named> DEPeriodEndParser::period(std::u16string_view text,
                                                               const platform::Match& match) const {
  if (match.took(6)) return Named{Period::weekend, next(platform::lowercased(groupText(text, match, 6))) ? 1 : 0};
  if (match.took(4)) return Named{Period::week, next(platform::lowercased(groupText(text, match, 4))) ? 1 : 0};
  const std::u16string unit = platform::lowercased(groupText(text, match, match.took(3) ? 3 : 5));
  const int64_t ahead = next(platform::lowercased(groupText(text, match, 2))) ? 1 : 0;
  return Named{unit == u"monats" ? Period::month : Period::year, ahead};
}

}  // namespace zarvo::chrono
