#include <gtest/gtest.h>
#include <sqlite3.h>

#include "zarvo/model/records_test_support.h"
#include "zarvo/platform/log.h"

namespace zarvo::testing {
namespace {

using namespace std::chrono_literals;

class LookupTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    platform::Log::setShowPrivateData(true);
  }
  void TearDown() override {
    platform::Log::setShowPrivateData(false);
    RecordsTest::TearDown();
  }
  // A record for `r` whose sourceId is set as another client or version may have written it.
  std::shared_ptr<Task> record(const std::shared_ptr<reminders::Reminder>& r, std::optional<std::string> sourceId) {
    auto t = Task::create(r, context_);
    t->setSourceId(std::move(sourceId));
    t->setReminder(nullptr);
    return t;
  }
};

TEST_F(LookupTest, OldestDuplicateIsKeptAndTheOthersDeleted) {
  auto r = reminder("dup");
  std::vector<std::shared_ptr<Task>> records;
  for (int i = 0; i < 3; ++i) {
    records.push_back(Task::create(r, context_));
    clock_->advance(1s);
  }
  for (auto& t : records) t->setReminder(nullptr);
  context_->save();
  // Make the newest the first row, so that row order alone would pick the wrong one.
  records[2]->setTimestamp(clock_->now() - 1h * 24);
  context_->save();

  auto found = Task::fetch(r, context_);
  EXPECT_EQ(found, records[2]);
  EXPECT_EQ(found->reminder(), r);
  EXPECT_TRUE(records[0]->isDeleted());
  EXPECT_TRUE(records[1]->isDeleted());
  EXPECT_TRUE(context_->hasChanges());  // deleted in the context only; nothing saved
  EXPECT_EQ(Task::fetch(r, context_), found);
}

TEST_F(LookupTest, TaskFoundBySourceIdentifierOrTitle) {
  const auto& source = *calendar_->source();
  auto byTitle = reminder("a");
  auto byIdentifier = reminder("b");
  auto otherSource = reminder("c");
  auto t1 = record(byTitle, source.title());
  auto t2 = record(byIdentifier, source.sourceIdentifier());
  record(otherSource, "Someone else's account");

  EXPECT_EQ(Task::fetch(byTitle, context_), t1);
  EXPECT_EQ(Task::fetch(byIdentifier, context_), t2);
  platform::ScopedLogCapture log;
  EXPECT_EQ(Task::fetch(otherSource, context_), nullptr);
  EXPECT_TRUE(log.sink().contains(platform::LogLevel::debug,
                                  "Task with reminderId '" + otherSource->calendarItemExternalIdentifier() +
                                      "' not found in database"));
}

TEST_F(LookupTest, TaskCreationCopiesTheReminder) {
  auto r = reminder("new");
  r->setCompleted(true);
  auto t = Task::create(r, context_);
  EXPECT_EQ(t->reminder(), r);
  EXPECT_TRUE(t->completed());
  EXPECT_EQ(t->reminderId(), r->calendarItemExternalIdentifier());
  EXPECT_EQ(t->sourceId(), calendar_->source()->title());
  EXPECT_EQ(t->timestamp(), clock_->now());
  EXPECT_TRUE(t->isInserted());

  auto loose = Task::create(r, nullptr);  // no context: made, configured, inserted nowhere
  EXPECT_EQ(loose->managedObjectContext(), nullptr);
  EXPECT_FALSE(loose->timestamp());
  EXPECT_EQ(loose->reminderId(), r->calendarItemExternalIdentifier());
}

TEST_F(LookupTest, ListLookUpAndCreation) {
  auto list = List::create(calendar_, context_);
  EXPECT_EQ(list->calendarId(), calendar_->calendarIdentifier());
  EXPECT_EQ(list->sourceId(), calendar_->source()->title());
  clock_->advance(1s);
  auto duplicate = List::create(calendar_, context_);
  duplicate->setSourceId(calendar_->source()->sourceIdentifier());
  list->setCalendar(nullptr);

  EXPECT_EQ(List::fetch(calendar_, context_), list);
  EXPECT_EQ(list->calendar(), calendar_);
  EXPECT_TRUE(context_->insertedObjects().size() == 1u);  // the unsaved duplicate is gone

  auto other = reminders::Calendar::calendarForEntityType(reminders::EntityType::reminder, *store_);
  other->setSource(calendar_->source());
  platform::ScopedLogCapture log;
  EXPECT_EQ(List::fetch(other, context_), nullptr);
  EXPECT_TRUE(log.sink().contains(platform::LogLevel::debug, "Calendar with calendarId '" +
                                                                  other->calendarIdentifier() +
                                                                  "' not found in database"));
}

TEST_F(LookupTest, TagLookUpIgnoresCaseAndTakesWildcards) {
  auto work = Tag::fetchOrCreate("work", context_);
  auto workshop = Tag::fetchOrCreate("Workshop", context_);
  context_->save();

  EXPECT_EQ(Tag::fetchBy("Work", context_), work);
  EXPECT_EQ(work->title(), "work");
  EXPECT_EQ(Tag::fetchOrCreate("WORK", context_), work);
  EXPECT_EQ(context_->insertedObjects().size(), 0u);  // created nothing

  EXPECT_EQ(Tag::fetchBy("shop*", context_), nullptr);
  EXPECT_EQ(Tag::fetchBy("*shop", context_), workshop);
  EXPECT_EQ(Tag::fetchBy("w?rk", context_), work);
  auto either = Tag::fetchBy("wo*", context_);  // both match; the limit of 1 gives one
  EXPECT_TRUE(either == work || either == workshop);

  platform::ScopedLogCapture log;
  EXPECT_EQ(Tag::fetchBy("home", context_), nullptr);
  EXPECT_TRUE(log.sink().contains(platform::LogLevel::debug, "Tag with title 'home' not found in database"));
  auto home = Tag::fetchOrCreate("home", context_);
  EXPECT_EQ(home->title(), "home");
  EXPECT_TRUE(home->isInserted());
}

TEST_F(LookupTest, FailingFetchIsThrownByTaskAndListButSwallowedByTag) {
  auto r = reminder("x");
  auto t = Task::create(r, context_);
  t->setReminder(nullptr);
  context_->save();
  context_->close();

  EXPECT_THROW(Task::fetch(r, context_), store::StoreError);
  EXPECT_FALSE(t->reminder());  // nothing attached
  EXPECT_THROW(List::fetch(calendar_, context_), store::StoreError);

  platform::ScopedLogCapture log;
  EXPECT_EQ(Tag::fetchBy("x", context_), nullptr);
  EXPECT_TRUE(log.sink().contains(platform::LogLevel::error, "Failed to fetch object of type Tag"));
  EXPECT_FALSE(log.sink().contains(platform::LogLevel::debug, "not found"));
}

TEST_F(LookupTest, LookUpKeysAreIndexed) {
  context_->save();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir_ / "records.sqlite").c_str(), &db), SQLITE_OK);
  for (const char* sql : {"EXPLAIN QUERY PLAN SELECT * FROM Task WHERE \"reminderId\" = ? AND (\"sourceId\" = ? OR \"sourceId\" = ?)",
                          "EXPLAIN QUERY PLAN SELECT * FROM List WHERE \"calendarId\" = ? AND (\"sourceId\" = ? OR \"sourceId\" = ?)"}) {
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), SQLITE_OK);
    std::string plan;
    while (sqlite3_step(stmt) == SQLITE_ROW) plan += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3));
    sqlite3_finalize(stmt);
    EXPECT_NE(plan.find("USING INDEX"), std::string::npos) << plan;
  }
  sqlite3_close(db);
}

}  // namespace
}  // namespace zarvo::testing
