// Writes seeds for the cache decoder fuzzer: the given task files, parsed and encoded as a saved
// cache. Metadata is synthetic (size from the content, fixed times, inode from the position), so
// the seeds depend only on the files.
//
//   zarvo_fuzz_cache_seed OUT_PREFIX FILE.ics...
//
// writes OUT_PREFIX.cache (the whole copy, header included) and OUT_PREFIX.payload (the part after
// the header, which the fuzzer frames itself).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_support.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/ical_file.h"

namespace fs = std::filesystem;
using zarvo::reminders::detail::FileCache;

namespace {

bool writeBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUT_PREFIX FILE.ics...\n", argv[0]);
    return 2;
  }
  zarvo::fuzz::setUpProcess();
  const fs::path root = "/fuzz-root/reminders";
  FileCache cache;
  for (int i = 2; i < argc; ++i) {
    const fs::path source = argv[i];
    std::ifstream in(source, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "%s: cannot read\n", argv[i]);
      return 1;
    }
    // <root>/<source>/<collection>/<file>, as the store lays files out.
    const fs::path path = root / "local" / source.parent_path().filename() / source.filename();
    std::string error;
    auto file = zarvo::reminders::detail::parseTodoFile(path, std::move(content), {}, error);
    if (!file) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.c_str());
      return 1;
    }
    zarvo::platform::FileInfo info;
    info.exists = info.isRegular = true;
    info.size = file->content.size();
    info.modifiedNs = info.changedNs = 1'710'147'600'000'000'000;  // 2024-03-11 09:00 UTC
    info.inode = static_cast<uint64_t>(i);
    info.device = 1;
    info.mode = 0600;
    cache.store(path, {info, std::move(file), nullptr});
  }
  const std::string encoded = cache.encode(root);
  std::string why;
  const auto payload = zarvo::reminders::detail::FileCache::payloadOf(encoded, why);
  const std::string prefix = argv[1];
  if (!payload || !writeBytes(prefix + ".cache", encoded) || !writeBytes(prefix + ".payload", *payload)) {
    std::fprintf(stderr, "cannot write %s.*\n", prefix.c_str());
    return 1;
  }
  return 0;
}
