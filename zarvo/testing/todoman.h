// Runs the todoman client against a test's configuration, for the interoperability tests.
#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <map>
#include <string>

namespace zarvo::testing {

// Whether the todoman program is installed; tests that need it skip themselves without it.
inline bool todomanInstalled() { return std::system("command -v todoman >/dev/null 2>&1") == 0; }

// Writes a todoman configuration at `config` that reads every list below `root` (<root>/<source>/<list>),
// keeps its cache at `cache`, and shows dates as zarvo's tests expect. todoman loads it as Python.
inline void writeTodomanConfig(const std::filesystem::path& config, const std::filesystem::path& root,
                               const std::filesystem::path& cache) {
  std::ofstream(config) << "path = \"" << (root / "*" / "*").string() << "\"\n"
                        << "cache_path = \"" << cache.string() << "\"\n"
                        << "date_format = \"%Y-%m-%d\"\ntime_format = \"%H:%M\"\n"
                        << "default_list = \"Reminders\"\n";
}

// Runs todoman in UTC with configuration `config`; returns its standard output. A non-zero exit fails
// the calling test.
inline std::string runTodoman(const std::filesystem::path& config, const std::string& arguments) {
  const std::string command = "TZ=UTC todoman --color never -c '" + config.string() + "' " + arguments;
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 4096> buffer;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
  EXPECT_EQ(::pclose(pipe), 0) << command << "\n" << out;
  return out;
}

// Every task todoman lists (open and done), keyed by summary.
inline std::map<std::string, nlohmann::json> todomanTasksBySummary(const std::filesystem::path& config) {
  std::map<std::string, nlohmann::json> out;
  for (auto& task : nlohmann::json::parse(runTodoman(config, "--porcelain list --status ANY"))) {
    out[task["summary"].get<std::string>()] = task;
  }
  return out;
}

}  // namespace zarvo::testing
