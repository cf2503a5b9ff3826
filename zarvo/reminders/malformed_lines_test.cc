// A task file with a malformed line of a property the writer owns stays readable through every
// operation that rewrites it. Whatever the shape of the line, a save either gives a file that reads
// as the change meant, or is refused with an error naming the file and leaves its bytes alone. Never:
// a save that succeeds and a task that no longer reads (a value run onto a broken start line).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/store_error.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;
using platform::DateComponents;
using testing::readFile;
using testing::writeFile;

// A property the writer owns: its good value as another client writes it, a value no reader makes
// sense of, and a second, different value.
struct Property {
  std::string name, good, bad, other;
};
const Property kProperties[] = {
    {"SUMMARY", "Water the plants", "Water\\", "Stale title"},
    {"DTSTART", "20270104T080000Z", "not-a-date", "20300101T000000Z"},
    {"DUE", "20270104T090000Z", "not-a-date", "20300101T000000Z"},
    {"RRULE", "FREQ=WEEKLY;COUNT=10", "FREQ=SOMETIMES", "FREQ=DAILY"},
    {"STATUS", "NEEDS-ACTION", "MAYBE", "COMPLETED"},
    {"COMPLETED", "20261201T000000Z", "yesterday", "20200101T000000Z"},
    {"CATEGORIES", "home,garden", "\\", "work"},
    {"X-ZARVO-FLAGGED", "TRUE", "PERHAPS", "FALSE"},
    {"X-ZARVO-ORDER", "3", "third", "7"},
};

std::string lowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string mixedCase(std::string s) {
  for (size_t i = 1; i < s.size(); i += 2) s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
  return s;
}

// Ways a line goes wrong. `keptAsIs`: the reader takes no value from the line of that property, so
// it must survive every rewrite byte for byte.
struct Shape {
  const char* what;
  std::string (*lines)(const Property&);
  bool (*keptAsIs)(const Property&) = [](const Property&) { return false; };
};
const Shape kShapes[] = {
    // The shape the fuzzer found: a parameter separator where the colon belongs, the name's case off.
    {"bad separator", [](const Property& p) { return p.name.substr(0, p.name.size() - 1) + lowerCase(p.name.substr(p.name.size() - 1)) + ";" + p.good; }},
    {"lower-case name", [](const Property& p) { return lowerCase(p.name) + ":" + p.good; }},
    {"mixed-case name", [](const Property& p) { return mixedCase(p.name) + ":" + p.good; }},
    // An empty CATEGORIES line holds no category, and the categories end on one line: it is that line.
    {"missing value", [](const Property& p) { return p.name + ":"; },
     [](const Property& p) { return p.name != "CATEGORIES"; }},
    // Only the flag and the order read a value they do not understand as none; the other bad values
    // are read as text (SUMMARY, STATUS, CATEGORIES) or make the file unreadable.
    {"bad value", [](const Property& p) { return p.name + ":" + p.bad; },
     [](const Property& p) { return p.name.starts_with("X-ZARVO-"); }},
    {"duplicated line", [](const Property& p) { return p.name + ":" + p.good + "\r\n" + p.name + ":" + p.other; }},
    {"fold inside the name", [](const Property& p) { return p.name.substr(0, 2) + "\r\n " + p.name.substr(2) + ":" + p.good; }},
    {"fold that lost its blank", [](const Property& p) {
       return p.name + ":" + p.good.substr(0, p.good.size() / 2) + "\r\n" + p.good.substr(p.good.size() / 2);
     }},
    {"parameter without a value", [](const Property& p) { return p.name + ";X-BROKEN:" + p.good; }},
    {"blank before the colon", [](const Property& p) { return p.name + " :" + p.good; }},
};

enum class Operation { donePlain, doneRecurring, edit, move, tag };
constexpr Operation kOperations[] = {Operation::donePlain, Operation::doneRecurring, Operation::edit, Operation::move,
                                     Operation::tag};
const char* nameOf(Operation o) {
  switch (o) {
    case Operation::donePlain: return "done (plain)";
    case Operation::doneRecurring: return "done (recurring)";
    case Operation::edit: return "edit";
    case Operation::move: return "mv";
    case Operation::tag: return "tag";
  }
  return "?";
}

// A task file of `uid` with every good line, the lines of `property` replaced by `malformed`, an RRULE
// only when `recurring`, and no COMPLETED unless that is the property (an open task).
std::string taskFile(const std::string& uid, bool recurring, const Property& property, const std::string& malformed) {
  std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:" + uid + "\r\n";
  for (const Property& p : kProperties) {
    if (p.name == property.name) {
      text += malformed + "\r\n";
    } else if ((p.name != "RRULE" || recurring) && p.name != "COMPLETED") {
      text += p.name + ":" + p.good + "\r\n";
    }
  }
  return text + "DTSTAMP:20261201T000000Z\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

std::string dueText(const std::optional<DateComponents>& d) {
  if (!d) return "(none)";
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d", static_cast<int>(*d->year), static_cast<int>(*d->month),
                static_cast<int>(*d->day), static_cast<int>(d->hour.value_or(0)), static_cast<int>(d->minute.value_or(0)));
  return text;
}

std::shared_ptr<detail::TodoFile> parse(const fs::path& path) {
  std::string error;
  return detail::parseTodoFile(path, readFile(path), {}, error);
}

class MalformedLines : public ::testing::Test {
 protected:
  void SetUp() override {
    EventStore store(testing::optionsFor(root_));
    testing::createStore(store);
    auto other = Calendar::calendarForEntityType(EntityType::reminder, store);
    other->setTitle("Errands");
    store.saveCalendar(other, true);
    home_ = store.defaultCalendarForNewReminders()->calendarIdentifier();
    errands_ = other->calendarIdentifier();
  }

  testing::TempDir tmp_;
  fs::path root_ = tmp_.path() / "store";
  std::string home_, errands_;
};

TEST_F(MalformedLines, EveryOperationLeavesAFileThatReadsAsTheChangeMeantOrRefusesAndKeepsIt) {
  struct Case {
    std::string label, uid;
    Operation operation;
    fs::path file;
    std::string bytes, malformed;
    bool keptAsIs;
  };
  std::vector<Case> cases;
  for (const Property& property : kProperties) {
    for (const Shape& shape : kShapes) {
      for (Operation operation : kOperations) {
        const std::string uid = "case-" + std::to_string(cases.size());
        const std::string malformed = shape.lines(property);
        Case c{.label = property.name + ", " + shape.what + ", " + nameOf(operation),
               .uid = uid,
               .operation = operation,
               .file = root_ / home_ / (uid + ".ics"),
               .bytes = taskFile(uid, operation == Operation::doneRecurring, property, malformed),
               .malformed = malformed,
               .keptAsIs = shape.keptAsIs(property)};
        writeFile(c.file, c.bytes);
        cases.push_back(std::move(c));
      }
    }
  }

  size_t refused = 0, unreadable = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EventStore store(testing::optionsFor(root_));  // a handle per case: a refused write stays pending in it
    const auto r = store.reminderWithExternalIdentifier(c.uid);
    const auto before = parse(c.file);
    ASSERT_EQ(r == nullptr, before == nullptr) << "the store and the reader disagree on the file";
    if (r == nullptr) {
      ++unreadable;  // skipped by every reader: nothing can write it (checked at the end)
      continue;
    }
    const detail::TodoFields had = before->todos.at(0).fields;
    switch (c.operation) {
      case Operation::donePlain:
      case Operation::doneRecurring: r->setCompleted(true); break;
      case Operation::edit:
        r->setTitle("Renamed");
        r->setFlagged(true);
        r->setDueDateComponents(DateComponents{.timeZone = "UTC", .year = 2027, .month = 2, .day = 1, .hour = 10});
        break;
      case Operation::move: r->setCalendar(store.calendarWithIdentifier(errands_)); break;
      case Operation::tag: {
        auto categories = r->categories();
        categories.push_back("urgent");
        r->setCategories(categories);
        break;
      }
    }
    try {
      store.saveReminder(r, true);
    } catch (const StoreError& e) {
      ++refused;
      EXPECT_NE(std::string(e.what()).find(c.file.filename().string()), std::string::npos) << e.what();
      EXPECT_EQ(readFile(c.file), c.bytes);
      continue;
    }
    const fs::path now = c.operation == Operation::move ? root_ / errands_ / detail::fileNameForUid(c.uid) : c.file;
    if (c.operation == Operation::move) {
      EXPECT_FALSE(fs::exists(c.file));
    }
    const auto after = parse(now);
    ASSERT_NE(after, nullptr) << "a save that succeeded left a file no reader takes:\n" << readFile(now);
    const std::string text = readFile(now);
    const detail::TodoFields& got = after->todos.at(0).fields;
    EXPECT_EQ(got.uid, c.uid);
    if (c.keptAsIs) {
      EXPECT_NE(text.find("\r\n" + c.malformed + "\r\n"), std::string::npos) << "the broken line was rewritten:\n"
                                                                          << text;
    }
    switch (c.operation) {
      case Operation::donePlain:
      case Operation::doneRecurring:
        // Completed, or (a series) open at its next occurrence: start and due date later.
        if (!got.completed) {
          EXPECT_FALSE(had.recurrence.empty()) << text;
          EXPECT_EQ(got.due.has_value(), had.due.has_value()) << text;
          if (had.due) {
            EXPECT_GT(dueText(got.due), dueText(had.due)) << text;
          }
          if (!had.start.empty()) {
            EXPECT_GT(got.start, had.start) << text;
          }
        }
        break;
      case Operation::edit:
        EXPECT_EQ(got.title, "Renamed") << text;
        EXPECT_EQ(got.flagged, true) << text;
        EXPECT_EQ(dueText(got.due), "20270201T1000") << text;
        break;
      case Operation::move: EXPECT_EQ(got.title, had.title) << text; break;
      case Operation::tag:
        for (const auto& t : had.categories) {
          EXPECT_NE(std::find(got.categories.begin(), got.categories.end(), t), got.categories.end()) << text;
        }
        EXPECT_NE(std::find(got.categories.begin(), got.categories.end(), "urgent"), got.categories.end()) << text;
        break;
    }
  }
  for (const Case& c : cases) {
    if (parse(c.file) == nullptr && fs::exists(c.file) && readFile(c.file) != c.bytes) {
      ADD_FAILURE() << c.label << ": a file the reader skips was written";
    }
  }
  // The table covers both outcomes, and files no reader takes.
  EXPECT_GT(unreadable, 0u);
  EXPECT_LT(refused + unreadable, cases.size());
}

// The fuzzer's finding, exactly (CRLF lines): the start line has a semicolon for its colon, which
// libical reads as the start. Completing the weekly series moves it on a week, on lines every reader
// takes; before, the next start was run onto the broken line and the task vanished.
// Start lines the reader takes in its own way; completing the series must move the start on a week and
// write the line back as the reader will take it again, never refuse the edit or lose the task.
TEST_F(MalformedLines, CompletingASeriesWithAnOddStartLineMovesItOnAWeek) {
  struct Case {
    const char* what;
    std::string startLine;
    std::vector<std::string> expected;  // in the file after completing
    std::vector<std::string> gone;
  };
  const Case cases[] = {
      // The fuzzer's first finding: a parameter separator where the colon belongs, the name's case off.
      {"semicolon for the colon", "DTSTARt;20270104T080000Z",
       {"\r\nDTSTART:20270111T080000Z\r\n", "\r\nDUE:20270111T090000Z\r\n", "\r\nRRULE:FREQ=WEEKLY;COUNT=9\r\n"},
       {"DTSTARt"}},
      // A lone carriage return inside the zone's name is part of the name as read: kept, the value moved.
      {"carriage return in the zone", "DTSTART;TZID=Europe/Berl\rin:20270104T090000",
       {"\r\nDTSTART;TZID=Europe/Berl\rin:20270111T090000\r\n", "\r\nRRULE:FREQ=WEEKLY;COUNT=9\r\n"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path file = root_ / home_ / "edge.ics";
    writeFile(file,
              "BEGIN:VCALENDAR\r\nVERSINO:2.0\r\nPRODID:-//x/@/EN\r\nBEGIN:VTODO\r\nUID:edge-rrule\r\n"
              "SUMMARY:Edge: recurring weekly task\r\n" +
                  c.startLine +
                  "\r\nDUE:20270104T090000Z\r\n"
                  "RRULE:FREQ=WEEKLY;COUNT=10\r\nDTSTAMP:20261201T000000Z\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
    EventStore store(testing::optionsFor(root_));
    const auto r = store.reminderWithExternalIdentifier("edge-rrule");
    ASSERT_NE(r, nullptr);
    r->setCompleted(true);
    store.saveReminder(r, true);
    const auto after = parse(file);
    ASSERT_NE(after, nullptr) << readFile(file);
    EXPECT_FALSE(after->todos.at(0).fields.completed);
    const std::string text = readFile(file);
    for (const std::string& line : c.expected) EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    for (const std::string& line : c.gone) EXPECT_EQ(text.find(line), std::string::npos) << line << "\n" << text;
    fs::remove(file);
  }
}

}  // namespace
}  // namespace zarvo::reminders
