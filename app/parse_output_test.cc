#include "app/parse_output.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "zarvo/chrono/chrono.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/testing/dates.h"

namespace zarvo::app {
namespace {

using chrono::ComponentUnit;
using chrono::ParsedResult;
using chrono::TagUnit;
using testing::localDate;
using testing::ScopedTimeZone;

// What the JSON library prints for a document; --batch must print the same bytes.
std::string libraryLine(Date ref, const std::vector<ParsedResult>& results) {
  return parseResultsJson(ref, results).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string directLine(Date ref, const std::vector<ParsedResult>& results) {
  std::string out;
  appendParseResultsJsonLine(out, platform::isoString(ref), results);
  return out;
}

struct OddText {
  const char* what;
  std::u16string text;
  const char* json;  // the "text" value as printed
};

std::ostream& operator<<(std::ostream& out, const OddText& c) { return out << c.what; }

class BatchLineEscapingTest : public ::testing::TestWithParam<OddText> {};

TEST_P(BatchLineEscapingTest, PrintsTheTextAsTheJsonLibraryDoes) {
  ScopedTimeZone zone("Europe/Berlin");
  const OddText& c = GetParam();
  const Date ref = localDate(2024, 3, 11, 12);
  const std::vector<ParsedResult> results{
      ParsedResult(ref, 3, c.text, {TagUnit::enCasualDateParser},
                   chrono::ComponentMap{{ComponentUnit::year, 2024}, {ComponentUnit::month, 3}, {ComponentUnit::day, 12}},
                   chrono::ComponentMap{{ComponentUnit::hour, 17}})};
  const std::string line = directLine(ref, results);
  EXPECT_EQ(line, libraryLine(ref, results)) << c.what;
  EXPECT_NE(line.find(std::string("\"text\":") + c.json + ","), std::string::npos) << c.what << ": " << line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchLineEscapingTest,
    ::testing::Values(
        OddText{"plain", u"tomorrow", R"("tomorrow")"},
        OddText{"quotes", u"say \"hi\" tomorrow", R"("say \"hi\" tomorrow")"},
        OddText{"backslash", u"C:\\todo\\ tomorrow", R"("C:\\todo\\ tomorrow")"},
        OddText{"short escapes", u"a\b\f\n\r\tz", R"("a\b\f\n\r\tz")"},
        OddText{"other controls", std::u16string(u"\x01\x1f") + char16_t{0} + u"x", R"("\u0001\u001f\u0000x")"},
        OddText{"delete passes through", u"a\x7f", "\"a\x7f\""},
        OddText{"two-byte UTF-8", u"demain à 15h", "\"demain \xC3\xA0 15h\""},
        OddText{"CJK", u"明日の午後3時", "\"\xE6\x98\x8E\xE6\x97\xA5\xE3\x81\xAE\xE5\x8D\x88\xE5\xBE\x8C" "3\xE6\x99\x82\""},
        OddText{"emoji (a surrogate pair)", u"\U0001F389 friday", "\"\xF0\x9F\x8E\x89 friday\""},
        OddText{"line separator", u"a\u2028b", "\"a\xE2\x80\xA8" "b\""},
        OddText{"lone lead surrogate", std::u16string(u"a") + char16_t{0xD83C} + u"b", "\"a\xEF\xBF\xBD" "b\""},
        OddText{"lone trail surrogate at the end", std::u16string(u"a") + char16_t{0xDF89}, "\"a\xEF\xBF\xBD\""},
        OddText{"empty", u"", R"("")"}));

struct Batch {
  const char* zone;
  const char* text;
  bool strict;
};

std::ostream& operator<<(std::ostream& out, const Batch& c) { return out << c.zone << ": " << c.text; }

class BatchLineTest : public ::testing::TestWithParam<Batch> {};

// Whole engine results (ranges with an end, several results, none, every tag and unit the engine
// fills in) come out as the JSON library would print them, in zones with odd offsets too.
TEST_P(BatchLineTest, MatchesTheLibraryDocument) {
  const Batch& c = GetParam();
  ScopedTimeZone zone(c.zone);
  const Date ref = localDate(2024, 3, 31, 1, 30);
  const auto& engine = c.strict ? chrono::Chrono::strict() : chrono::Chrono::casual();
  const std::vector<ParsedResult> results = engine.parse(*platform::toUtf16(c.text), ref);
  EXPECT_EQ(directLine(ref, results), libraryLine(ref, results)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchLineTest,
    ::testing::Values(Batch{"Europe/Berlin", "from monday 3pm to friday 5pm", false},
                      Batch{"Europe/Berlin", "buy milk", false},
                      Batch{"America/St_Johns", "call mom tomorrow at 5pm, then sat 9:30", false},
                      Batch{"Asia/Kolkata", "明日の午後3時に会議 and 下周三下午两点", false},
                      Batch{"Australia/Lord_Howe", "2024-04-07T01:45:00-05:00 until 2024-12-31", true},
                      Batch{"UTC", "in 3 days", false}));

}  // namespace
}  // namespace zarvo::app
