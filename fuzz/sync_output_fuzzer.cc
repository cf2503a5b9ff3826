// What vdirsyncer says during a sync, read by SyncOutputReader, on arbitrary lines: the lines carry
// what a server chose (list names, error texts) and what another program wrote (conflict notes).
//
// The report must agree with itself: a failure kind exactly when there is an error; every list event
// points at a list of the report; counts never go below zero and add up to the list's total. A
// resolver note written with any fields (tabs and line breaks made blanks) reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "zarvo/sync/vdirsyncer.h"

namespace {

using namespace zarvo::caldav;
using zarvo::fuzz::check;

std::string oneField(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

void checkNoteRoundTrip(std::string_view input) {
  std::vector<std::string_view> parts;
  while (parts.size() < 4) {
    const size_t cut = input.find('\x1f');
    parts.push_back(input.substr(0, cut));
    if (cut == std::string_view::npos) {
      input = {};
      break;
    }
    input.remove_prefix(cut + 1);
  }
  parts.push_back(input);
  while (parts.size() < 5) parts.push_back({});
  const ConflictNote note{std::string(parts[0]), parts[1].empty() ? Side::server : Side::local, std::string(parts[2]),
                          std::string(parts[3]), std::string(parts[4])};
  SyncOutputReader reader({});
  reader.read(conflictNoteLine(note));
  check(reader.report().conflictNotes.size() == 1, "a resolver note was not read back");
  const ConflictNote& back = reader.report().conflictNotes[0];
  check(back.uid == oneField(note.uid) && back.kept == note.kept && back.keptTitle == oneField(note.keptTitle) &&
            back.otherTitle == oneField(note.otherTitle) && back.savedAt == oneField(note.savedAt),
        "a resolver note read back differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  SyncOutputReader reader({Account{"work", "https://a/", "me", {}}, Account{"work-2", "https://b/", "me", {}}});
  size_t errors = 0;
  std::string_view rest = input;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    // An event's list is valid until the next line is read (the report may grow), as callers use it.
    const auto pointsIntoReport = [&](const SyncEvent& e) {
      if (e.list == nullptr) return;
      bool known = false;
      for (const auto& l : reader.report().lists) known = known || &l == e.list;
      check(known, "an event points at no list of the report");
    };
    // A listFinished marker carries "pair/list"; the same text may come as any line.
    const SyncEvent finished = reader.finished(line);
    check(finished.list == nullptr || finished.kind == SyncEvent::Kind::listFinished, "a list end without a list");
    pointsIntoReport(finished);
    const SyncEvent event = reader.read(line);
    pointsIntoReport(event);
    if (event.kind == SyncEvent::Kind::error) ++errors;
  }
  const SyncReport& report = reader.report();
  check(report.errors.size() == errors, "errors told and errors kept differ");
  check((report.failure == SyncFailure::none) == report.errors.empty(), "a failure kind without an error, or the reverse");
  for (const auto& l : report.lists) {
    int sum = static_cast<int>(l.conflicts.size());
    for (int side = 0; side < 2; ++side) {
      check(l.added[side] >= 0 && l.updated[side] >= 0 && l.deleted[side] >= 0, "a count below zero");
      sum += l.added[side] + l.updated[side] + l.deleted[side];
    }
    check(sum == l.total(), "a list's total is not the sum of its counts");
  }
  checkNoteRoundTrip(input);
  return 0;
}
