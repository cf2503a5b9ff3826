// Reading and writing whole files, and a snapshot of a folder tree to compare before and after.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace zarvo::testing {

// The bytes of `path`; "" when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Writes `text` to `path`, making its folder first.
inline void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// Every regular file below `dir`, as path relative to it -> contents; empty when `dir` is missing.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> out;
  if (!std::filesystem::exists(dir)) return out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    if (e.is_regular_file()) out[std::filesystem::relative(e.path(), dir).string()] = readFile(e.path());
  }
  return out;
}

}  // namespace zarvo::testing
