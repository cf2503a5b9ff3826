// Time per line of the date engine over a corpus of one-line to-dos (bench/data/todos.txt): the casual
// configuration (quick entry) and the strict one, under each regular-expression engine (pcre2:0 is
// ICU, pcre2:1 PCRE2) with the prefilter off and on; and the extended configuration as the zarvo
// program reads with it (every language reading the line on its own, the best reading kept).
// Patterns are compiled before timing starts.
// BM_LongInput: time per character of one long text (realistic to-dos, or adversarial repetitions) of
// 1,000 to 100,000 characters, casual configuration, PCRE2 and prefilter as the library defaults.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/mode_option.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/regex.h"
#include "zarvo/platform/text.h"

namespace {

using zarvo::chrono::Chrono;

const std::vector<std::u16string>& corpus() {
  static const std::vector<std::u16string> lines = [] {
    std::vector<std::u16string> out;
    std::ifstream in(ZARVO_BENCH_DATA "/todos.txt");
    for (std::string line; std::getline(in, line);) {
      if (!line.empty()) out.push_back(zarvo::platform::utf16(line));
    }
    return out;
  }();
  return lines;
}

zarvo::Date reference() {
  zarvo::platform::DateComponents c{.year = 2024, .month = 3, .day = 11, .hour = 10, .minute = 0};
  return zarvo::platform::DateCalendar::current().date(c);
}

// One iteration parses one line; the corpus is walked round-robin, so the mean is the time per line.
void parseLines(benchmark::State& state, const Chrono& chrono) {
  const auto& lines = corpus();
  if (lines.empty()) {
    state.SkipWithError("corpus bench/data/todos.txt not found");
    return;
  }
  const zarvo::Date ref = reference();
  for (const auto& line : lines) benchmark::DoNotOptimize(chrono.parse(line, ref));  // warm-up: compile patterns
  size_t i = 0;
  size_t results = 0;
  for (auto _ : state) {
    auto found = chrono.parse(lines[i], ref);
    results += found.size();
    benchmark::DoNotOptimize(found);
    if (++i == lines.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["lines"] = static_cast<double>(lines.size());
  state.counters["results/line"] =
      benchmark::Counter(static_cast<double>(results) / static_cast<double>(state.iterations()));
}

// Applies the benchmark's engine and prefilter arguments for the run, and restores the defaults.
class Setting {
 public:
  explicit Setting(const benchmark::State& state)
      : backend_(zarvo::platform::regexBackend()), prefilter_(Chrono::prefilterEnabled()) {
    zarvo::platform::setRegexBackend(state.range(0) ? zarvo::platform::RegexBackend::pcre2
                                                    : zarvo::platform::RegexBackend::icu);
    Chrono::setPrefilterEnabled(state.range(1) != 0);
  }
  ~Setting() {
    zarvo::platform::setRegexBackend(backend_);
    Chrono::setPrefilterEnabled(prefilter_);
  }
  Setting(const Setting&) = delete;
  Setting& operator=(const Setting&) = delete;

 private:
  zarvo::platform::RegexBackend backend_;
  bool prefilter_;
};

void BM_CasualParsePerLine(benchmark::State& state) {
  const Setting setting(state);
  parseLines(state, Chrono::casual());
}
void BM_StrictParsePerLine(benchmark::State& state) {
  const Setting setting(state);
  parseLines(state, Chrono::strict());
}

// The whole corpus per iteration, each line timed on its own: reports the median and the 90th
// percentile of the time per line (in microseconds) as counters, so short lines do not hide slow ones.
void lineTimes(benchmark::State& state, const Chrono& chrono) {
  const auto& lines = corpus();
  if (lines.empty()) {
    state.SkipWithError("corpus bench/data/todos.txt not found");
    return;
  }
  const zarvo::Date ref = reference();
  for (const auto& line : lines) benchmark::DoNotOptimize(chrono.parse(line, ref));  // warm-up: compile patterns
  std::vector<double> micros;
  for (auto _ : state) {
    for (const auto& line : lines) {
      const auto begin = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(chrono.parse(line, ref));
      micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
    }
  }
  std::sort(micros.begin(), micros.end());
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["p90_us"] = micros[micros.size() * 9 / 10];
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
}

void BM_CasualLineTimes(benchmark::State& state) {
  const Setting setting(state);
  lineTimes(state, Chrono::casual());
}
void BM_StrictLineTimes(benchmark::State& state) {
  const Setting setting(state);
  lineTimes(state, Chrono::strict());
}

// The extended configuration, each language reading the line on its own and the best reading kept,
// as the zarvo program's settings read for a reader of English and German (Japanese and Chinese for
// lines in their script). Alone, with every language at once, it shows the extra parsers' cost.
const Chrono& extended(bool byEvidence) {
  static const auto make = [](bool evidence) {
    zarvo::chrono::ReaderOptions options;
    if (evidence) {
      options.languageChoice = zarvo::chrono::ReaderOptions::LanguageChoice::byEvidence;
      options.preferredLanguage = zarvo::chrono::Language::german;
      options.languages = std::set{zarvo::chrono::Language::english, zarvo::chrono::Language::german};
      options.cjkByScript = true;
    }
    return Chrono(zarvo::chrono::extendedCasualModeOption(), options);
  };
  static const Chrono plain = make(false);
  static const Chrono evidence = make(true);
  return byEvidence ? evidence : plain;
}
void BM_ExtendedLineTimes(benchmark::State& state) {
  const Setting setting(state);
  lineTimes(state, extended(false));
}
void BM_ExtendedByEvidenceLineTimes(benchmark::State& state) {
  const Setting setting(state);
  lineTimes(state, extended(true));
}

// One text of state.range(1) characters of the kind state.range(0) names.
enum LongKind { kRealistic, kRepeatedDigits, kSpacedOnes, kMonthNames, kSlashedOnes, kTimes };

std::u16string longText(int64_t kind, int64_t length) {
  std::u16string unit;
  switch (kind) {
    case kRealistic:
      for (const auto& line : corpus()) unit += line + u". ";
      break;
    case kRepeatedDigits: unit = u"1"; break;
    case kSpacedOnes: unit = u"1 "; break;
    case kSlashedOnes: unit = u"1/"; break;
    case kTimes: unit = u"at 10:30 tomorrow "; break;
    default: unit = u"January February March April May June July August September October November December "; break;
  }
  std::u16string text;
  while (static_cast<int64_t>(text.size()) < length) text += unit;
  text.resize(static_cast<size_t>(length));
  return text;
}

void BM_LongInput(benchmark::State& state) {
  const std::u16string text = longText(state.range(0), state.range(1));
  const zarvo::Date ref = reference();
  benchmark::DoNotOptimize(Chrono::casual().parse(text, ref));  // warm-up: compile patterns
  for (auto _ : state) benchmark::DoNotOptimize(Chrono::casual().parse(text, ref));
  state.counters["ns_per_char"] = benchmark::Counter(static_cast<double>(text.size()) * 1e-9,
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void engineArguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"pcre2", "prefilter"})->ArgsProduct({{0, 1}, {0, 1}});
}

BENCHMARK(BM_CasualParsePerLine)->Apply(engineArguments)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StrictParsePerLine)->Apply(engineArguments)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CasualLineTimes)->Apply(engineArguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrictLineTimes)->Apply(engineArguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtendedLineTimes)->Args({1, 1})->ArgNames({"pcre2", "prefilter"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtendedByEvidenceLineTimes)->Args({1, 1})->ArgNames({"pcre2", "prefilter"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongInput)
    ->ArgNames({"kind", "chars"})
    ->ArgsProduct({{kRealistic, kRepeatedDigits, kSpacedOnes, kMonthNames, kSlashedOnes, kTimes}, {1'000, 10'000, 100'000}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  zarvo::platform::DateCalendar::setProcessTimeZone("Europe/Berlin");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
