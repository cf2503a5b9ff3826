#include "zarvo/quickentry/quick_task_parser.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"
#include "zarvo/platform/text.h"

namespace zarvo {
namespace {

using chrono::testing::iso;
using chrono::testing::localDate;
using platform::Range;
using platform::toUtf8;

// A list whose calendar carries `title`; no store or context is needed to read titles.
std::shared_ptr<List> listTitled(const std::string& title) {
  auto calendar = std::make_shared<reminders::Calendar>("local/" + title, reminders::EntityType::reminder);
  calendar->setTitle(title);
  auto list = List::create(calendar, nullptr);
  return list;
}

class QuickTaskParserTest : public ::testing::Test {
 protected:
  chrono::testing::ScopedTimeZone zone_{"Europe/Berlin"};
  QuickTaskParser parser_{std::make_shared<platform::FixedClock>(localDate(2024, 3, 11, 10, 0))};
  std::shared_ptr<List> work_ = listTitled("Work");
  std::shared_ptr<List> family_ = listTitled("Family");
  std::shared_ptr<List> shopping_ = listTitled("Shopping list");
  std::shared_ptr<List> cafe_ = listTitled("Café");
  std::shared_ptr<List> noCalendar_ = List::create(nullptr, nullptr);
  std::vector<std::shared_ptr<List>> lists_{noCalendar_, work_, family_, shopping_, cafe_};

  std::string listTitle(const TaskDescription& d) const { return d.list ? d.list->title() : "(none)"; }
};

struct Line {
  const char16_t* text;
  const char16_t* string;
  const char16_t* title;
  const char* list;            // title of the chosen list, or "(none)"
  const char16_t* parsedList;  // nullptr: none
  bool flagged;
};

class QuickTaskParserLines : public QuickTaskParserTest, public ::testing::WithParamInterface<Line> {};

TEST_P(QuickTaskParserLines, ReadsTitleListAndFlag) {
  const Line& l = GetParam();
  const TaskDescription d = parser_.parse(std::u16string_view(l.text), lists_);
  const std::string input = toUtf8(l.text);
  EXPECT_EQ(toUtf8(d.string), toUtf8(l.string)) << input;
  EXPECT_EQ(toUtf8(d.title), toUtf8(l.title)) << input;
  EXPECT_EQ(listTitle(d), l.list) << input;
  EXPECT_EQ(d.listTitleRange.has_value(), d.list != nullptr) << input;
  if (l.parsedList) {
    ASSERT_TRUE(d.parsedList) << input;
    EXPECT_EQ(toUtf8(*d.parsedList), toUtf8(l.parsedList)) << input;
    ASSERT_TRUE(d.parsedListRange) << input;
    EXPECT_EQ(toUtf8(platform::substring(d.string, d.parsedListRange->location, d.parsedListRange->length)),
              toUtf8(l.parsedList))
        << input;
  } else {
    EXPECT_FALSE(d.parsedList) << input;
    EXPECT_FALSE(d.parsedListRange) << input;
  }
  EXPECT_EQ(d.flagged, l.flagged) << input;
}

INSTANTIATE_TEST_SUITE_P(
    Table, QuickTaskParserLines,
    ::testing::Values(
        // Empty and plain text.
        Line{u"", u"", u"", "(none)", nullptr, false},
        Line{u"  Buy milk\t", u"Buy milk", u"Buy milk", "(none)", nullptr, false},
        // Hash references: one word, any letter case; the match stops at a space.
        Line{u"Call mom #family", u"Call mom #family", u"Call mom", "Family", u"#family", false},
        Line{u"#WORK prepare slides", u"#WORK prepare slides", u"prepare slides", "Work", u"#WORK", false},
        Line{u"Eggs #shopping list", u"Eggs #shopping list", u"Eggs  list", "(none)", u"#shopping", false},
        // Brace references: spaces inside the name count; a closing brace is optional.
        Line{u"{Shopping list} eggs", u"{Shopping list} eggs", u"eggs", "Shopping list", u"{Shopping list}", false},
        Line{u"eggs {shopping LIST", u"eggs {shopping LIST", u"eggs", "Shopping list", u"{shopping LIST", false},
        Line{u"{ Shopping list} eggs", u"{ Shopping list} eggs", u"eggs", "(none)", u"{ Shopping list}", false},
        // Accents count, case does not.
        Line{u"Beans #cafe", u"Beans #cafe", u"Beans", "(none)", u"#cafe", false},
        Line{u"Beans #CAFÉ", u"Beans #CAFÉ", u"Beans", "Café", u"#CAFÉ", false},
        // An unknown name is still taken out of the title.
        Line{u"Report #nowhere", u"Report #nowhere", u"Report", "(none)", u"#nowhere", false},
        // Only the first reference counts; every occurrence of its text leaves the title.
        Line{u"#work then #family", u"#work then #family", u"then #family", "Work", u"#work", false},
        Line{u"#work and #work again", u"#work and #work again", u"and  again", "Work", u"#work", false},
        // Flags: exactly two marks are removed, decided before the reference is.
        Line{u"Pay rent !!", u"Pay rent !!", u"Pay rent", "(none)", nullptr, true},
        Line{u"Pay rent!!!", u"Pay rent!!!", u"Pay rent!", "(none)", nullptr, true},
        Line{u"!!", u"!!", u"", "(none)", nullptr, true},
        Line{u"Pay rent !! #work", u"Pay rent !! #work", u"Pay rent !!", "Work", u"#work", false},
        Line{u"Buy #work stuff !!", u"Buy #work stuff !!", u"Buy  stuff", "Work", u"#work", true},
        // The date phrase leaves first; the flag and the reference are read on what is left.
        Line{u"Call mom tomorrow at 5pm #Family !!", u"Call mom #Family !!", u"Call mom", "Family", u"#Family", true},
        Line{u"Pay rent !! tomorrow", u"Pay rent !!", u"Pay rent", "(none)", nullptr, true},
        Line{u"tomorrow", u"", u"", "(none)", nullptr, false},
        Line{u"下星期一 交報告 #work !!", u"交報告 #work !!", u"交報告", "Work", u"#work", true}));

TEST_F(QuickTaskParserTest, DueDateComesFromTheDateEngine) {
  const TaskDescription d = parser_.parse(std::string_view("Call mom tomorrow at 5pm #family !!"), lists_);
  ASSERT_TRUE(d.chronoItem);
  EXPECT_EQ(toUtf8(d.chronoItem->parsedDateString()), "tomorrow at 5pm");
  ASSERT_TRUE(d.dueDate());
  EXPECT_EQ(iso(*d.dueDate()), iso(localDate(2024, 3, 12, 17, 0)));

  const TaskDescription none = parser_.parse(std::string_view("Call mom #family"), lists_);
  EXPECT_FALSE(none.chronoItem);
  EXPECT_FALSE(none.dueDate());
}

TEST_F(QuickTaskParserTest, OtherLanguagesAreReadWhereEnglishFindsNothing) {
  struct Row {
    const char* line;
    const char* title;
    Date due;
  };
  const Row rows[] = {
      {"Arzt anrufen morgen um 5", "Arzt anrufen", localDate(2024, 3, 12, 5, 0)},
      {"Zahnarzt #work nächsten Dienstag um 17 Uhr", "Zahnarzt", localDate(2024, 3, 19, 17, 0)},
      {"Llamar a mamá mañana a las 5", "Llamar a mamá", localDate(2024, 3, 12, 5, 0)},
      {"Appeler le garage demain à 17h", "Appeler le garage", localDate(2024, 3, 12, 17, 0)},
      // Faithful to the engine: with nothing English in the line, "do" is read as a German Thursday.
      {"do laundry", "laundry", localDate(2024, 3, 14, 12, 0)},
  };
  for (const Row& row : rows) {
    const TaskDescription d = parser_.parse(std::string_view(row.line), lists_);
    EXPECT_EQ(toUtf8(d.title), row.title) << row.line;
    ASSERT_TRUE(d.dueDate()) << row.line;
    EXPECT_EQ(iso(*d.dueDate()), iso(row.due)) << row.line;
  }
}

// Far dates are read exactly, in every language, whatever the year: nothing is moved to the nearest
// date some narrower clock holds. Whether a task may keep the date is the caller's check.
TEST(QuickTaskParserFarDates, AreReadExactlyAndOnlyTheKeptYearsPassTheCheck) {
  chrono::testing::ScopedTimeZone zone{"UTC"};
  const QuickTaskParser parser{std::make_shared<platform::FixedClock>(chrono::testing::utcDate(2024, 3, 11, 10, 0))};
  struct Row {
    const char* line;
    const char* title;
    const char* due;
    bool kept;
  };
  const Row rows[] = {
      {"time capsule in 300 years", "time capsule", "2324-03-11T12:00:00.000+00:00", true},
      {"end of days 9999-12-31", "end of days", "9999-12-31T12:00:00.000+00:00", true},
      {"day zero 0000-01-01", "day zero", "0000-01-01T12:00:00.000+00:00", false},
      {"Iden 15. März 44 v. Chr.", "Iden", "-0044-03-15T12:00:00.000+00:00", false},
      {"古い約束 24年3月5日", "古い約束", "0024-03-05T12:00:00.000+00:00", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const TaskDescription d = parser.parse(std::string_view(row.line), {});
    EXPECT_EQ(toUtf8(d.title), row.title);
    ASSERT_TRUE(d.dueDate());
    EXPECT_EQ(iso(*d.dueDate()), row.due);
    EXPECT_EQ(platform::isKeptDate(*d.dueDate()), row.kept);
  }
}

TEST_F(QuickTaskParserTest, RangesReferToStringAndToInputWhenADatePrecedesTheReference) {
  const TaskDescription d = parser_.parse(std::u16string_view(u"tomorrow call #work"), lists_);
  EXPECT_EQ(toUtf8(d.string), "call #work");
  EXPECT_EQ(d.parsedListRange, (Range{5, 5}));
  EXPECT_EQ(d.listTitleRange, (Range{14, 5}));

  // Without a date before it the two agree.
  const TaskDescription same = parser_.parse(std::u16string_view(u"call #work tomorrow"), lists_);
  EXPECT_EQ(same.parsedListRange, (Range{5, 5}));
  EXPECT_EQ(same.listTitleRange, (Range{5, 5}));
}

TEST_F(QuickTaskParserTest, EmojiCountsTwoCodeUnitsInBothRanges) {
  const TaskDescription d = parser_.parse(std::u16string_view(u"\U0001F389 party tomorrow {family}"), lists_);
  EXPECT_EQ(toUtf8(d.title), "\U0001F389 party");
  EXPECT_EQ(d.list, family_);
  EXPECT_EQ(d.parsedListRange, (Range{9, 8}));
  EXPECT_EQ(d.listTitleRange, (Range{18, 8}));
}

TEST_F(QuickTaskParserTest, FirstOfTwoListsDifferingInCaseWins) {
  auto lower = listTitled("work");
  EXPECT_EQ(parser_.parse(std::string_view("x #WORK"), {work_, lower}).list, work_);
  EXPECT_EQ(parser_.parse(std::string_view("x #WORK"), {lower, work_}).list, lower);
}

TEST_F(QuickTaskParserTest, NoListsNoListEvenWithAReference) {
  const TaskDescription d = parser_.parse(std::string_view("x #work"), {});
  EXPECT_FALSE(d.list);
  EXPECT_FALSE(d.listTitleRange);
  EXPECT_EQ(toUtf8(d.title), "x");
}

// The chosen list's title goes into the locating pattern unescaped: a "|" in it splits the
// alternation, so the range may point at a lone letter before the reference.
TEST_F(QuickTaskParserTest, ListTitleWithRegexCharactersFormsThePatternUnescaped) {
  auto alternatives = listTitled("a|b");
  const TaskDescription d = parser_.parse(std::string_view("Tab {A|B}"), {alternatives});
  EXPECT_EQ(d.list, alternatives);
  EXPECT_EQ(toUtf8(d.title), "Tab");
  EXPECT_EQ(d.listTitleRange, (Range{2, 1}));  // "b" of "Tab", the pattern's second alternative

  const TaskDescription plain = parser_.parse(std::string_view("Go {A|B}"), {alternatives});
  EXPECT_EQ(plain.listTitleRange, (Range{3, 5}));
}

}  // namespace
}  // namespace zarvo
