// A history entry's decoder on arbitrary bytes (an entry file is untrusted: another program, a damaged
// disk or an attacker may have written it).
//
// Decoding must never crash or throw; what it accepts must be safe to undo: every path is relative
// and stays inside the reminders store (no "..", ".", empty or absolute step). An accepted entry,
// encoded again, decodes to the same entry.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "zarvo/home/internal/history_entry.h"

namespace {

using zarvo::fuzz::check;
namespace detail = zarvo::detail;

bool sameEntry(const detail::HistoryEntry& a, const detail::HistoryEntry& b) {
  if (a.state != b.state || a.description != b.description || a.tooLarge != b.tooLarge || a.size != b.size ||
      a.files.size() != b.files.size() || a.tasks.size() != b.tasks.size() || a.listOrderBefore != b.listOrderBefore ||
      a.listOrderAfter != b.listOrderAfter || a.createdTags != b.createdTags) {
    return false;
  }
  for (size_t i = 0; i < a.files.size(); ++i) {
    const auto &x = a.files[i], &y = b.files[i];
    if (x.path != y.path || x.folder != y.folder || x.before != y.before || x.after != y.after) return false;
  }
  for (size_t i = 0; i < a.tasks.size(); ++i) {
    const auto &x = a.tasks[i], &y = b.tasks[i];
    if (x.uid != y.uid || x.before != y.before || x.after != y.after) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zarvo::fuzz::setUpProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto entry = detail::decodeEntry(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!entry) {
    check(!entry.error().message().empty(), "an entry refused without a reason");
    return 0;
  }
  for (const auto& file : entry->files) check(detail::isSafeRelativePath(file.path), "an accepted path leaves the store");
  for (const auto& [id, order] : entry->listOrderAfter) check(detail::isSafeRelativePath(id), "an accepted list id leaves the store");
  // Descriptions and titles that are not UTF-8 are replaced when encoded, so compare a second round.
  const auto again = detail::decodeEntry(detail::encodeEntry(*entry));
  check(again.hasValue(), "an accepted entry, encoded again, does not decode");
  const auto third = detail::decodeEntry(detail::encodeEntry(*again));
  check(third.hasValue() && sameEntry(*again, *third), "an entry changes when encoded and decoded again");
  return 0;
}
