// Time per line of the date engine over a corpus of one-line to-dos (bench/data/todos.txt): the casual
// configuration (quick entry) and the strict one. Patterns are compiled before timing starts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "zarvo/chrono/chrono.h"
#include "zarvo/platform/date_calendar.h"
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

void BM_CasualParsePerLine(benchmark::State& state) { parseLines(state, Chrono::casual()); }
void BM_StrictParsePerLine(benchmark::State& state) { parseLines(state, Chrono::strict()); }

// The whole corpus per iteration, each line timed on its own: reports the median and the 90th
// percentile of the time per line (in microseconds) as counters, so short lines do not hide slow ones.
void lineTimes(benchmark::State& state, const Chrono& chrono) {
  const auto& lines = corpus();
  if (lines.empty()) {
    state.SkipWithError("corpus bench/data/todos.txt not found");
    return;
  }
  const zarvo::Date ref = reference();
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

void BM_CasualLineTimes(benchmark::State& state) { lineTimes(state, Chrono::casual()); }
void BM_StrictLineTimes(benchmark::State& state) { lineTimes(state, Chrono::strict()); }

BENCHMARK(BM_CasualParsePerLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StrictParsePerLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CasualLineTimes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrictLineTimes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  zarvo::platform::DateCalendar::setProcessTimeZone("Europe/Berlin");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
