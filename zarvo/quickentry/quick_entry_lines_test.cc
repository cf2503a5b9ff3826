// The quick-entry options judged on real to-do lines in six languages (zarvo/testing/quick_entry_lines.h),
// and each correction's rule on its own.
#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/quick_task_parser.h"
#include "zarvo/quickentry/reading_corrections.h"
#include "zarvo/testing/quick_entry_lines.h"

namespace zarvo {
namespace {

using chrono::Language;
using chrono::testing::localDate;
using platform::toUtf8;
using testing::QuickEntryLine;

Language languageOf(std::string_view code) {
  if (code == "de") return Language::german;
  if (code == "es") return Language::spanish;
  if (code == "fr") return Language::french;
  if (code == "ja") return Language::japanese;
  if (code == "zh") return Language::chinese;
  return Language::english;
}

std::string dueOf(const TaskDescription& d) { return d.dueDate() ? platform::isoString(*d.dueDate()) : "none"; }

class QuickEntryLinesTest : public ::testing::TestWithParam<QuickEntryLine> {
 protected:
  chrono::testing::ScopedTimeZone zone_{testing::kQuickEntryLinesZone};
  std::shared_ptr<platform::FixedClock> clock_ =
      std::make_shared<platform::FixedClock>(localDate(2024, 3, 10, 18, 45));
};

TEST_P(QuickEntryLinesTest, EveryCorrectionReadsWhatAPersonMeans) {
  const QuickEntryLine& row = GetParam();
  const QuickTaskParser parser(clock_, QuickEntryOptions::everyCorrection({languageOf(row.language)}));
  const TaskDescription d = parser.parse(std::string_view(row.line), {});
  EXPECT_EQ(toUtf8(d.title), row.title) << row.line;
  EXPECT_EQ(dueOf(d), row.due ? row.due : "none") << row.line;
}

TEST_P(QuickEntryLinesTest, DefaultOptionsReadAsTheEngineDoes) {
  const QuickEntryLine& row = GetParam();
  const TaskDescription d = QuickTaskParser(clock_).parse(std::string_view(row.line), {});
  EXPECT_EQ(toUtf8(d.title), row.literalTitle) << row.line;
  EXPECT_EQ(dueOf(d), row.literalDue ? row.literalDue : "none") << row.line;
}

INSTANTIATE_TEST_SUITE_P(Lines, QuickEntryLinesTest, ::testing::ValuesIn(testing::kQuickEntryLines));

class QuickEntryOptionsTest : public ::testing::Test {
 protected:
  TaskDescription read(std::string_view line, QuickEntryOptions options) {
    return QuickTaskParser(clock_, std::move(options)).parse(line, {});
  }
  chrono::testing::ScopedTimeZone zone_{"Europe/Berlin"};
  std::shared_ptr<platform::FixedClock> clock_ =
      std::make_shared<platform::FixedClock>(localDate(2024, 3, 10, 18, 45));
};

// The second pass reads only the languages asked for; English is always read.
TEST_F(QuickEntryOptionsTest, LanguagesNarrowTheSecondPass) {
  QuickEntryOptions english;
  english.languages.emplace();
  EXPECT_EQ(dueOf(read("do laundry", english)), "none");
  EXPECT_EQ(dueOf(read("Lunch with Sam", english)), "none");
  EXPECT_EQ(dueOf(read("Dentist tomorrow", english)), "2024-03-11T12:00:00.000+01:00");

  QuickEntryOptions german;
  german.languages = std::set<Language>{Language::german};
  EXPECT_EQ(dueOf(read("do laundry", german)), "2024-03-07T12:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("Lunch with Sam", german)), "none");
  EXPECT_EQ(dueOf(read("明日 歯医者", german)), "none");
}

// Each option alone does only its own correction.
TEST_F(QuickEntryOptionsTest, EachOptionAloneCorrectsOnlyItsOwnCase) {
  QuickEntryOptions forward;
  forward.forwardDates = true;
  EXPECT_EQ(dueOf(read("Report by Friday", forward)), "2024-03-15T12:00:00.000+01:00");
  EXPECT_EQ(toUtf8(read("Report by Friday", forward).title), "Report by");
  EXPECT_EQ(dueOf(read("Meet at 5", forward)), "2024-03-10T05:00:00.000+01:00");

  QuickEntryOptions capitals;
  capitals.capitalTimeZonesOnly = true;
  EXPECT_EQ(dueOf(read("at 5pm get milk", capitals)), "2024-03-10T17:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("Read chapter 3-4", capitals)), "2024-03-10T03:00:00.000+01:00");

  QuickEntryOptions guard;
  guard.falseDateGuard = true;
  EXPECT_EQ(dueOf(read("Read chapter 3-4", guard)), "none");
  EXPECT_EQ(dueOf(read("at 5pm get milk", guard)), "2024-03-10T14:00:00.000+01:00");

  QuickEntryOptions afternoon;
  afternoon.afternoonSmallHours = true;
  EXPECT_EQ(dueOf(read("Meet at 5", afternoon)), "2024-03-10T17:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("Report by Friday", afternoon)), "2024-03-08T12:00:00.000+01:00");

  QuickEntryOptions clean;
  clean.cleanTitles = true;
  EXPECT_EQ(toUtf8(read("Report by Friday", clean).title), "Report");
  EXPECT_EQ(dueOf(read("Report by Friday", clean)), "2024-03-08T12:00:00.000+01:00");
}

// Each reading of `recommended` beyond the corrections, alone, changes only its own case.
TEST_F(QuickEntryOptionsTest, EachReadingAloneDoesOnlyItsOwn) {
  const auto with = [](auto set) {
    QuickEntryOptions o;
    set(o);
    return o;
  };
  const QuickEntryOptions plain;

  const auto byEvidence = with([](QuickEntryOptions& o) {
    o.chooseLanguageByEvidence = true;
    o.languages = std::set<Language>{Language::german};
    o.tieLanguage = Language::german;
  });
  EXPECT_EQ(dueOf(read("Zahnarzt morgen um 17:00", byEvidence)), "2024-03-11T17:00:00.000+01:00");
  EXPECT_EQ(toUtf8(read("Zahnarzt morgen um 17:00", byEvidence).title), "Zahnarzt");
  EXPECT_EQ(dueOf(read("Zahnarzt morgen um 17:00", plain)), "2024-03-10T17:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("明日 歯医者", byEvidence)), "2024-03-11T12:00:00.000+01:00");

  const auto extra = with([](QuickEntryOptions& o) { o.extraPhrases = true; });
  EXPECT_EQ(dueOf(read("Dentist day after tomorrow", extra)), "2024-03-12T12:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("Dentist day after tomorrow", plain)), "2024-03-11T12:00:00.000+01:00");

  const auto joined = with([](QuickEntryOptions& o) { o.joinDateAndTime = true; });
  const TaskDescription call = read("Call mom tomorrow about dinner at 5pm", joined);
  EXPECT_EQ(dueOf(call), "2024-03-11T17:00:00.000+01:00");
  EXPECT_EQ(toUtf8(call.title), "Call mom about dinner");
  EXPECT_EQ(call.chronoItem->ranges().size(), 2u);
  EXPECT_EQ(dueOf(read("Call mom tomorrow about dinner at 5pm", plain)), "2024-03-10T17:00:00.000+01:00");

  const auto ahead = with([](QuickEntryOptions& o) { o.timesAhead = true; });
  EXPECT_EQ(dueOf(read("Standup at 9", ahead)), "2024-03-11T09:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("Standup at 9 today", ahead)), "2024-03-10T09:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("Standup at 9", plain)), "2024-03-10T09:00:00.000+01:00");

  const auto allDay = with([](QuickEntryOptions& o) { o.allDayDates = true; });
  EXPECT_TRUE(read("Call mom today", allDay).dueIsAllDay());
  EXPECT_EQ(dueOf(read("Call mom today", allDay)), "2024-03-10T00:00:00.000+01:00");
  EXPECT_FALSE(read("Call mom tonight", allDay).dueIsAllDay());
  EXPECT_FALSE(read("Call mom today", plain).dueIsAllDay());
  auto atNine = allDay;
  atNine.defaultTime = QuickEntryOptions::TimeOfDay{9, 30};
  EXPECT_FALSE(read("Call mom today", atNine).dueIsAllDay());
  EXPECT_EQ(dueOf(read("Call mom today", atNine)), "2024-03-10T09:30:00.000+01:00");

  const auto repeated = with([](QuickEntryOptions& o) { o.repetitions = true; });
  const TaskDescription trash = read("take out trash every Tuesday", repeated);
  EXPECT_EQ(trash.recurrenceRule(), "FREQ=WEEKLY;BYDAY=TU");
  EXPECT_EQ(dueOf(trash), "2024-03-12T12:00:00.000+01:00");
  EXPECT_EQ(toUtf8(trash.title), "take out trash");
  EXPECT_FALSE(read("take out trash every Tuesday", plain).recurrenceRule());

  auto list = List::create(std::make_shared<reminders::Calendar>("local/w", reminders::EntityType::reminder), nullptr);
  list->calendar()->setTitle("Work");
  const auto whole = with([](QuickEntryOptions& o) { o.wholeTitles = true; });
  const TaskDescription review = QuickTaskParser(clock_, whole).parse(std::string_view("Review PR #123 #Work"), {list});
  EXPECT_EQ(review.list, list);
  EXPECT_EQ(toUtf8(review.title), "Review PR #123");
  // A number is no list reference: nothing to warn about.
  EXPECT_FALSE(read("Fix bug #123", whole).parsedList);
  const TaskDescription paper = QuickTaskParser(clock_, whole).parse(std::string_view("Buy paper #xmas"), {list});
  EXPECT_EQ(toUtf8(paper.title), "Buy paper #xmas");
  EXPECT_EQ(paper.parsedList, u"#xmas");
  EXPECT_FALSE(paper.list);
  EXPECT_EQ(dueOf(read("Email Jan about the budget", whole)), "none");
  EXPECT_EQ(dueOf(read("Flights in Jan", whole)), "2024-01-01T12:00:00.000+01:00");
  EXPECT_EQ(toUtf8(QuickTaskParser(clock_, plain).parse(std::string_view("Review PR #123 #Work"), {list}).title),
            "Review PR  #Work");

  const auto dayFirst =
      with([](QuickEntryOptions& o) { o.numericDateOrder = chrono::ReaderOptions::NumericDateOrder::dayFirst; });
  EXPECT_EQ(dueOf(read("Renew lease 2/1/2025", dayFirst)), "2025-01-02T12:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("Renew lease 2/1/2025", plain)), "2025-02-01T12:00:00.000+01:00");

  const auto shortYears = with([](QuickEntryOptions& o) { o.shortYears = true; });
  EXPECT_EQ(dueOf(read("24年3月5日 確定申告", shortYears)), "2024-03-05T12:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("令和6年3月5日 確定申告", shortYears)), "2024-03-05T12:00:00.000+01:00");
  EXPECT_EQ(toUtf8(read("令和6年3月5日 確定申告", shortYears).title), "確定申告");
  EXPECT_EQ(dueOf(read("二五年三月五日 交房租", shortYears)), "2025-03-05T12:00:00.000+01:00");
  EXPECT_EQ(dueOf(read("24年3月5日 確定申告", plain)).substr(0, 10), "0024-03-05");
}

// A "remind me" phrase leaves the line before the rest is read: the due and the title are the line's
// without it, and the reminder is a length before the due or a moment of its own.
TEST_F(QuickEntryOptionsTest, RemindMePhrasesGiveAReminderAndLeaveTheLine) {
  struct Row {
    const char* line;
    const char* title;
    const char* due;
    const char* reminder;  // "-3600" before the due, a moment, or "none"
  };
  QuickEntryOptions every = QuickEntryOptions::recommended(
      {Language::german, Language::spanish, Language::french, Language::japanese, Language::chinese}, Language::english);
  every.reminders = true;
  for (const Row& row : {
           Row{"call mum tomorrow 5pm remind me 1h before", "call mum", "2024-03-11T17:00:00.000+01:00", "-3600"},
           Row{"pay rent remind me at 9am", "pay rent", "none", "2024-03-11T09:00:00.000+01:00"},
           Row{"Dentist friday 3pm remind me thursday 8pm #Work", "Dentist #Work", "2024-03-15T15:00:00.000+01:00",
               "2024-03-14T20:00:00.000+01:00"},
           Row{"remind me tomorrow at 7 to water the plants", "to water the plants", "none",
               "2024-03-11T07:00:00.000+01:00"},
           Row{"Zahnarzt Freitag 15 Uhr erinnere mich eine Stunde vorher", "Zahnarzt", "2024-03-15T15:00:00.000+01:00",
               "-3600"},
           Row{"Réunion jeudi 14h rappelle-moi 15 minutes avant", "Réunion", "2024-03-14T14:00:00.000+01:00", "-900"},
           Row{"Cita médico lunes 10:00 recuérdame 2 horas antes", "Cita médico", "2024-03-11T10:00:00.000+01:00",
               "-7200"},
           Row{"会議 明日15時 1時間前にリマインド", "会議", "2024-03-11T15:00:00.000+01:00", "-3600"},
           // A clock time alone on a line due a later day: that time on the due's day, in every
           // language that reads moments; the evening before when it falls after the due's time.
           Row{"dentist friday remind me at 9am", "dentist", "2024-03-15T00:00:00.000+01:00", "2024-03-15T09:00:00.000+01:00"},
           Row{"Dentist friday 3pm remind me at 9am", "Dentist", "2024-03-15T15:00:00.000+01:00",
               "2024-03-15T09:00:00.000+01:00"},
           Row{"Flight friday 7am remind me at 9pm", "Flight", "2024-03-15T07:00:00.000+01:00", "2024-03-14T21:00:00.000+01:00"},
           Row{"Zahnarzt Freitag erinnere mich um 8 Uhr", "Zahnarzt", "2024-03-15T00:00:00.000+01:00",
               "2024-03-15T08:00:00.000+01:00"},
           Row{"Dentista el viernes recuérdame a las 9", "Dentista", "2024-03-15T00:00:00.000+01:00",
               "2024-03-15T09:00:00.000+01:00"},
           Row{"Dentiste vendredi rappelle-moi à 9h", "Dentiste", "2024-03-15T00:00:00.000+01:00",
               "2024-03-15T09:00:00.000+01:00"},
           // A due tomorrow is the day the next 9:00 falls on anyway; a moment that names its day,
           // or counts from now, stays as written.
           Row{"call Bob tomorrow 5pm remind me at 9am", "call Bob", "2024-03-11T17:00:00.000+01:00",
               "2024-03-11T09:00:00.000+01:00"},
           Row{"Dentist friday remind me tomorrow at 9am", "Dentist", "2024-03-15T00:00:00.000+01:00",
               "2024-03-11T09:00:00.000+01:00"},
           Row{"Dentist friday remind me in 2 hours", "Dentist", "2024-03-15T00:00:00.000+01:00",
               "2024-03-10T20:45:00.000+01:00"},
           // Japanese and Chinese: the words that ask anchor the moment next to them.
           Row{"明日9時にリマインド", "", "none", "2024-03-11T09:00:00.000+01:00"},
           Row{"会議の資料 明日15時にリマインドして", "会議の資料", "none", "2024-03-11T15:00:00.000+01:00"},
           Row{"9時にリマインドして 薬を飲む", "薬を飲む", "none", "2024-03-11T09:00:00.000+01:00"},
           Row{"明天下午3点提醒我交电费", "交电费", "none", "2024-03-11T15:00:00.000+01:00"},
           Row{"提醒我明天9点开会", "开会", "none", "2024-03-11T09:00:00.000+01:00"},
           Row{"周五看牙医 提醒我上午9点", "看牙医", "2024-03-15T00:00:00.000+01:00", "2024-03-15T09:00:00.000+01:00"},
           // A day set apart by a blank is the task's due; the time written against the asking
           // words is the reminder's, on that day. Written together, both are the reminder's.
           Row{"歯医者 金曜日 9時にリマインド", "歯医者", "2024-03-15T00:00:00.000+01:00", "2024-03-15T09:00:00.000+01:00"},
           Row{"ゴミ出し 明日 7時にリマインドしてください", "ゴミ出し", "2024-03-11T00:00:00.000+01:00",
               "2024-03-11T07:00:00.000+01:00"},
           Row{"歯医者 金曜日9時にリマインド", "歯医者", "none", "2024-03-15T09:00:00.000+01:00"},
           Row{"交电费 周五 上午9点提醒我", "交电费", "2024-03-15T00:00:00.000+01:00", "2024-03-15T09:00:00.000+01:00"},
           // Polite ways of asking leave the title with the phrase.
           Row{"会議 明日15時 1時間前にリマインドしてください", "会議", "2024-03-11T15:00:00.000+01:00", "-3600"},
           Row{"开会 明天下午3点 请提前30分钟提醒我一下", "开会", "2024-03-11T15:00:00.000+01:00", "-1800"},
           Row{"リマインドの設定を見直す", "リマインドの設定を見直す", "none", "none"},
           Row{"设置提醒功能", "设置提醒功能", "none", "none"},
           // The asking words without a moment after them are the title's.
           Row{"remind me about the mentor call", "remind me about the mentor call", "none", "none"},
           Row{"remind me about the dentist tomorrow", "remind me about the dentist", "2024-03-11T00:00:00.000+01:00",
               "none"},
       }) {
    SCOPED_TRACE(row.line);
    const TaskDescription d = read(row.line, every);
    EXPECT_EQ(toUtf8(d.title), row.title);
    EXPECT_EQ(dueOf(d), row.due);
    std::string reminder = "none";
    if (d.reminder && d.reminder->beforeDue) reminder = std::to_string(-d.reminder->beforeDue->count());
    if (d.reminder && d.reminder->at) reminder = platform::isoString(*d.reminder->at);
    EXPECT_EQ(reminder, row.reminder);
  }
  QuickEntryOptions without = every;
  without.reminders = false;
  EXPECT_FALSE(read("call mum tomorrow 5pm remind me 1h before", without).reminder);
}

// A quick-entry parser made with setsEngineLanguage false reads English first by its own options and
// leaves the engine-wide setting as it was.
TEST_F(QuickEntryOptionsTest, ParserOwnOptionsLeaveTheEngineSettingAlone) {
  chrono::Chrono::setPreferredLanguage(Language::german);
  QuickEntryOptions own;
  own.setsEngineLanguage = false;
  const QuickTaskParser parser(clock_, own);
  EXPECT_EQ(chrono::Chrono::preferredLanguage(), Language::german);
  // English found a time: German is not asked, as under the engine-wide English preference.
  EXPECT_EQ(dueOf(parser.parse(std::string_view("Zahnarzt morgen um 17:00"), {})), "2024-03-10T17:00:00.000+01:00");
  chrono::Chrono::setPreferredLanguage(std::nullopt);
}

TEST_F(QuickEntryOptionsTest, CleanTitlesJoinBlanksLeftByTheListReference) {
  QuickEntryOptions clean;
  clean.cleanTitles = true;
  auto list = List::create(std::make_shared<reminders::Calendar>("local/w", reminders::EntityType::reminder), nullptr);
  list->calendar()->setTitle("Work");
  const TaskDescription d = QuickTaskParser(clock_, clean).parse(std::string_view("Email #work  about\tQ4 !!"), {list});
  EXPECT_EQ(toUtf8(d.title), "Email about Q4");
  EXPECT_TRUE(d.flagged);
  EXPECT_EQ(d.list, list);
  // A line break is the writer's: kept.
  EXPECT_EQ(toUtf8(read("Pack\n  bags tomorrow", clean).title), "Pack\n bags");
  // A title that would be nothing but the connector keeps it.
  EXPECT_EQ(toUtf8(read("by Friday", clean).title), "by");
  EXPECT_EQ(toUtf8(read("On Friday call mom", clean).title), "call mom");
}

struct GuardRow {
  const char16_t* line;
  const char16_t* phrase;  // where the reading stands in the line
  bool falseDate;
  chrono::TagUnit tag = chrono::TagUnit::enTimeExpressionParser;
  bool meridiem = false;
};

TEST(ReadingCorrections, FalseDateRule) {
  for (const GuardRow& row : {
           GuardRow{u"Call 555-1234", u"555-1234", true},
           GuardRow{u"chapters 3 - 4 today", u"3 - 4", true},
           GuardRow{u"invoice 2024-03-12", u"2024-03-12", false},
           GuardRow{u"invoice 24-03-12", u"24-03-12", true},
           GuardRow{u"at 10:30 sharp", u"10:30", false},
           GuardRow{u"room 12/5", u"12/5", false},
           GuardRow{u"ISBN 978-3/16", u"3/16", true},
           GuardRow{u"tel +49 5pm", u"49 5pm", false},
           GuardRow{u"call 0301 5pm", u"1 5pm", true},
           GuardRow{u"v2.5pm", u"5pm", true},
           GuardRow{u"at 5pm-6", u"5pm", true},
           GuardRow{u"at 5pm.", u"5pm", false},
           GuardRow{u"de 9 a 11", u"9 a", true, chrono::TagUnit::enTimeExpressionParser, true},
           GuardRow{u"at 9 P", u"9 P", true, chrono::TagUnit::enTimeExpressionParser, true},
           GuardRow{u"at 9 am", u"9 am", false, chrono::TagUnit::enTimeExpressionParser, true},
           GuardRow{u"do laundry", u"do", true, chrono::TagUnit::deWeekdayParser},
           GuardRow{u"Lunch with Sam.", u"Sam.", true, chrono::TagUnit::frWeekdayParser},
           GuardRow{u"llamar mié", u"mié", true, chrono::TagUnit::esWeekdayParser},
           GuardRow{u"am Donnerstag", u"Donnerstag", false, chrono::TagUnit::deWeekdayParser},
           GuardRow{u"Do 14 Uhr", u"Do 14 Uhr", false, chrono::TagUnit::deWeekdayParser},
           GuardRow{u"Fri", u"Fri", false, chrono::TagUnit::enWeekdayParser},
       }) {
    const std::u16string line(row.line);
    const auto at = static_cast<int64_t>(line.find(row.phrase));
    chrono::ParsedResult result(localDate(2024, 3, 10, 18, 45), at, row.phrase, chrono::TagSet{row.tag});
    if (row.meridiem) result.start().assign(chrono::ComponentUnit::meridiem, 0);
    EXPECT_EQ(quickentry::isFalseDate(line, result), row.falseDate) << toUtf8(line);
  }
}

TEST(ReadingCorrections, DanglingConnectors) {
  struct Row {
    std::u16string_view before, kept;
  };
  for (const Row& row : {Row{u"Submit report by ", u"Submit report "}, Row{u"Tax return due on", u"Tax return "},
                         Row{u"Log in BY", u"Log in "}, Row{u"Turn on the light ", u"Turn on the light "},
                         Row{u"Termin bis", u"Termin "}, Row{u"informe para el ", u"informe "},
                         Row{u"Rapport jusqu'au", u"Rapport "}, Row{u"Standby", u"Standby"},
                         Row{u"Pack\nby", u"Pack\n"}, Row{u"", u""}}) {
    EXPECT_EQ(toUtf8(quickentry::withoutDanglingConnector(row.before)), toUtf8(row.kept)) << toUtf8(row.before);
  }
  EXPECT_EQ(toUtf8(quickentry::withoutLeadingParticle(u"までに提出")), "提出");
  EXPECT_EQ(toUtf8(quickentry::withoutLeadingParticle(u" 之前交報告")), "交報告");
  EXPECT_EQ(toUtf8(quickentry::withoutLeadingParticle(u"前回")), "前回");
  EXPECT_EQ(toUtf8(quickentry::withoutLeadingParticle(u"にカードの支払い")), "カードの支払い");
  EXPECT_EQ(toUtf8(quickentry::withoutLeadingParticle(u"にんじんを買う")), "にんじんを買う");
  EXPECT_EQ(toUtf8(quickentry::withSingleBlanks(u"a  b\t\tc\u3000 d\n\ne")), "a b c d\n\ne");
}

}  // namespace
}  // namespace zarvo
