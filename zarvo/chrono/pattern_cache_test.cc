#include "zarvo/chrono/pattern_cache.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo::chrono {
namespace {

// A caller's buffer reused for another pattern of the same length must not be served the regex
// remembered for its address.
TEST(PatternCacheTest, ReusedTextAddressWithOtherContentsGetsItsOwnRegex) {
  std::u16string buffer = u"^apple$";
  EXPECT_TRUE(patternMatches(buffer, u"apple"));
  buffer = u"^grape$";
  EXPECT_TRUE(patternMatches(buffer, u"grape"));
  EXPECT_FALSE(patternMatches(buffer, u"apple"));
}

}  // namespace
}  // namespace zarvo::chrono
