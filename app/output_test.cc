#include "app/output.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace zarvo::app {
namespace {

using platform::Colour;

std::string written(const Styled& text) {
  std::ostringstream stream;
  Output(stream).line(text);
  return stream.str();
}

TEST(OutputTest, EveryRunIsEscapedAndOnlyTheProgramsStylesReachTheTerminal) {
  const std::string hostile = "a\x1b]0;owned\x07 \x1b[31mb\u202Ec\nd\xC2\x9B";
  const std::string escaped = "a\\x1B]0;owned\\x07 \\x1B[31mb\\u202Ec\\nd\\u009B";
  EXPECT_EQ(written(hostile), escaped + "\n");
  EXPECT_EQ(written("id  " + paint(hostile, Colour::systemRed(), true) + highlight("x", true)),
            "id  \x1b[31m" + escaped + "\x1b[0m\x1b[1;4mx\x1b[0m\n");
  // The label colour and a disabled paint are plain text; a highlight keeps its mark without colour.
  EXPECT_EQ(written(paint(hostile, Colour::label(), true)), escaped + "\n");
  EXPECT_EQ(written(paint("late", Colour::systemRed(), false) + highlight("tomorrow", false)), "late[tomorrow]\n");
  // Escaped text stays as it is: measuring escaped text and writing it agree.
  EXPECT_EQ(written(escaped), escaped + "\n");
  // A separator is the one tab that reaches the stream as a tab.
  EXPECT_EQ(written("1" + Styled::separator() + "a\tb"), "1\ta\\tb\n");
  EXPECT_EQ(Styled("a" + paint("b", Colour::systemRed(), true) + "c").plain(), "abc");
}

// Appending text, a moved Styled or a copied one builds the same runs as joining Styled values:
// plain text joins plain text only, never a painted run or a separator.
TEST(OutputTest, AppendingInPlaceWritesWhatJoiningWrites) {
  const std::string hostile = "t\x1b[2J\u202E";
  const Styled red = paint("late", Colour::systemRed(), true);
  Styled joined = Styled("id ") + red + Styled(hostile) + Styled::separator() + Styled("x") + red + Styled("y");
  Styled appended;
  appended += "id ";
  appended += Styled(red);
  appended += hostile;
  appended += Styled::separator();
  appended += std::string("x");
  appended += red;
  appended += std::string_view("y");
  appended += "";
  EXPECT_EQ(written(appended), written(joined));
  EXPECT_EQ(appended.plain(), joined.plain());
  EXPECT_EQ(written(appended), "id \x1b[31mlate\x1b[0mt\\x1B[2J\\u202E\tx\x1b[31mlate\x1b[0my\n");
}

// Lines are written in blocks; a listing longer than a block comes out whole and in order.
TEST(OutputTest, ManyLinesComeOutWholeAndInOrder) {
  Lines lines;
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    const std::string text = "line " + std::to_string(i) + std::string(static_cast<size_t>(i % 40), '-');
    lines.push_back(text + paint("x", Colour::systemRed(), i % 2 == 0));
    expected += text + (i % 2 == 0 ? "\x1b[31mx\x1b[0m" : "x") + "\n";
  }
  std::ostringstream stream;
  Output(stream).lines(lines);
  EXPECT_EQ(stream.str(), expected);
}

// Many plain lines in one text come out as line() writes each: escaped, the line ends kept.
TEST(OutputTest, PlainLinesAreEachWrittenAsALine) {
  const std::vector<std::string> texts = {"plain", "", "t\x1b[2J\u202E\r", "tab\there", "last"};
  std::ostringstream oneByOne;
  Output each(oneByOne);
  std::string joined;
  for (const auto& text : texts) {
    each.line(text);
    joined += text + "\n";
  }
  std::ostringstream atOnce;
  Output(atOnce).plainLines(joined);
  EXPECT_EQ(atOnce.str(), oneByOne.str());
  EXPECT_EQ(atOnce.str(), "plain\n\nt\\x1B[2J\\u202E\\r\ntab\\there\nlast\n");
  // A text whose last line has no end still ends it, as line() does; an empty text writes nothing.
  std::ostringstream unended;
  Output(unended).plainLines("a\nb");
  Output(unended).plainLines("");
  EXPECT_EQ(unended.str(), "a\nb\n");
}

TEST(OutputTest, JsonStaysTheSameDocumentAndInert) {
  nlohmann::ordered_json document = {{"title", "x\x1b[2J\x7f\xC2\x85\u2028\u202E\u2067 ✓ 明日"}, {"n", 1}};
  for (const int indent : {-1, 2}) {
    const std::string dumped = document.dump(indent);
    std::ostringstream stream;
    Output(stream).json(dumped);
    const std::string text = stream.str();
    for (const char* raw : {"\x1b", "\x7f", "\xC2\x85", "\u2028", "\u202E", "\u2067"}) {
      EXPECT_EQ(text.find(raw), std::string::npos) << indent << ": " << text;
    }
    EXPECT_NE(text.find("✓ 明日"), std::string::npos);
    EXPECT_EQ(nlohmann::ordered_json::parse(text), document) << text;
  }
}

// The writer protects only what goes through it. Nothing else in the program may reach the
// standard streams or write a terminal escape of its own: a command added later cannot print raw.
TEST(OutputTest, OnlyTheWriterReachesTheStandardStreams) {
  const std::regex forbidden(
      R"(std::(cout|cerr|clog|wcout|wcerr|puts|putchar)\b|\b(stdout|stderr|STDERR_FILENO)\b|\b(f?printf|fputs|fwrite|fmt::print|dprintf)\s*\(|::write\s*\(|\\(x1[bB]|033|u001[bB]|e\[))");
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(ZARVO_APP_SOURCE_DIR)) {
    const std::string name = entry.path().filename().string();
    const bool source = entry.path().extension() == ".cc" || entry.path().extension() == ".h";
    if (!source || name.ends_with("_test.cc") || name == "output.cc") continue;
    ++files;
    std::ifstream in(entry.path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (const size_t comment = line.find("//"); comment != std::string::npos) line.erase(comment);
      EXPECT_FALSE(std::regex_search(line, forbidden)) << name << ":" << number << ": " << line;
    }
  }
  EXPECT_GT(files, 40u);
}

}  // namespace
}  // namespace zarvo::app
