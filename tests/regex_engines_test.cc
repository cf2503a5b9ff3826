// The two regular-expression engines held against each other, over a generated corpus: every pattern
// the date engine and quick entry compile must give the same match ranges and groups under both, and
// the whole date engine must give the same results under both engines and with its prefilter on and
// off.
//
// The corpus: the benchmark's to-do lines, the phrases quoted in the date-engine and quick-entry
// tests, and seeded random lines mixing their words with digits, punctuation, CJK, combining marks
// and the characters the engines fold or classify differently. ZARVO_DIFFERENTIAL_LINES sets the
// number of random lines (default 300) for a longer run by hand; ZARVO_DIFFERENTIAL_SEED the seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/test_util.h"
#include "zarvo/platform/regex.h"
#include "zarvo/platform/regex_inventory.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/quick_task_parser.h"
#include "zarvo/testing/paths.h"

namespace zarvo {
namespace {

using chrono::Chrono;
using chrono::ParsedResult;
using platform::Match;
using platform::Range;
using platform::Regex;
using platform::RegexBackend;

size_t numberFromEnvironment(const char* name, size_t fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  return static_cast<size_t>(std::strtoull(value, nullptr, 10));
}

std::vector<std::string> linesOf(const std::filesystem::path& file) {
  std::vector<std::string> out;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

// The double-quoted literals of a C++ source without escapes in them: the phrases a test table holds.
void addQuotedPhrases(const std::filesystem::path& file, std::vector<std::string>& out) {
  std::ifstream in(file);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string source = buffer.str();
  for (size_t open = source.find('"'); open != std::string::npos;) {
    const size_t close = source.find('"', open + 1);
    if (close == std::string::npos) break;
    const std::string literal = source.substr(open + 1, close - open - 1);
    if (literal.size() >= 2 && literal.find('\\') == std::string::npos && literal.find('\n') == std::string::npos) {
      out.push_back(literal);
    }
    open = source.find('"', close + 1);
  }
}

// Characters the two engines fold or classify differently, and separators of every kind.
const std::vector<std::u16string>& oddities() {
  static const std::vector<std::u16string> list = {
      u"ß", u"ẞ", u"SS", u"ﬁ", u"\u212A", u"İ", u"ı", u"ς", u"Σ", u"ſ", u"\u0085", u"\u00A0", u"\u200B",
      u"\u200C", u"\u200D", u"\u2028", u"\u0301", u"e\u0301", u"\u0308", u"\u3000", u"１２", u"٣", u"۵",
      u"\U0001D7D8", u"：", u"／", u"、", u"。", u"\U0001F600", u"\U00020000", std::u16string(1, u'\xD800'),
      std::u16string(1, u'\xDC00'), u"\r\n", u"\t", u"-", u"/", u":", u".", u",", u"'", u"(", u")", u"#",
      u"{", u"}", u"!!", u"午後", u"下午", u"月", u"日", u"時", u"点", u"号", u"周", u"曜日", u"明日",
      u"三", u"十", u"Ⅻ", u"½", u"²"};
  return list;
}

std::vector<std::u16string> buildCorpus() {
  const std::filesystem::path root = zarvo::testing::sourceDir();
  std::vector<std::string> phrases = linesOf(root / "bench" / "data" / "todos.txt");
  EXPECT_FALSE(phrases.empty()) << "bench/data/todos.txt not found under " << root;
  for (const char* folder : {"zarvo/chrono", "zarvo/quickentry"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
      if (entry.path().filename().string().ends_with("_test.cc")) addQuotedPhrases(entry.path(), phrases);
    }
  }
  std::sort(phrases.begin(), phrases.end());
  phrases.erase(std::unique(phrases.begin(), phrases.end()), phrases.end());

  std::vector<std::u16string> corpus;
  std::vector<std::u16string> words;
  for (const std::string& phrase : phrases) {
    corpus.push_back(platform::utf16(phrase));
    std::istringstream split(phrase);
    for (std::string word; split >> word;) words.push_back(platform::utf16(word));
  }
  for (const std::u16string& odd : oddities()) words.push_back(odd);

  std::mt19937 random(static_cast<uint32_t>(numberFromEnvironment("ZARVO_DIFFERENTIAL_SEED", 15)));
  const size_t count = numberFromEnvironment("ZARVO_DIFFERENTIAL_LINES", 300);
  const std::vector<std::u16string>& odd = oddities();
  for (size_t n = 0; n < count; ++n) {
    std::u16string line;
    const int tokens = std::uniform_int_distribution<int>(1, 9)(random);
    for (int t = 0; t < tokens; ++t) {
      const int kind = std::uniform_int_distribution<int>(0, 9)(random);
      if (kind <= 5) {
        line += words[std::uniform_int_distribution<size_t>(0, words.size() - 1)(random)];
      } else if (kind <= 7) {
        line += platform::utf16(std::to_string(std::uniform_int_distribution<int>(0, 2100)(random)));
      } else {
        line += odd[std::uniform_int_distribution<size_t>(0, odd.size() - 1)(random)];
      }
      // Mostly spaces between tokens; sometimes nothing or punctuation, so tokens run together.
      const int glue = std::uniform_int_distribution<int>(0, 9)(random);
      if (glue <= 6) line += u' ';
      else if (glue == 7) line += u'/';
      else if (glue == 8) line += u':';
    }
    corpus.push_back(std::move(line));
  }
  return corpus;
}

const std::vector<std::u16string>& corpus() {
  static const std::vector<std::u16string> lines = buildCorpus();
  return lines;
}

Date reference() { return zarvo::testing::localDate(2024, 3, 11, 10, 0); }

// Restores the process-wide engine settings a test changes.
class EngineSettings {
 public:
  EngineSettings()
      : backend_(platform::regexBackend()),
        prefilter_(Chrono::prefilterEnabled()),
        language_(Chrono::preferredLanguage()) {}
  ~EngineSettings() {
    platform::setRegexBackend(backend_);
    Chrono::setPrefilterEnabled(prefilter_);
    Chrono::setPreferredLanguage(language_);
  }
  EngineSettings(const EngineSettings&) = delete;
  EngineSettings& operator=(const EngineSettings&) = delete;

 private:
  RegexBackend backend_;
  bool prefilter_;
  std::optional<chrono::Language> language_;
};

std::string describe(const std::optional<Match>& m) {
  if (!m) return "no match";
  std::string out;
  for (size_t g = 0; g < m->numberOfRanges(); ++g) {
    const Range r = m->range(g);
    if (!r.found()) {
      out += "[-]";
      continue;
    }
    out += '[';
    out += std::to_string(r.location);
    out += '+';
    out += std::to_string(r.length);
    out += ']';
  }
  return out;
}

// The text with every character outside printable ASCII spelt as \x{...}, so invisible ones show.
std::string visible(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\x{%04X}", static_cast<unsigned>(c));
      out += buffer;
    }
  }
  return out;
}

bool sameMatch(const std::optional<Match>& a, const std::optional<Match>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  if (a->numberOfRanges() != b->numberOfRanges()) return false;
  for (size_t g = 0; g < a->numberOfRanges(); ++g) {
    if (a->range(g) != b->range(g)) return false;
  }
  return true;
}

// Runs everything that compiles patterns over the corpus, so the inventory holds every pattern the
// date engine (each parser and refiner, both configurations, all languages) and quick entry use.
std::vector<std::u16string> patternsInUse() {
  const EngineSettings restore;
  Chrono::setPreferredLanguage(std::nullopt);
  QuickTaskParser quickEntry(std::make_shared<platform::FixedClock>(reference()));
  for (const std::u16string& line : corpus()) {
    (void)Chrono::casual().parse(line, reference());
    (void)Chrono::strict().parse(line, reference());
    (void)quickEntry.parse(line, {});
  }
  return platform::compiledRegexPatterns();
}

class RegexEnginesTest : public ::testing::Test {
 protected:
  zarvo::testing::ScopedTimeZone zone_{"Europe/Berlin"};
};

// The scan loop searches from the start and then from resume positions (one past a rejected match's
// start, or a result's end), each as the remaining text's own subject: the same searches are compared.
TEST_F(RegexEnginesTest, EveryPatternInUseMatchesAlikeUnderBothEngines) {
  const std::vector<std::u16string> patterns = patternsInUse();
  ASSERT_GT(patterns.size(), 40u);  // the inventory saw the engine's parsers at all
  size_t mismatches = 0;
  std::vector<std::string> referenceOnly;
  for (const std::u16string& pattern : patterns) {
    const auto reference = Regex::compile(pattern, RegexBackend::icu);
    const auto fast = Regex::compile(pattern, RegexBackend::pcre2);
    if (!reference || !fast) {
      // Without a PCRE2 form the pattern is always searched by the reference engine.
      if (reference) referenceOnly.push_back(platform::toUtf8(pattern));
      EXPECT_FALSE(!reference && fast) << "only PCRE2 accepts " << platform::toUtf8(pattern);
      continue;
    }
    for (const std::u16string& line : corpus()) {
      const auto size = static_cast<int64_t>(line.size());
      std::vector<int64_t> starts{0};
      for (size_t i = 0; i < starts.size() && i < 6 && mismatches < 20; ++i) {
        const Range range{starts[i], size - starts[i]};
        const std::optional<Match> want = reference->firstMatch(line, range);
        const std::optional<Match> got = fast->firstMatch(line, range);
        if (!sameMatch(want, got)) {
          ++mismatches;
          ADD_FAILURE() << "pattern " << platform::toUtf8(pattern) << "\n  text \"" << visible(line)
                        << "\" from " << starts[i] << "\n  icu   " << describe(want) << "\n  pcre2 " << describe(got);
        }
        if (!want) continue;
        const Range whole = want->range();
        if (whole.location + 1 < size) starts.push_back(whole.location + 1);
        if (i == 0 && whole.end() > whole.location + 1 && whole.end() < size) starts.push_back(whole.end());
      }
    }
  }
  std::cout << "[ compared ] " << patterns.size() << " patterns over " << corpus().size() << " lines\n";
  // Listed so that a pattern silently losing its fast form shows up in the log.
  for (const std::string& p : referenceOnly) std::cout << "[ reference engine only ] " << p << "\n";
}

bool sameResults(const std::vector<ParsedResult>& a, const std::vector<ParsedResult>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].index() != b[i].index() || a[i].text() != b[i].text() || a[i].tags() != b[i].tags() ||
        a[i].start() != b[i].start() || a[i].end() != b[i].end()) {
      return false;
    }
  }
  return true;
}

std::string describe(const std::vector<ParsedResult>& results) {
  std::string out;
  for (const ParsedResult& r : results) {
    out += "  " + std::to_string(r.index()) + " \"" + platform::toUtf8(r.text()) + "\" " +
           chrono::testing::iso(r.start().date()) + (r.end() ? " .. " + chrono::testing::iso(r.end()->date()) : "") + "\n";
  }
  return out.empty() ? "  nothing\n" : out;
}

// Reference: ICU without the prefilter. Every other combination must read every line the same way,
// in both configurations, with all languages and with a preferred one.
TEST_F(RegexEnginesTest, WholeEngineGivesTheSameResultsUnderEveryEngineAndPrefilterSetting) {
  const EngineSettings restore;
  struct Setting {
    RegexBackend backend;
    bool prefilter;
  };
  const Setting variants[] = {{RegexBackend::pcre2, false}, {RegexBackend::pcre2, true}, {RegexBackend::icu, true}};
  const std::optional<chrono::Language> languages[] = {std::nullopt, chrono::Language::german};
  size_t mismatches = 0;
  for (const auto& language : languages) {
    Chrono::setPreferredLanguage(language);
    for (const Chrono* engine : {&Chrono::casual(), &Chrono::strict()}) {
      for (const std::u16string& line : corpus()) {
        platform::setRegexBackend(RegexBackend::icu);
        Chrono::setPrefilterEnabled(false);
        const std::vector<ParsedResult> want = engine->parse(line, reference());
        for (const Setting& s : variants) {
          platform::setRegexBackend(s.backend);
          Chrono::setPrefilterEnabled(s.prefilter);
          const std::vector<ParsedResult> got = engine->parse(line, reference());
          if (!sameResults(want, got) && ++mismatches <= 20) {
            ADD_FAILURE() << (engine == &Chrono::casual() ? "casual" : "strict") << ", "
                          << platform::regexBackendName(s.backend) << ", prefilter " << (s.prefilter ? "on" : "off")
                          << ": \"" << visible(line) << "\"\n icu without prefilter:\n"
                          << describe(want) << " this setting:\n"
                          << describe(got);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace zarvo
