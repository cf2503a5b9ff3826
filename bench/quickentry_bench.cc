// Time per line of quick entry (QuickTaskParser.parse: date engine, list reference, flag) over the
// corpus of one-line to-dos in bench/data/todos.txt, with a handful of lists to choose from: with the
// library's default options, and with QuickEntryOptions::recommended (what the zarvo program reads
// with, here for an English and German reader).
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/quick_task_parser.h"

namespace {

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

std::vector<std::shared_ptr<zarvo::List>> lists() {
  std::vector<std::shared_ptr<zarvo::List>> out;
  for (const char* title : {"Reminders", "Work", "Family", "Shopping list", "Home Office", "Errands"}) {
    auto calendar = std::make_shared<zarvo::reminders::Calendar>(std::string("local/") + title,
                                                                 zarvo::reminders::EntityType::reminder);
    calendar->setTitle(title);
    out.push_back(zarvo::List::create(calendar, nullptr));
  }
  return out;
}

void BM_QuickTaskParsePerLine(benchmark::State& state) {
  const bool recommended = state.range(0) != 0;
  const auto& lines = corpus();
  if (lines.empty()) {
    state.SkipWithError("corpus bench/data/todos.txt not found");
    return;
  }
  const zarvo::platform::DateComponents c{.year = 2024, .month = 3, .day = 11, .hour = 10, .minute = 0};
  const zarvo::QuickTaskParser parser(
      std::make_shared<zarvo::platform::FixedClock>(zarvo::platform::DateCalendar::current().date(c)),
      recommended ? zarvo::QuickEntryOptions::recommended({zarvo::chrono::Language::german}, std::nullopt)
                  : zarvo::QuickEntryOptions{});
  const auto candidates = lists();
  for (const auto& line : lines) benchmark::DoNotOptimize(parser.parse(line, candidates));  // compile patterns
  size_t i = 0, withList = 0, withDate = 0;
  for (auto _ : state) {
    const zarvo::TaskDescription d = parser.parse(lines[i], candidates);
    withList += d.list != nullptr;
    withDate += d.chronoItem != nullptr;
    benchmark::DoNotOptimize(d);
    if (++i == lines.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["lines"] = static_cast<double>(lines.size());
  state.counters["dated/line"] = static_cast<double>(withDate) / static_cast<double>(state.iterations());
  state.counters["listed/line"] = static_cast<double>(withList) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_QuickTaskParsePerLine)->ArgName("recommended")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
