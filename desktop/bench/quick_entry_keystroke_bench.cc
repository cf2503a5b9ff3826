// Quick entry, one keystroke to the updated highlight on the screen: each line of the to-do corpus
// (bench/data/todos.txt) is typed into the window's quick-entry field one key at a time; a keystroke
// is timed from the key event sent to the field until the field, with its new highlight, has
// repainted (synchronously, on the offscreen platform). Counters: the median and the 99th percentile
// of all keystrokes, in microseconds.
//
// Run: desktop_keystroke_bench (QT_QPA_PLATFORM=offscreen is set when none is given).
#include <QApplication>
#include <QKeyEvent>
#include <QStyleFactory>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "desktop/quick_entry.h"
#include "desktop/snapshot.h"
#include "zarvo/home/settings.h"

namespace {

std::vector<QString> corpus() {
  std::vector<QString> lines;
  std::ifstream in(ZARVO_BENCH_DATA "/todos.txt");
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(QString::fromStdString(line));
  }
  return lines;
}

double percentile(std::vector<double> samples, double p) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  return samples[std::min(samples.size() - 1, size_t(p * double(samples.size())))];
}

void BM_QuickEntryKeystrokeToHighlight(benchmark::State& state) {
  zarvo::desktop::QuickEntry entry(zarvo::Settings::defaults().quickEntry);
  zarvo::desktop::Snapshot snapshot;
  for (const char* title : {"Reminders", "Work", "Family", "Shopping list", "Home Office", "Errands"}) {
    snapshot.lists.push_back({QStringLiteral("local/") + title, title, zarvo::platform::Colour::label(), 0, {}, {}, false});
  }
  snapshot.defaultListId = QStringLiteral("local/Reminders");
  entry.setLists(snapshot);
  entry.resize(640, entry.sizeHint().height());
  entry.show();
  QLineEdit* field = entry.field();
  field->setFocus();
  const std::vector<QString> lines = corpus();
  std::vector<double> micros;
  size_t highlighted = 0;  // lines that end with something highlighted: the parser did run
  for (auto _ : state) {
    for (const QString& line : lines) {
      field->clear();
      // One key per character (an emoji is one key, two UTF-16 units).
      for (const char32_t c : line.toUcs4()) {
        const QString text = QString::fromUcs4(&c, 1);
        const auto start = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(field, &press);
        field->repaint();
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, text);
        QApplication::sendEvent(field, &release);
      }
      if (field->text() != line) state.SkipWithError("the field did not take the keys");
      if (!entry.highlights().empty()) ++highlighted;
    }
  }
  state.counters["lines_highlighted"] = double(highlighted) / double(state.iterations());
  state.counters["keystrokes"] = double(micros.size());
  state.counters["p50_us"] = percentile(micros, 0.50);
  state.counters["p99_us"] = percentile(micros, 0.99);
  state.counters["max_us"] = percentile(micros, 1.0);
}
BENCHMARK(BM_QuickEntryKeystrokeToHighlight)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
