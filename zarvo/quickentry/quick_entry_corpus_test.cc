// The quick-entry corpus (corpus/README.md): every line read with the options the zarvo program uses
// by default, for a person whose locale is the line's language. Each line must be read as meant,
// except the lines marked as known misses, which must still be missed (a fixed line loses its mark).
// The share read right per language is printed for both parts of the corpus.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "zarvo/chrono/test_util.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/quick_task_parser.h"
#include "zarvo/testing/paths.h"

namespace zarvo {
namespace {

using chrono::Language;

struct CorpusLine {
  std::string language, line, due, title, list, rule;
  bool flagged = false;
  bool knownMiss = false;
};

std::vector<CorpusLine> readCorpus(const std::string& file) {
  std::ifstream in(testing::sourceDir() / "zarvo" / "quickentry" / "corpus" / file);
  EXPECT_TRUE(in) << file;
  std::vector<CorpusLine> lines;
  for (std::string text; std::getline(in, text);) {
    if (text.empty() || text[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream cellsIn(text);
    for (std::string cell; std::getline(cellsIn, cell, '\t');) cells.push_back(cell);
    cells.resize(8, "-");
    lines.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[6], cells[5] == "1", cells[7] == "miss"});
  }
  return lines;
}

Language languageOf(const std::string& code) {
  static const std::map<std::string, Language> kCodes = {{"en", Language::english}, {"de", Language::german},
                                                         {"es", Language::spanish}, {"fr", Language::french},
                                                         {"ja", Language::japanese}, {"zh", Language::chinese}};
  return kCodes.at(code);
}

// The due as the corpus writes it: "-", a day, or a wall-clock moment.
std::string dueOf(const TaskDescription& d) {
  const auto due = d.dueDate();
  if (!due) return "-";
  const std::string iso = platform::isoString(*due);
  return d.dueIsAllDay() ? iso.substr(0, 10) : iso.substr(0, 16);
}

// What is wrong with the reading of `row`; empty when it is read as meant.
std::string misreading(const CorpusLine& row, const std::vector<std::shared_ptr<List>>& lists,
                       const std::shared_ptr<const platform::Clock>& clock) {
  const Language language = languageOf(row.language);
  std::set<Language> languages;
  if (language != Language::english) languages.insert(language);
  QuickEntryOptions options = QuickEntryOptions::recommended(languages, language);
  options.reminders = true;  // as zarvo add reads its lines
  const QuickTaskParser parser(clock, options);
  const TaskDescription d = parser.parse(std::string_view(row.line), lists);
  std::string wrong;
  const auto check = [&](const char* what, const std::string& got, const std::string& want) {
    if (got != want) wrong += std::string(wrong.empty() ? "" : "; ") + what + " " + got + " (want " + want + ")";
  };
  check("due", dueOf(d), row.due);
  check("title", platform::toUtf8(d.title), row.title);
  check("list", d.list ? d.list->title() : "-", row.list);
  check("flagged", d.flagged ? "1" : "0", row.flagged ? "1" : "0");
  check("repetition", d.recurrenceRule().value_or("-"), row.rule);
  return wrong;
}

class QuickEntryCorpusTest : public ::testing::TestWithParam<const char*> {
 protected:
  QuickEntryCorpusTest() {
    std::ifstream in(testing::sourceDir() / "zarvo" / "quickentry" / "corpus" / "lists.txt");
    for (std::string title; std::getline(in, title);) {
      if (title.empty()) continue;
      auto calendar = std::make_shared<reminders::Calendar>("corpus/" + title, reminders::EntityType::reminder);
      calendar->setTitle(title);
      lists_.push_back(List::create(calendar, nullptr));
    }
  }

  chrono::testing::ScopedTimeZone zone_{"Europe/Berlin"};
  std::shared_ptr<const platform::Clock> clock_ =
      std::make_shared<platform::FixedClock>(chrono::testing::localDate(2026, 12, 6, 14, 50));
  std::vector<std::shared_ptr<List>> lists_;
};

TEST_P(QuickEntryCorpusTest, LinesAreReadAsMeant) {
  std::map<std::string, std::pair<int, int>> score;  // language -> right, all
  for (const CorpusLine& row : readCorpus(GetParam())) {
    const std::string wrong = misreading(row, lists_, clock_);
    auto& [right, all] = score[row.language];
    ++all;
    if (wrong.empty()) ++right;
    if (row.knownMiss) {
      EXPECT_FALSE(wrong.empty()) << row.line << ": read as meant now; remove its mark";
    } else {
      EXPECT_TRUE(wrong.empty()) << row.line << ": " << wrong;
    }
  }
  std::string summary = GetParam();
  for (const auto& [language, counts] : score) {
    summary += " " + language + " " + std::to_string(counts.first) + "/" + std::to_string(counts.second);
  }
  std::cout << summary << '\n';
}

INSTANTIATE_TEST_SUITE_P(Corpus, QuickEntryCorpusTest, ::testing::Values("tuning.tsv", "heldout.tsv"),
                         [](const auto& info) { return std::string(info.param).substr(0, info.param[0] == 't' ? 6 : 7); });

}  // namespace
}  // namespace zarvo
