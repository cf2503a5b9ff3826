#include "zarvo/platform/log.h"

#include <gtest/gtest.h>

namespace zarvo::platform {
namespace {

TEST(LogFormat, PrivacyOfArguments) {
  struct Case {
    const char* format;
    std::vector<std::string> args;
    bool showPrivate;
    const char* expected;
  };
  const Case cases[] = {
      {"Task '%@' has no associated reminder", {"Buy milk"}, false, "Task '<private>' has no associated reminder"},
      {"Task '%@' has no associated reminder", {"Buy milk"}, true, "Task 'Buy milk' has no associated reminder"},
      {"id '%{public}@' in %@", {"ABC", "Home"}, false, "id 'ABC' in <private>"},
      {"%{private}d items, %ld public, %s", {"3", "4", "x"}, false, "<private> items, 4 public, <private>"},
      {"100%% of %{public}@ and %@", {"a"}, true, "100% of a and <missing>"},
      {"no arguments", {}, false, "no arguments"},
      {"dangling %", {}, false, "dangling %"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Log::format(c.format, c.args, c.showPrivate), c.expected) << c.format;
  }
}

TEST(Log, CaptureSinkReceivesLevelsSubsystemAndCategoryThenRestores) {
  auto before = Log::sink();
  {
    ScopedLogCapture capture;
    Log log("org.example.app", "CalendarIO");
    log.debug("Selecting default source: %{public}@", std::string("local"));
    log.info("count %d", 42);
    log.notice("List '%@' has no associated calendar", "Groceries");
    log.error("Failed: %{public}@", "disk full");
    auto records = capture.sink().records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].level, LogLevel::debug);
    EXPECT_EQ(records[0].message, "Selecting default source: local");
    EXPECT_EQ(records[1].message, "count 42");
    EXPECT_EQ(records[2].level, LogLevel::defaultLevel);
    EXPECT_EQ(records[2].subsystem, "org.example.app");
    EXPECT_EQ(records[2].category, "CalendarIO");
    EXPECT_TRUE(capture.sink().contains(LogLevel::error, "disk full"));
    EXPECT_FALSE(capture.sink().contains(LogLevel::debug, "disk full"));
    if (!Log::showsPrivateData()) {
      EXPECT_EQ(records[2].message, "List '<private>' has no associated calendar");
    }
  }
  EXPECT_EQ(Log::sink(), before);
}

}  // namespace
}  // namespace zarvo::platform
