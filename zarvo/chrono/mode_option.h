// A configuration of the engine: which parsers run, in which order, and which refiners follow.
#pragma once

#include <memory>
#include <vector>

#include "zarvo/chrono/parser.h"
#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

// Immutable once built; shared by every thread that parses with it.
struct ModeOptio {
  std::vector<std::shared_ptr<const Parser>> parsers;    // run in list order
  std::vector<std::shared_ptr<const Refiner>> refiners;  // applied in list order
};

// The formal parsers, each built with `strictMode`, and the thirteen refiners. Every call builds fresh
// objects.
ModeOptio baseModeOption(bool strictMode);

// `baseModeOption(false)` with the casual parsers (all non-strict) in front. Every call builds fresh
// objects.
ModeOptio casualModeOption();

// `casualModeOption()` with the phrases people type that the casual configuration does not read, in
// every language, as parsers of their own after the casual ones (each file in the language's folder
// says what it reads):
//   days two ahead and back ("the day after tomorrow", "übermorgen", "pasado mañana", "après-demain",
//   "明後日", "后天"), also with a part of the day ("pasado mañana por la tarde"); weeks and months
//   ahead ("nächste Woche", "la semana que viene", "le mois prochain", "来週", "下个月"); a day of the
//   month alone ("on the 15th", "am 15.", "el día 1", "le 1er", "20日", "20号") and a German day and month alone
//   ("am 20.12."); ends
//   of weeks, months and years and weekends ("end of month", "Monatsende", "a fin de mes", "fin du
//   mois", "月末", "月底", "this weekend"); clock times with the part of the day after them ("5 in the
//   afternoon", "8 Uhr abends", "5 de la tarde", "8h du soir") and parts of the day after a day
//   ("el lunes por la mañana", "samedi matin", "明日の朝"); distances ahead ("2 weeks from now", "en
//   dos semanas", "30分後", "两周后"); German clock words ("halb vier"); Japanese weekdays, weeks
//   and clock times ("来週の月曜日", "午後3時", "14:30"); Chinese weekdays with 周 ("下周一").
// One refiner more joins a Japanese date and time across の or に ("明日の午後3時"). Every call
// builds fresh objects. The casual and strict configurations are unchanged.
ModeOptio extendedCasualModeOption();

}  // namespace zarvo::chrono
