// Where a test finds the project's sources (fixtures) and its build (the zarvo program).
//
// CTest sets ZARVO_SOURCE_DIR and ZARVO_BINARY_DIR; a test binary started by hand falls back to the
// folders it was built from, so every test binary also runs on its own from the build folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zarvo::testing {

namespace detail {
inline std::filesystem::path folderFrom(const char* variable, const char* builtIn) {
  if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') return value;
  return builtIn;
}
}  // namespace detail

// The source tree: $ZARVO_SOURCE_DIR, else the one this test was built from.
inline std::filesystem::path sourceDir() { return detail::folderFrom("ZARVO_SOURCE_DIR", ZARVO_TEST_SOURCE_DIR); }

// The build tree: $ZARVO_BINARY_DIR, else the one this test was built in.
inline std::filesystem::path binaryDir() { return detail::folderFrom("ZARVO_BINARY_DIR", ZARVO_TEST_BINARY_DIR); }

// tests/fixtures/`name` in the source tree. Fails the calling test, saying which folder it needs,
// when the folder is not there (a test binary moved away from its sources).
inline std::filesystem::path fixtures(const std::string& name) {
  const std::filesystem::path path = sourceDir() / "tests" / "fixtures" / name;
  if (!std::filesystem::is_directory(path)) {
    ADD_FAILURE() << "test fixtures not found at " << path << "; set ZARVO_SOURCE_DIR to the source tree";
  }
  return path;
}

}  // namespace zarvo::testing
