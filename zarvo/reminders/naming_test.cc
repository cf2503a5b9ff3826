#include "zarvo/reminders/naming.h"

#include "zarvo/reminders/internal/folder_name.h"

#include <gtest/gtest.h>
#include <unicode/utf8.h>

#include <filesystem>

#include "zarvo/reminders/event_store.h"
#include "zarvo/testing/paths.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders {
namespace {

using detail::folderNameForTitle;
using detail::kMaxFolderNameBytes;

bool validUtf8(const std::string& text) {
  for (int32_t i = 0; i < static_cast<int32_t>(text.size());) {
    UChar32 c;
    U8_NEXT(text.data(), i, static_cast<int32_t>(text.size()), c);
    if (c < 0) return false;
  }
  return true;
}

TEST(FolderNameTest, TitlesBecomeLowerCaseWordsJoinedByDashes) {
  struct Case {
    const char* title;
    const char* name;
  } cases[] = {
      {"Work", "work"},
      {"Home Office", "home-office"},
      {"  Groceries -- 2024!  ", "groceries-2024"},
      {"Einkäufe", "einkaufe"},
      {"Čeština à la carte", "cestina-a-la-carte"},
      {"Задачи", "zadaci"},
      {"Ψώνια", "psonia"},
      {"買い物リスト", "買い物リスト"},  // Han: its own letters, in whichever language it is read
      {"购物", "购物"},
      {"../etc/passwd", "etc-passwd"},
      {".hidden", "hidden"},
      {"a/b\\c", "a-b-c"},
      {"..", "list"},
      {"", "list"},
      {"🎉🎉", "list"},
      {"Tab\tand\nnewline", "tab-and-newline"},
  };
  for (const auto& c : cases) EXPECT_EQ(folderNameForTitle(c.title, {}), c.name) << c.title;
}

TEST(FolderNameTest, TakenNamesGetTheNextFreeNumberWhateverTheirCase) {
  EXPECT_EQ(folderNameForTitle("Work", {"work"}), "work-2");
  EXPECT_EQ(folderNameForTitle("Work", {"Work", "work-2"}), "work-3");
  EXPECT_EQ(folderNameForTitle("work", {"work-2"}), "work");
  EXPECT_EQ(folderNameForTitle("", {"list"}), "list-2");
}

TEST(FolderNameTest, LongTitlesAreCutBetweenCodePointsAndStayUniqueWhenCut) {
  const std::string latin(200, 'x');
  const std::string cut = folderNameForTitle(latin, {});
  EXPECT_EQ(cut.size(), kMaxFolderNameBytes);
  const std::string numbered = folderNameForTitle(latin, {cut});
  EXPECT_LE(numbered.size(), kMaxFolderNameBytes);
  EXPECT_TRUE(numbered.ends_with("-2")) << numbered;

  std::string han;
  for (int i = 0; i < 40; ++i) han += "買";  // three bytes each: 48 is not a boundary plus one
  const std::string hanCut = folderNameForTitle(han + "x", {});
  EXPECT_LE(hanCut.size(), kMaxFolderNameBytes);
  EXPECT_TRUE(validUtf8(hanCut)) << hanCut;
  EXPECT_TRUE(validUtf8(folderNameForTitle(han, {hanCut})));

  // A cut that ends on a word gap leaves no dash behind.
  const std::string words = std::string(kMaxFolderNameBytes - 1, 'a') + " b";
  EXPECT_EQ(folderNameForTitle(words, {}), std::string(kMaxFolderNameBytes - 1, 'a'));
}

class ReadableFolderStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { setReadableFolderNames(true); }
  void TearDown() override { setReadableFolderNames(false); }

  std::shared_ptr<Calendar> made(EventStore& store, const std::string& title) {
    auto calendar = Calendar::calendarForEntityType(EntityType::reminder, store);
    calendar->setTitle(title);
    store.saveCalendar(calendar, true);
    return calendar;
  }

  testing::TempDir tmp_;
  const std::filesystem::path root_ = tmp_.path() / "store";  // made by requestAccess
};

TEST_F(ReadableFolderStoreTest, NewCalendarsAreNamedAfterTheirTitleAndKeepTheFolderWhenRenamed) {
  EventStore store(testing::optionsFor(root_));
  testing::createStore(store);
  EXPECT_EQ(store.defaultCalendarForNewReminders()->calendarIdentifier(), "local/reminders");
  auto work = made(store, "Work");
  EXPECT_EQ(work->calendarIdentifier(), "local/work");
  // Another program's folder of that name, not yet seen by this handle, is not reused.
  std::filesystem::create_directories(root_ / "local" / "work-2");
  EXPECT_EQ(made(store, "work")->calendarIdentifier(), "local/work-3");

  work->setTitle("Office");
  store.saveCalendar(work, true);
  EXPECT_EQ(work->calendarIdentifier(), "local/work");
  EventStore other(testing::optionsFor(root_));
  ASSERT_NE(other.calendarWithIdentifier("local/work"), nullptr);
  EXPECT_EQ(other.calendarWithIdentifier("local/work")->title(), "Office");
}

TEST(NamingDefaultsTest, FoldersAreNamedByUuidUnlessAskedAndTheLocalAccountPlainly) {
  EXPECT_FALSE(readableFolderNames());
  testing::TempDir tmp;
  EventStore store(testing::optionsFor(tmp.path() / "store"));
  testing::createStore(store);
  auto work = Calendar::calendarForEntityType(EntityType::reminder, store);
  work->setTitle("Work");
  store.saveCalendar(work, true);
  const std::string id = work->calendarIdentifier();
  EXPECT_EQ(id.size(), std::string("local/").size() + 36) << id;
  const auto sources = store.sources();
  ASSERT_EQ(sources.size(), 1u);
  EXPECT_EQ(sources[0]->title(), kLocalSourceTitle);
  EXPECT_TRUE(hasBuiltInTitle(*sources[0]));
  EXPECT_TRUE(hasBuiltInTitle(Source("local", "On My Computer", SourceType::local)));
  EXPECT_FALSE(hasBuiltInTitle(Source("local", "Laptop", SourceType::local)));
  EXPECT_FALSE(hasBuiltInTitle(Source("dav", std::string(kLocalSourceTitle), SourceType::calDAV)));
}

}  // namespace
}  // namespace zarvo::reminders
