#include "zarvo/platform/localization.h"

#include <gtest/gtest.h>

#include "zarvo/testing/scoped_locale.h"

namespace zarvo::platform {
namespace {

using testing::ScopedLocale;

TEST(LocalizationTest, TaskCountUsesPluralRules) {
  ScopedLocale locale("en_US");
  const std::string format = localizedString("task_count", "Do not translate. Copy as is", "");
  EXPECT_EQ(formatLocalized(format, {1}), "1 task");
  EXPECT_EQ(formatLocalized(format, {0}), "0 tasks");
  EXPECT_EQ(formatLocalized(format, {1234}), "1,234 tasks");
  EXPECT_EQ(localizedString("no such key"), "no such key");
  EXPECT_EQ(localizedString("no such key", "", "fallback"), "fallback");
}

TEST(LocalizationTest, RegisteredTableWinsForItsLanguage) {
  registerLocalizedStrings("pl", {{"task_count", "{0, plural, one {# zadanie} few {# zadania} many {# zadań} other {# zadania}}"}});
  ScopedLocale locale("pl_PL");
  const std::string format = localizedString("task_count");
  EXPECT_EQ(formatLocalized(format, {1}), "1 zadanie");
  EXPECT_EQ(formatLocalized(format, {3}), "3 zadania");
  EXPECT_EQ(formatLocalized(format, {5}), "5 zadań");
  EXPECT_EQ(formatLocalized("{0, plural, one {broken", {1}), "{0, plural, one {broken");
}

}  // namespace
}  // namespace zarvo::platform
