#include "zarvo/store/object_context.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <atomic>
#include <optional>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <future>
#include <thread>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/notifications.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::store {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

class Note : public ManagedObject {
 public:
  using ManagedObject::ManagedObject;
  std::string title() const {
    auto v = value("title");
    return isNull(v) ? "" : std::get<std::string>(v);
  }
  int awakened = 0;

 protected:
  void awakeFromInsert() override {
    ++awakened;
    setPrimitiveValue("timestamp", platform::Clock::currentNow());
  }
};

// Objects the model has made, to tell whether a fetch made an object for a row.
std::atomic<int> objectsMade{0};

const ManagedObjectModel& testModel(int32_t version = 1) {
  auto make = [](const EntityDescription& e) -> std::shared_ptr<ManagedObject> {
    ++objectsMade;
    return std::make_shared<Note>(e);
  };
  static const ManagedObjectModel model(
      1, {EntityDescription{"Note",
                            {{"timestamp", AttributeType::date},
                             {"title", AttributeType::string, Value{}, true, true},
                             {"done", AttributeType::boolean, false, false},
                             {"count", AttributeType::integer64},
                             {"weight", AttributeType::floatingPoint}},
                            {{"labels", "Label", "notes", true}},
                            make},
          EntityDescription{"Label",
                            {{"timestamp", AttributeType::date}, {"title", AttributeType::string}},
                            {{"notes", "Note", "labels", false}},
                            make}});
  static const ManagedObjectModel newer(2, model.entities());
  return version == 1 ? model : newer;
}

class ContextTest : public ::testing::Test {
 protected:
  std::shared_ptr<ObjectContext> open() { return ObjectContext::open(dir_.file("db.sqlite"), testModel()); }

  std::shared_ptr<ManagedObject> insert(ObjectContext& ctx, const std::string& title) {
    auto o = std::make_shared<Note>(*testModel().entity("Note"));
    ctx.insertObject(o);
    o->setValue("title", title);
    return o;
  }

  static FetchRequest notes(const char* format = nullptr, std::vector<Value> args = {}) {
    FetchRequest r("Note");
    if (format) r.predicate = Predicate::format(format, std::move(args));
    r.sortDescriptors = {{"timestamp", true}};
    return r;
  }

  static std::vector<std::string> titles(const ObjectList& list) {
    std::vector<std::string> out;
    for (auto& o : list) out.push_back(static_cast<Note&>(*o).title());
    return out;
  }

  // Runs SQL on the file through a separate connection, as another program would.
  void sql(const std::string& statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir_.file("db.sqlite").c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
  }

  TempDir dir_;
  std::shared_ptr<platform::FixedClock> clock_ =
      std::make_shared<platform::FixedClock>(Date(std::chrono::seconds(1'700'000'000)));
  platform::ScopedClock scopedClock_{clock_};
};

TEST_F(ContextTest, SavedValuesComeBackAfterReopening) {
  const Date when = Date(std::chrono::microseconds(1'700'000'000'123'456));
  {
    auto ctx = open();
    auto a = insert(*ctx, "Grüße");
    a->setValue("done", true);
    a->setValue("count", int64_t{-42});
    a->setValue("weight", 2.5);
    a->setValue("timestamp", when);
    insert(*ctx, "absent values");
    ctx->save();
    EXPECT_FALSE(ctx->hasChanges());
    EXPECT_TRUE(a->rowID().has_value());
  }
  auto ctx = open();
  auto all = ctx->fetch(notes());
  ASSERT_EQ(all.size(), 2u);
  auto& b = all[1];  // the other one has the earlier (fixed clock) timestamp
  EXPECT_EQ(std::get<std::string>(b->value("title")), "Grüße");
  EXPECT_EQ(std::get<bool>(b->value("done")), true);
  EXPECT_EQ(std::get<int64_t>(b->value("count")), -42);
  EXPECT_EQ(std::get<double>(b->value("weight")), 2.5);
  EXPECT_EQ(std::get<Date>(b->value("timestamp")), when);
  EXPECT_TRUE(isNull(all[0]->value("count")));
  EXPECT_EQ(std::get<bool>(all[0]->value("done")), false);  // non-optional default
}

// Text comes back exactly as stored, whether read by a fetch or by a refresh: absent stays absent
// (not empty), empty stays empty, and a NUL inside a string does not cut it short.
TEST_F(ContextTest, TextComesBackAbsentEmptyOrWholeAsStored) {
  const std::vector<Value> titles = {Value(), Value(std::string()), Value(std::string("a\0b", 3)),
                                     Value(std::string("Grüße"))};
  {
    auto ctx = open();
    for (const auto& t : titles) insert(*ctx, "")->setValue("title", t);
    ctx->save();
  }
  auto ctx = open();
  auto all = ctx->fetch(notes());  // equal timestamps: row order
  ASSERT_EQ(all.size(), titles.size());
  for (size_t i = 0; i < titles.size(); ++i) EXPECT_EQ(all[i]->value("title"), titles[i]) << "fetched " << i;
  sql("UPDATE Note SET title = NULL WHERE z_pk = " + std::to_string(*all[3]->rowID()));
  sql("UPDATE Note SET title = '' WHERE z_pk = " + std::to_string(*all[0]->rowID()));
  ctx->refresh(all[3]);
  ctx->refresh(all[0]);
  EXPECT_TRUE(isNull(all[3]->value("title"))) << "refreshed to absent";
  EXPECT_EQ(all[0]->value("title"), Value(std::string())) << "refreshed to empty";
}

// Dates far from now come back to the microsecond and compare in the database as in memory: the
// years a task can hold, and both ends of what the store held when it counted nanoseconds.
TEST_F(ContextTest, FarDatesComeBackExactlyAndCompareInOrder) {
  const auto utc = platform::DateCalendar::gregorianUTC();
  const Date dates[] = {
      utc.date({.year = 1, .month = 1, .day = 1}),
      utc.date({.year = 1677, .month = 9, .day = 21, .hour = 0, .minute = 12, .second = 43}),
      utc.date({.year = 2263, .month = 1, .day = 1}),
      utc.date({.year = 9999, .month = 12, .day = 31, .hour = 23, .minute = 59, .second = 59, .nanosecond = 999'999'000}),
  };
  {
    auto ctx = open();
    for (const Date d : dates) insert(*ctx, platform::isoString(d, utc))->setValue("timestamp", d);
    ctx->save();
  }
  auto ctx = open();
  const auto all = ctx->fetch(notes());
  ASSERT_EQ(all.size(), std::size(dates));
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(std::get<Date>(all[i]->value("timestamp")), dates[i]) << platform::isoString(dates[i], utc);
  }
  const Date epoch{};
  EXPECT_EQ(titles(ctx->fetch(notes("timestamp < %@", {epoch}))),
            (std::vector<std::string>{platform::isoString(dates[0], utc), platform::isoString(dates[1], utc)}));
}

// A file from before dates were kept in microseconds: a model whose files hold microseconds from
// version 2 converts the nanoseconds of a version 1 file when it opens it, once, rounding down, and
// leaves every other value as it was.
TEST_F(ContextTest, NanosecondDatesOfAnOlderFileAreConvertedOnOpening) {
  static const ManagedObjectModel microsecondsFrom2(2, testModel().entities(), /*microsecondDatesSince=*/2);
  struct Row {
    std::optional<int64_t> nanoseconds;  // as the older file holds it
    std::optional<int64_t> microseconds;
  };
  const Row rows[] = {
      {1'700'000'000'123'456'789, 1'700'000'000'123'456},
      {-9'000'000'000'000'000'001, -9'000'000'000'000'001},
      {999, 0},
      {-1, -1},
      {std::nullopt, std::nullopt},
  };
  {
    auto ctx = open();  // version 1
    for (size_t i = 0; i < std::size(rows); ++i) insert(*ctx, std::to_string(i))->setValue("count", int64_t(i));
    ctx->save();
  }
  for (size_t i = 0; i < std::size(rows); ++i) {
    sql("UPDATE Note SET timestamp = " + (rows[i].nanoseconds ? std::to_string(*rows[i].nanoseconds) : "NULL") +
         " WHERE title = '" + std::to_string(i) + "'");
  }
  for (int opening = 0; opening < 2; ++opening) {
    auto ctx = ObjectContext::open(dir_.file("db.sqlite"), microsecondsFrom2);
    FetchRequest request("Note");
    request.sortDescriptors = {{"count", true}};
    const auto all = ctx->fetch(request);
    ASSERT_EQ(all.size(), std::size(rows));
    for (size_t i = 0; i < all.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(std::get<int64_t>(all[i]->value("count")), int64_t(i));
      const Value v = all[i]->value("timestamp");
      if (rows[i].microseconds) {
        EXPECT_EQ(std::get<Date>(v).time_since_epoch().count(), *rows[i].microseconds);
      } else {
        EXPECT_TRUE(isNull(v));
      }
    }
  }
  EXPECT_THROW(open(), StoreError);  // now newer than version 1
}

TEST_F(ContextTest, OneObjectPerRowAndFetchesSeePendingChanges) {
  auto ctx = open();
  auto a = insert(*ctx, "alpha");
  clock_->advance(1s);
  auto b = insert(*ctx, "beta");
  clock_->advance(1s);
  insert(*ctx, "gamma");
  ctx->save();

  auto first = ctx->fetch(notes("title = %@", {std::string("alpha")}));
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], a);  // the registered object, not a copy

  clock_->advance(1s);
  auto d = insert(*ctx, "delta");                  // unsaved insert
  b->setValue("title", std::string("alpha two"));  // unsaved change into the predicate
  a->setValue("title", std::string("renamed"));    // unsaved change out of it
  EXPECT_EQ(titles(ctx->fetch(notes("title like %@", {std::string("alpha*")}))), std::vector<std::string>{"alpha two"});

  ctx->deleteObject(b);
  EXPECT_EQ(titles(ctx->fetch(notes())), (std::vector<std::string>{"renamed", "gamma", "delta"}));

  // A limit counts what the caller sees, not the rows of the file.
  auto limited = notes();
  limited.fetchLimit = 1;
  limited.sortDescriptors = {{"timestamp", false}};
  EXPECT_EQ(titles(ctx->fetch(limited)), std::vector<std::string>{"delta"});
  EXPECT_EQ(d->managedObjectContext(), ctx);
}

// A text filter passes over stored rows it does not want without making objects for them, and asks
// the objects the context already has, changed or new, for their current text.
TEST_F(ContextTest, ATextFilterPassesOverUnwantedRowsAndAsksKnownObjectsTheirCurrentText) {
  {
    auto ctx = open();
    for (const char* title : {"alpha", "beta", "gamma", "delta"}) {
      insert(*ctx, title);
      clock_->advance(1s);
    }
    for (int i = 0; i < 16; ++i) insert(*ctx, "filler " + std::to_string(i));
    ctx->save();
  }
  // Whether the wanted rows are read in the same pass as the rest, or (expected to be few among
  // many) first found by their text, by scanning or through the index for each text named, and then
  // each read on its own, the answer is the same.
  using Texts = std::optional<std::vector<std::string_view>>;
  const struct {
    const char* trace;
    std::optional<size_t> expected;
    Texts texts;
  } ways[] = {{"no expectation", std::nullopt, std::nullopt},
              {"few expected", 2, std::nullopt},
              // Named out of row order and twice: each row still comes once, in row order.
              {"few expected, texts named", 2, Texts({"gamma", "alpha", "gamma"})}};
  for (const auto& way : ways) {
    SCOPED_TRACE(way.trace);
    auto ctx = open();
    // In row order: a changed object keeps its row's place.
    FetchRequest wanted("Note");
    wanted.textFilter = FetchRequest::TextFilter{
        "title", [](std::string_view t) { return t == "alpha" || t == "gamma"; }, way.expected, way.texts};
    const int before = objectsMade;
    EXPECT_EQ(titles(ctx->fetch(wanted)), (std::vector<std::string>{"alpha", "gamma"}));
    EXPECT_EQ(objectsMade - before, 2);
    // A limit counts what passes the filter.
    auto first = wanted;
    first.fetchLimit = 1;
    first.sortDescriptors = {{"timestamp", false}};
    EXPECT_EQ(titles(ctx->fetch(first)), std::vector<std::string>{"gamma"});
    // A predicate applies to the saved rows beside the filter.
    auto saved = wanted;
    saved.predicate = Predicate::format("title != %@", {std::string("gamma")});
    EXPECT_EQ(titles(ctx->fetch(saved)), std::vector<std::string>{"alpha"});

    // Now every row has an object: those changed answer with their new text, unsaved ones too, and a
    // deleted one is gone.
    const auto all = ctx->fetch(notes());
    ASSERT_EQ(all.size(), 20u);
    all[0]->setValue("title", std::string("zeta"));   // out of the filter
    all[1]->setValue("title", std::string("alpha"));  // into it
    all[4]->setValue("title", std::string("gamma"));  // a filler into it
    ctx->deleteObject(all[2]);                        // a wanted one gone
    clock_->advance(1s);
    auto fresh = insert(*ctx, "gamma");
    EXPECT_EQ(ctx->fetch(wanted), (ObjectList{all[1], all[4], fresh}));
    // A predicate still applies beside the filter.
    auto both = wanted;
    both.predicate = Predicate::format("title != %@", {std::string("gamma")});
    EXPECT_EQ(ctx->fetch(both), (ObjectList{all[1]}));
  }
}

// Records made in the same clock tick share a timestamp: their order must still be the same on every
// fetch (row order, then unsaved ones in insertion order), with or without unsaved changes, and after
// a later key decides where the first ties. Enough ties that an unstable sort would reorder them.
TEST_F(ContextTest, TiesKeepRowOrderThenInsertionOrderAndLaterKeysDecideFirst) {
  auto ctx = open();
  std::vector<std::string> expected;
  auto name = [](int i) { return std::to_string(1000 + i); };
  for (int i = 0; i < 40; ++i) {
    insert(*ctx, name(i))->setValue("count", int64_t{i % 3});
    expected.push_back(name(i));
  }
  ctx->save();
  EXPECT_EQ(titles(ctx->fetch(notes())), expected);
  EXPECT_EQ(titles(open()->fetch(notes())), expected);

  for (int i = 40; i < 80; ++i) {
    insert(*ctx, name(i))->setValue("count", int64_t{i % 3});
    expected.push_back(name(i));
  }
  ctx->fetch(notes())[5]->setValue("weight", 1.0);  // a pending change among the saved rows
  EXPECT_EQ(titles(ctx->fetch(notes())), expected);

  // A second key orders within the first one's ties; its own ties keep the same order as above.
  auto byCount = notes();
  byCount.sortDescriptors.push_back({"count", false});
  std::vector<std::string> byCountExpected;
  for (int64_t count : {2, 1, 0}) {
    for (int i = 0; i < 80; ++i) {
      if (i % 3 == count) byCountExpected.push_back(name(i));
    }
  }
  EXPECT_EQ(titles(ctx->fetch(byCount)), byCountExpected);
  ctx->save();
  EXPECT_EQ(titles(open()->fetch(byCount)), byCountExpected);
}

TEST_F(ContextTest, UnknownEntityOrKeyIsAnInvalidRequest) {
  auto ctx = open();
  try {
    ctx->fetch(notes("nosuchkey = %@", {std::string("x")}));
    FAIL();
  } catch (const StoreError& e) {
    EXPECT_EQ(e.code(), StoreError::Code::invalidRequest);
  }
  EXPECT_THROW(ctx->fetch(FetchRequest("Nothing")), StoreError);
}

TEST_F(ContextTest, InterruptedSaveLeavesTheDatabaseAsItWas) {
  {
    auto ctx = open();
    insert(*ctx, "kept");
    ctx->save();
  }
  // The file fails the write of one row, as a full disk or an I/O error would half-way through.
  sql("CREATE TRIGGER fail BEFORE INSERT ON Note WHEN NEW.title = 'boom' BEGIN SELECT RAISE(ABORT, 'injected'); END");

  auto ctx = open();
  auto kept = ctx->fetch(notes())[0];
  kept->setValue("title", std::string("changed"));
  insert(*ctx, "first new");
  insert(*ctx, "boom");
  try {
    ctx->save();
    FAIL() << "save should fail";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.code(), StoreError::Code::io);
  }
  EXPECT_TRUE(ctx->hasChanges());
  EXPECT_FALSE(kept->changedValues().empty());

  auto other = open();
  EXPECT_EQ(titles(other->fetch(notes())), std::vector<std::string>{"kept"});

  // Once the cause is gone the same pending changes save.
  sql("DROP TRIGGER fail");
  ctx->save();
  auto third = open();
  EXPECT_EQ(titles(third->fetch(notes())), (std::vector<std::string>{"changed", "first new", "boom"}));
}

TEST_F(ContextTest, ConflictingSaveWritesNothing) {
  {
    auto ctx = open();
    insert(*ctx, "shared");
    insert(*ctx, "other");
    ctx->save();
  }
  auto mine = open();
  auto theirs = open();
  auto myShared = mine->fetch(notes("title = %@", {std::string("shared")}))[0];
  auto myOther = mine->fetch(notes("title = %@", {std::string("other")}))[0];
  auto theirShared = theirs->fetch(notes("title = %@", {std::string("shared")}))[0];

  theirShared->setValue("count", int64_t{1});
  theirs->save();

  myOther->setValue("count", int64_t{7});  // not in conflict, but part of the same save
  myShared->setValue("count", int64_t{2});
  try {
    mine->save();
    FAIL() << "save should conflict";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.code(), StoreError::Code::conflict);
  }
  auto check = open();
  auto rows = check->fetch(notes());
  EXPECT_EQ(std::get<int64_t>(rows[0]->value("count")), 1);
  EXPECT_TRUE(isNull(rows[1]->value("count")));

  // Deleting a row someone else changed conflicts too.
  mine->rollback();
  mine->deleteObject(myShared);
  EXPECT_THROW(mine->save(), StoreError);
  EXPECT_EQ(open()->fetch(notes()).size(), 2u);

  // Refreshing takes the other side's row; saving works again.
  mine->rollback();
  mine->refresh(myShared);
  EXPECT_EQ(std::get<int64_t>(myShared->value("count")), 1);
  myShared->setValue("count", int64_t{3});
  mine->save();
  EXPECT_EQ(std::get<int64_t>(open()->fetch(notes())[0]->value("count")), 3);

  // A row removed elsewhere takes the object out of the context.
  theirs->deleteObject(theirs->fetch(notes("title = %@", {std::string("other")}))[0]);
  theirs->save();
  mine->refresh(myOther);
  EXPECT_EQ(myOther->managedObjectContext(), nullptr);
  EXPECT_EQ(mine->fetch(notes()).size(), 1u);
}

TEST_F(ContextTest, ForeignAndNewerFilesAreRefusedUntouched) {
  const std::string foreign = dir_.file("foreign.sqlite");
  {
    sqlite3* db = nullptr;
    sqlite3_open(foreign.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE photos (id INTEGER)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  const auto size = std::filesystem::file_size(foreign);
  try {
    ObjectContext::open(foreign, testModel());
    FAIL();
  } catch (const StoreError& e) {
    EXPECT_EQ(e.code(), StoreError::Code::notOurs);
  }
  EXPECT_EQ(std::filesystem::file_size(foreign), size);
  EXPECT_FALSE(std::filesystem::exists(foreign + "-wal"));

  const std::string text = dir_.file("notes.txt");
  std::ofstream(text) << std::string(4096, 'x');
  try {
    ObjectContext::open(text, testModel());
    FAIL();
  } catch (const StoreError& e) {
    EXPECT_EQ(e.code(), StoreError::Code::notOurs);
  }

  ObjectContext::open(dir_.file("db.sqlite"), testModel(2));  // created by a newer version
  try {
    open();
    FAIL();
  } catch (const StoreError& e) {
    EXPECT_EQ(e.code(), StoreError::Code::newerVersion);
  }
}

TEST_F(ContextTest, FetchFromClosedOrCorruptDatabaseThrows) {
  auto ctx = open();
  for (int i = 0; i < 200; ++i) insert(*ctx, "note " + std::to_string(i) + std::string(200, 'x'));
  ctx->save();
  ctx->close();
  EXPECT_THROW(ctx->fetch(notes()), StoreError);

  {  // Checkpoint the WAL into the main file, then overwrite its table pages.
    sql("PRAGMA wal_checkpoint(TRUNCATE)");
    std::fstream f(dir_.file("db.sqlite"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4096);  // page 2 onwards: the first table's root and the pages after it
    const std::string garbage(4096 * 4, '\x5a');
    f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  auto broken = open();
  try {
    broken->fetch(notes());
    FAIL();
  } catch (const StoreError& e) {
    EXPECT_TRUE(e.code() == StoreError::Code::io || e.code() == StoreError::Code::notOurs) << e.what();
  }
}

TEST_F(ContextTest, ObjectsDidChangeCarriesPreviousValuesDuringDelivery) {
  auto ctx = open();
  auto a = insert(*ctx, "a");
  auto b = insert(*ctx, "b");
  ctx->save();  // processes (and announces) the two insertions

  std::vector<std::map<std::string, std::any>> infos;
  std::map<std::string, Value> previousOfA;
  auto registration = platform::NotificationCenter::defaultCenter().addObserver(
      kObjectsDidChangeNotification, ctx.get(), [&](const platform::Notification& n) {
        infos.push_back(n.userInfo);
        previousOfA = a->changedValuesForCurrentEvent();
      });

  a->setValue("done", true);
  a->setValue("done", false);
  a->setValue("done", true);  // the previous value is the one before the first change
  ctx->deleteObject(b);
  auto c = insert(*ctx, "c");
  ctx->processPendingChanges();

  ASSERT_EQ(infos.size(), 1u);
  auto list = [&](const char* key) { return std::any_cast<ObjectList>(infos[0].at(key)); };
  EXPECT_EQ(list(kUpdatedObjectsKey), ObjectList{a});
  EXPECT_EQ(list(kDeletedObjectsKey), ObjectList{b});
  EXPECT_EQ(list(kInsertedObjectsKey), ObjectList{c});
  EXPECT_EQ(ObjectContext::countInsertAndDeleteNotificationObjects<Note>(infos[0]), 2u);
  ASSERT_EQ(previousOfA.count("done"), 1u);
  EXPECT_EQ(std::get<bool>(previousOfA["done"]), false);
  EXPECT_TRUE(a->changedValuesForCurrentEvent().empty());  // only while announced

  ctx->processPendingChanges();  // nothing new: nothing posted
  EXPECT_EQ(infos.size(), 1u);

  // The next event starts afresh: only what changed since the last announcement, with the values it
  // had then (an object inserted in the last event included).
  std::map<std::string, Value> previousOfC;
  auto registration2 = platform::NotificationCenter::defaultCenter().addObserver(
      kObjectsDidChangeNotification, ctx.get(), [&](const platform::Notification&) {
        previousOfC = c->changedValuesForCurrentEvent();
      });
  a->setValue("count", int64_t{5});
  c->setValue("title", std::string("c2"));
  ctx->processPendingChanges();
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(previousOfA.count("done"), 0u) << "changed in the event before";
  ASSERT_EQ(previousOfA.count("count"), 1u);
  EXPECT_TRUE(isNull(previousOfA["count"]));
  EXPECT_EQ(previousOfC.size(), 1u);
  EXPECT_EQ(previousOfC["title"], Value(std::string("c")));
}

TEST_F(ContextTest, RelationshipsKeepTheirInverseAndSurviveReopening) {
  {
    auto ctx = open();
    auto note = insert(*ctx, "n");
    auto label = std::make_shared<Note>(*testModel().entity("Label"));
    ctx->insertObject(label);
    label->setValue("title", std::string("work"));
    note->setRelatedObjects("labels", {label});
    EXPECT_EQ(label->relatedObjects("notes"), ObjectList{note});
    ctx->save();
  }
  auto ctx = open();
  auto note = ctx->fetch(notes())[0];
  auto labels = note->relatedObjects("labels");
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0]->relatedObjects("notes"), ObjectList{note});

  ctx->deleteObject(labels[0]);
  EXPECT_TRUE(note->relatedObjects("labels").empty());
  ctx->rollback();
  EXPECT_EQ(note->relatedObjects("labels"), labels);
  ctx->deleteObject(labels[0]);
  ctx->save();
  EXPECT_TRUE(open()->fetch(notes())[0]->relatedObjects("labels").empty());
}

// A record read and never changed has no changes; a refresh from a row changed elsewhere forgets
// the record's own change.
TEST_F(ContextTest, CommittedValuesOfReadChangedAndRefreshedRecords) {
  {
    auto ctx = open();
    insert(*ctx, "a");
    ctx->save();
  }
  auto mine = open();
  auto theirs = open();
  auto a = mine->fetch(notes())[0];
  EXPECT_TRUE(a->changedValues().empty());
  EXPECT_EQ(a->committedValue("title"), Value(std::string("a")));
  a->setValue("count", int64_t{5});
  EXPECT_EQ(a->changedValues(), (std::map<std::string, Value>{{"count", int64_t{5}}}));
  auto theirA = theirs->fetch(notes())[0];
  theirA->setValue("count", int64_t{1});
  theirs->save();
  mine->refresh(a);
  EXPECT_EQ(a->committedValue("count"), Value(int64_t{1}));
  EXPECT_TRUE(a->changedValues().empty());
}

TEST_F(ContextTest, RollbackDropsInsertsAndRestoresValues) {
  auto ctx = open();
  auto a = insert(*ctx, "a");
  ctx->save();
  a->setValue("title", std::string("changed"));
  auto b = insert(*ctx, "b");
  ctx->deleteObject(a);
  ctx->rollback();
  EXPECT_FALSE(ctx->hasChanges());
  EXPECT_EQ(static_cast<Note&>(*a).title(), "a");
  EXPECT_EQ(b->managedObjectContext(), nullptr);
  EXPECT_EQ(titles(ctx->fetch(notes())), std::vector<std::string>{"a"});
  ctx->insertObject(b);  // a rolled-back object may be inserted again, and is stamped again
  EXPECT_EQ(static_cast<Note&>(*b).awakened, 2);
}

TEST_F(ContextTest, QueueRunsItemsInOrderAndPerformAndWaitIsReentrant) {
  auto ctx = open();
  std::vector<int> order;
  std::atomic<bool> onOtherThread{false};
  const auto caller = std::this_thread::get_id();
  for (int i = 0; i < 5; ++i) {
    ctx->perform([&, i] {
      order.push_back(i);
      onOtherThread = std::this_thread::get_id() != caller;
    });
  }
  const int answer = ctx->performAndWait([&] { return ctx->performAndWait([] { return 42; }); });
  EXPECT_EQ(answer, 42);
  EXPECT_THROW(ctx->performAndWait([]() -> int { throw StoreError(StoreError::Code::io, "x"); }), StoreError);

  // An item inserted on the queue is announced when the item ends.
  std::atomic<int> announced{0};
  auto registration = platform::NotificationCenter::defaultCenter().addObserver(
      kObjectsDidChangeNotification, ctx.get(), [&](const platform::Notification&) { ++announced; });
  std::atomic<bool> done{false};
  ctx->perform([&] { insert(*ctx, "from the queue"); });
  ctx->perform([&] { done = true; });
  while (!done) std::this_thread::sleep_for(1ms);
  ctx->performAndWait([] {});
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(onOtherThread);
  EXPECT_EQ(announced.load(), 1);
}

TEST_F(ContextTest, ManyThreadsInsertChangeAndFetchAtOnce) {
  auto ctx = open();
  std::atomic<int> announced{0};
  auto registration = platform::NotificationCenter::defaultCenter().addObserver(
      kObjectsDidChangeNotification, ctx.get(), [&](const platform::Notification& n) {
        // Observers read the objects while other threads change them.
        if (auto it = n.userInfo.find(kUpdatedObjectsKey); it != n.userInfo.end()) {
          for (auto& o : std::any_cast<ObjectList>(it->second)) o->changedValuesForCurrentEvent();
        }
        ++announced;
      });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i) {
        const std::string title = std::to_string(t) + "/" + std::to_string(i);
        auto o = insert(*ctx, title);
        o->setValue("count", int64_t{i});
        auto found = ctx->performAndWait([&] { return ctx->fetch(notes("title = %@", {title})); });
        EXPECT_EQ(found, ObjectList{o});
        ctx->perform([o] { o->setValue("done", true); });
        if (i % 10 == 0) ctx->processPendingChanges();
      }
    });
  }
  for (auto& th : threads) th.join();
  std::promise<void> drained;  // items run in order: once this one runs, all earlier ones have
  ctx->perform([&] { drained.set_value(); });
  drained.get_future().wait();
  ctx->save();
  EXPECT_EQ(open()->fetch(notes("done = %@", {true})).size(), 100u);
  EXPECT_GT(announced.load(), 0);
}

// Random inserts, changes, deletions, saves and rollbacks against a plain model of what the context
// should show (pending view) and what the file should hold (saved view).
TEST_F(ContextTest, RandomOperationsAgreeWithASimpleModel) {
  struct Row {
    std::string title;
    int64_t count;
    bool operator<(const Row& o) const { return std::tie(title, count) < std::tie(o.title, o.count); }
    bool operator==(const Row& o) const { return title == o.title && count == o.count; }
  };
  for (unsigned seed : {1u, 2u, 3u}) {
    std::filesystem::remove(dir_.file("db.sqlite"));
    std::filesystem::remove(dir_.file("db.sqlite-wal"));
    std::filesystem::remove(dir_.file("db.sqlite-shm"));
    std::mt19937 random(seed);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    const std::string titles[] = {"a", "b", "c", "d"};
    auto ctx = open();
    std::map<std::shared_ptr<ManagedObject>, Row> pending, saved;
    auto any = [&](std::map<std::shared_ptr<ManagedObject>, Row>& m) {
      auto it = m.begin();
      std::advance(it, static_cast<long>(pick(m.size())));
      return it->first;
    };
    for (int step = 0; step < 300; ++step) {
      const size_t op = pick(20);
      if (op < 7 || pending.empty()) {
        Row row{titles[pick(4)], static_cast<int64_t>(pick(100))};
        auto o = insert(*ctx, row.title);
        o->setValue("count", row.count);
        pending[o] = row;
      } else if (op < 12) {
        auto o = any(pending);
        Row row{titles[pick(4)], static_cast<int64_t>(pick(100))};
        o->setValue("title", row.title);
        o->setValue("count", row.count);
        pending[o] = row;
      } else if (op < 15) {
        auto o = any(pending);
        ctx->deleteObject(o);
        pending.erase(o);
      } else if (op < 16) {
        ctx->save();
        saved = pending;
      } else if (op < 17) {
        ctx->rollback();
        pending = saved;
      } else {
        const std::string& title = titles[pick(4)];
        std::set<std::shared_ptr<ManagedObject>> expected, got;
        for (auto& [o, row] : pending) {
          if (row.title == title) expected.insert(o);
        }
        for (auto& o : ctx->fetch(notes("title = %@", {title}))) got.insert(o);
        ASSERT_EQ(got, expected) << "seed " << seed << " step " << step;
      }
      for (auto& [o, row] : pending) {
        ASSERT_EQ((Row{static_cast<Note&>(*o).title(), std::get<int64_t>(o->value("count"))}), row)
            << "seed " << seed << " step " << step;
      }
    }
    ctx->save();
    std::multiset<Row> expected, got;
    for (auto& [o, row] : pending) expected.insert(row);
    for (auto& o : open()->fetch(notes())) got.insert({static_cast<Note&>(*o).title(), std::get<int64_t>(o->value("count"))});
    EXPECT_EQ(got, expected) << "seed " << seed;
  }
}

TEST_F(ContextTest, ContextDroppedByItsOwnQueueItemDoesNotDeadlock) {
  std::atomic<bool> ran{false};
  {
    auto ctx = open();
    ctx->perform([&] { ran = true; });
  }  // the queue item may hold the last reference
  while (!ran) std::this_thread::sleep_for(1ms);
}

}  // namespace
}  // namespace zarvo::store
