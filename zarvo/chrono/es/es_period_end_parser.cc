#include "zarvo/chrono/es/es_period_end_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 "próximo"/"siguiente" before mes/año, 3 mes/año, 4 the word before
// "fin de semana", 5 "que viene"/"próximo" after it.
constexpr std::u16string_view kPattern =
    u"(\\W|^)(?:(?:a\\s+)?(?:fin|final|finales)\\s+(?:del?|de\\s+este)\\s+(?:(pr[óo]ximo|siguiente)\\s+)?"
    u"(mes|año)|(?:(este|el|el\\s+pr[óo]ximo|el\\s+siguiente|pr[óo]ximo)\\s+)?fin\\s+de\\s+semana"
    u"(?:\\s+(que\\s+viene|pr[óo]ximo|siguiente))?)(?=\\W|$)";

bool next(std::u16string_view word) {
  return word.find(u"próximo") != std::u16string_view::npos || word.find(u"proximo") != std::u16string_view::npos ||
         word.find(u"siguiente") != std::u16string_view::npos || word.find(u"viene") != std::u16string_view::npos;
}

}  // namespace

std::u16string_view ESPeriodEndParser::pattern() const { return kPattern; }

std::optional<PeriodEndParser::Named> ESPeriodEndParser::period(std::u16string_view text,
                                                               const platform::Match& match) const {
  if (match.took(3)) {
    const bool month = platform::lowercased(groupText(text, match, 3)) == u"mes";
    return Named{month ? Period::month : Period::year, next(platform::lowercased(groupText(text, match, 2))) ? 1 : 0};
  }
  const bool ahead = next(platform::lowercased(groupText(text, match, 4))) ||
                     next(platform::lowercased(groupText(text, match, 5)));
  return Named{Period::weekend, ahead ? 1 : 0};
}

}  // namespace zarvo::chrono
