// The saved file cache's decoder on arbitrary bytes: once as they are (the header checks), and once
// framed with a valid header and checksum (the entry reader).
//
// Decoding must never crash; what it accepts must be safe to use: every entry names a file under
// the root, and every offset lies within that file's content. Accepted entries, cached and encoded
// again, must decode again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/ical_file.h"

namespace {

namespace fs = std::filesystem;
using zarvo::fuzz::check;
using zarvo::reminders::detail::FileCache;
using zarvo::reminders::detail::TodoEntry;
using zarvo::reminders::detail::TodoFile;

const fs::path kRoot = "/fuzz-root/reminders";

bool underRoot(const fs::path& path) {
  const fs::path relative = path.lexically_relative(kRoot);
  if (relative.empty()) return false;
  return std::none_of(relative.begin(), relative.end(), [](const fs::path& part) { return part == ".."; });
}

void checkFile(const fs::path& path, const FileCache::Entry& entry) {
  check(entry.file != nullptr, "a decoded entry without a file");
  const TodoFile& file = *entry.file;
  check(file.path == path, "an entry's path differs from its file's");
  check(underRoot(path), "a decoded path leads outside the root");
  const size_t size = file.content.size();
  check(entry.info.size == size, "an entry's size differs from its content");
  check(file.firstComponentBegin <= size, "firstComponentBegin past the end");
  for (const TodoEntry& todo : file.todos) {
    check(todo.begin <= todo.endLineBegin && todo.endLineBegin <= todo.end && todo.end <= size,
          "a VTODO's offsets are out of order or past the end");
    for (const auto& line : todo.lines) {
      check(line.begin <= line.end && line.end <= size, "a property line past the end");
    }
    for (const auto& origin : todo.alarmOrigins) {
      check(origin != nullptr && origin->begin <= origin->end && origin->end <= size, "an alarm block past the end");
    }
    for (const auto& alarm : todo.alarms) {
      check(!alarm.origin || std::find(todo.alarmOrigins.begin(), todo.alarmOrigins.end(), alarm.origin) !=
                                 todo.alarmOrigins.end(),
            "an alarm's origin is not one of its VTODO's blocks");
    }
  }
}

void decodeAndCheck(std::string_view bytes) {
  std::string why;
  const auto entries = FileCache::decode(bytes, kRoot, why);
  if (!entries) {
    check(!why.empty(), "a copy refused without a reason");
    return;
  }
  FileCache cache;
  for (const auto& [path, entry] : *entries) {
    checkFile(path, entry);
    cache.store(path, entry);
  }
  const std::string again = cache.encode(kRoot);
  check(FileCache::decode(again, kRoot, why).has_value(), "accepted entries, encoded again, do not decode");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zarvo::fuzz::setUpProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  decodeAndCheck(bytes);
  decodeAndCheck(FileCache::frame(bytes));
  return 0;
}
