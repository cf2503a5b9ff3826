// Sets ICU's default locale for the lifetime of the object, then restores the previous one.
#pragma once

#include <gtest/gtest.h>
#include <unicode/locid.h>

namespace zarvo::testing {

class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : previous_(icu::Locale::getDefault()) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(name), status);
    EXPECT_TRUE(U_SUCCESS(status)) << name;
  }
  ~ScopedLocale() {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(previous_, status);
  }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  icu::Locale previous_;
};

}  // namespace zarvo::testing
