#include <gtest/gtest.h>
#include <sqlite3.h>

#include "zarvo/testing/records_fixture.h"
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

// Many reminders are looked up with one read of the records; the answers and their effects are
// those of one look-up per reminder, in order.
TEST_F(LookupTest, LookingUpManyAnswersAsOneAtATime) {
  const auto& source = *calendar_->source();
  std::vector<std::shared_ptr<reminders::Reminder>> rs;
  std::vector<std::shared_ptr<Task>> expected;
  for (int i = 0; i < 40; ++i) {
    rs.push_back(reminder(std::to_string(i)));
    expected.push_back(i < 7 ? nullptr : record(rs.back(), source.title()));
  }
  // 0: three duplicates; the oldest by timestamp, not by row, wins and the others go.
  std::vector<std::shared_ptr<Task>> dups;
  for (int i = 0; i < 3; ++i) {
    dups.push_back(record(rs[0], source.title()));
    clock_->advance(1s);
  }
  dups[2]->setTimestamp(clock_->now() - 24h);
  expected[0] = dups[2];
  // 1: stored under the source's identifier; 2: only another account's; 3: none at all.
  expected[1] = record(rs[1], source.sourceIdentifier());
  record(rs[2], "Someone else's account");
  context_->save();
  // 4: inserted and not saved yet; 5: its record deleted and not saved yet.
  expected[4] = record(rs[4], source.title());
  auto gone = record(rs[5], source.title());
  context_->save();
  context_->deleteObject(gone);
  auto pending = record(rs[4], source.title());
  pending->setTimestamp(clock_->now() + 1h);  // a younger unsaved duplicate of 4
  // 6: asked for twice; a null reminder finds nothing.
  expected[6] = record(rs[6], source.title());
  context_->save();
  rs.push_back(rs[6]);
  expected.push_back(expected[6]);
  rs.push_back(nullptr);
  expected.push_back(nullptr);

  platform::ScopedLogCapture log;
  const auto found = Task::fetch(rs, context_);
  ASSERT_EQ(found.size(), rs.size());
  for (size_t i = 0; i < rs.size(); ++i) {
    EXPECT_EQ(found[i], expected[i]) << "reminder " << i;
    if (found[i]) {
      EXPECT_EQ(found[i]->reminder(), rs[i]) << "reminder " << i;
    }
  }
  EXPECT_TRUE(dups[0]->isDeleted());
  EXPECT_TRUE(dups[1]->isDeleted());
  EXPECT_FALSE(dups[2]->isDeleted());
  EXPECT_TRUE(pending->isDeleted());
  for (int i : {2, 3, 5}) {
    EXPECT_TRUE(log.sink().contains(platform::LogLevel::debug, "Task with reminderId '" +
                                                                   rs[i]->calendarItemExternalIdentifier() +
                                                                   "' not found in database"))
        << i;
  }
  // Without a context there is nothing to find.
  EXPECT_EQ(Task::fetch(rs, nullptr), std::vector<std::shared_ptr<Task>>(rs.size()));
}

// Read in one go, the records of one identifier still answer only a reminder of their own account;
// a reminder without a calendar answers with a record stored without an account.
TEST_F(LookupTest, LookingUpManyKeepsEachReminderToItsAccount) {
  const auto& source = *calendar_->source();
  std::vector<std::shared_ptr<reminders::Reminder>> rs;
  for (int i = 0; i < 32; ++i) rs.push_back(reminder(std::to_string(i)));
  auto foreign = record(rs[0], "Someone else's account");  // older, but not the reminder's account
  clock_->advance(1s);
  auto own = record(rs[0], source.title());
  rs[1] = reminders::Reminder::reminderWithEventStore(*store_);
  auto withAccount = record(rs[1], source.title());
  clock_->advance(1s);
  auto withoutAccount = record(rs[1], std::nullopt);
  context_->save();

  const auto found = Task::fetch(rs, context_);
  ASSERT_EQ(found.size(), rs.size());
  EXPECT_EQ(found[0], own);
  EXPECT_EQ(found[1], withoutAccount);
  for (size_t i = 2; i < rs.size(); ++i) EXPECT_EQ(found[i], nullptr) << i;
  EXPECT_FALSE(foreign->isDeleted());
  EXPECT_FALSE(withAccount->isDeleted());
  EXPECT_FALSE(context_->hasChanges());
  // As one look-up each answers.
  EXPECT_EQ(Task::fetch(rs[0], context_), own);
  EXPECT_EQ(Task::fetch(rs[1], context_), withoutAccount);
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
