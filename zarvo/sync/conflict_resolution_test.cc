#include "zarvo/sync/conflict_resolution.h"

#include <gtest/gtest.h>

#include <string>

#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::caldav {
namespace {

std::string todo(const std::string& lines) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:t1@host\r\n" + lines + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

TEST(ConflictTest, TheVersionChangedLastWinsAndTiesGoToTheServer) {
  struct Case {
    const char* why;
    std::string local, server;
    Side winner;
  };
  const Case cases[] = {
      {"local newer", todo("LAST-MODIFIED:20240312T100000Z\r\n"), todo("LAST-MODIFIED:20240311T100000Z\r\n"), Side::local},
      {"server newer", todo("LAST-MODIFIED:20240311T100000Z\r\n"), todo("LAST-MODIFIED:20240312T100000Z\r\n"), Side::server},
      {"same time", todo("LAST-MODIFIED:20240312T100000Z\r\n"), todo("LAST-MODIFIED:20240312T100000Z\r\n"), Side::server},
      {"seconds decide", todo("LAST-MODIFIED:20240312T100001Z\r\n"), todo("LAST-MODIFIED:20240312T100000Z\r\n"), Side::local},
      {"no stamp here", todo(""), todo("LAST-MODIFIED:20200101T000000Z\r\n"), Side::server},
      {"floating stamp", todo("LAST-MODIFIED:20250101T000000\r\n"), todo("LAST-MODIFIED:20200101T000000Z\r\n"), Side::server},
      {"DTSTAMP stands in", todo("DTSTAMP:20240313T000000Z\r\n"), todo("DTSTAMP:20240312T000000Z\r\n"), Side::local},
      {"folded and lower-case", todo("last-modified:2024031\r\n 3T000000Z\r\n"), todo("LAST-MODIFIED:20240312T000000Z\r\n"),
       Side::local},
      {"an alarm's stamp is not the task's",
       todo("LAST-MODIFIED:20240311T000000Z\r\nBEGIN:VALARM\r\nLAST-MODIFIED:20300101T000000Z\r\nEND:VALARM\r\n"),
       todo("LAST-MODIFIED:20240312T000000Z\r\n"), Side::server},
  };
  for (const auto& c : cases) EXPECT_EQ(conflictWinner(c.local, c.server), c.winner) << c.why;
}

TEST(ConflictTest, TheWinnerIsWrittenToBothSidesAndTheLoserIsKeptByteForByte) {
  testing::TempDir dir;
  const std::string local = todo("SUMMARY:Buy oat\\, milk\r\nLAST-MODIFIED:20240312T100000Z\r\nX-OTHER:kept\r\n");
  const std::string server = todo("SUMMARY:Buy milk\r\nLAST-MODIFIED:20240311T100000Z\r\n");
  testing::writeFile(dir.path() / "a", local);
  testing::writeFile(dir.path() / "b", server);

  const ConflictNote note = resolveConflictFiles(dir.path() / "a", dir.path() / "b", dir.path() / "conflicts").value();
  EXPECT_EQ(note.kept, Side::local);
  EXPECT_EQ(note.uid, "t1@host");
  EXPECT_EQ(note.keptTitle, "Buy oat, milk");
  EXPECT_EQ(note.otherTitle, "Buy milk");
  EXPECT_EQ(testing::readFile(dir.path() / "a"), local);
  EXPECT_EQ(testing::readFile(dir.path() / "b"), local);
  EXPECT_EQ(testing::readFile(note.savedAt), server);

  // The same conflict settled again keeps both saved copies.
  testing::writeFile(dir.path() / "b", server);
  const ConflictNote again = resolveConflictFiles(dir.path() / "a", dir.path() / "b", dir.path() / "conflicts").value();
  EXPECT_NE(again.savedAt, note.savedAt);
  EXPECT_EQ(testing::readFile(note.savedAt), server);
}

TEST(ConflictTest, AnUnreadableVersionChangesNothing) {
  testing::TempDir dir;
  testing::writeFile(dir.path() / "a", todo(""));
  const auto missing = resolveConflictFiles(dir.path() / "a", dir.path() / "missing", dir.path() / "conflicts");
  EXPECT_TRUE(missing.error() == SyncErrc::files);
  EXPECT_NE(missing.error().message().find("missing"), std::string::npos);
  EXPECT_EQ(testing::readFile(dir.path() / "a"), todo(""));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "conflicts"));
}

}  // namespace
}  // namespace zarvo::caldav
