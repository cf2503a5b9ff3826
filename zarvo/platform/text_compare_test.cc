#include "zarvo/platform/text_compare.h"

#include <gtest/gtest.h>

#include "zarvo/testing/scoped_locale.h"

namespace zarvo::platform {
namespace {

using testing::ScopedLocale;

TEST(LocalizedContainsTest, IgnoresCaseAndDiacritics) {
  ScopedLocale locale("en_US");
  EXPECT_TRUE(localizedStandardContains("Un CAFÉ crème", "cafe"));
  EXPECT_TRUE(localizedStandardContains("cafe", "CAFÉ"));
  EXPECT_TRUE(localizedStandardContains("Cafe\u0301 au lait", "café"));  // decomposed accent
  EXPECT_TRUE(localizedStandardContains("Straße", "STRASSE"));
  EXPECT_TRUE(localizedStandardContains("call mom", " "));
  EXPECT_FALSE(localizedStandardContains("cafeteria", "cafes"));
  EXPECT_FALSE(localizedStandardContains("anything", ""));
  EXPECT_FALSE(localizedStandardContains("", "a"));
}

TEST(CanonicalCompareTest, CodePointOrderAfterNormalization) {
  EXPECT_EQ(compareCanonically("Caf\u00e9", "Cafe\u0301"), 0);  // canonically equivalent
  EXPECT_LT(compareCanonically("B", "a"), 0);                     // case-sensitive: 'B' < 'a'
  EXPECT_LT(compareCanonically("", "a"), 0);
  EXPECT_LT(compareCanonically("z", "\u00e9"), 0);               // not localized: é after z
  EXPECT_GT(compareCanonically("\U0001F600", "\uFFFD"), 0);      // scalar order, not UTF-16 order
  EXPECT_EQ(compareCanonically("same", "same"), 0);
}

}  // namespace
}  // namespace zarvo::platform
