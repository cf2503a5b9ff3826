// Quick entry on arbitrary text, read as the library reads it by default and as the app reads it
// (every language, every correction, the extra phrases, repetitions), with a few list titles: plain ones, one with a space, one with a
// non-ASCII letter, and titles that are awkward as a regular expression (quick entry puts the chosen
// list's title into a pattern unescaped), plus a list without a calendar.
//
// Every range quick entry reports must lie within the string it refers to and select exactly the
// text it names; a chosen list always comes with its range, and the flag agrees with the string.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/quick_task_parser.h"

namespace {

using zarvo::List;
using zarvo::QuickTaskParser;
using zarvo::TaskDescription;
using zarvo::fuzz::check;
using zarvo::platform::Range;

std::unique_ptr<QuickTaskParser> gParser;
std::unique_ptr<QuickTaskParser> gAppParser;
std::vector<std::shared_ptr<List>> gLists;

std::shared_ptr<List> listTitled(const std::string& title) {
  auto calendar = std::make_shared<zarvo::reminders::Calendar>("fuzz/" + title, zarvo::reminders::EntityType::reminder);
  calendar->setTitle(title);
  return List::create(calendar, nullptr);
}

bool within(const Range& r, std::u16string_view text) {
  return r.location >= 0 && r.length >= 0 && r.location <= static_cast<int64_t>(text.size()) &&
         r.length <= static_cast<int64_t>(text.size()) - r.location;
}

bool endsWithTwoBangs(std::u16string_view s) { return s.size() >= 2 && s.substr(s.size() - 2) == u"!!"; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zarvo::fuzz::setUpProcess();
  const auto clock = std::make_shared<zarvo::platform::FixedClock>(zarvo::fuzz::referenceDate());
  gParser = std::make_unique<QuickTaskParser>(clock);
  using zarvo::chrono::Language;
  auto app = zarvo::QuickEntryOptions::recommended(
      {Language::german, Language::spanish, Language::french, Language::japanese, Language::chinese}, Language::english);
  app.setsEngineLanguage = false;
  // The app reads "remind me ..." phrases: they cut the line before the date engine sees it.
  app.reminders = true;
  gAppParser = std::make_unique<QuickTaskParser>(clock, app);
  gLists = {List::create(nullptr, nullptr), listTitled("Work"), listTitled("Home Office"), listTitled("Café"),
            listTitled("C++"), listTitled("a|b"), listTitled("[x"), listTitled("Reminders")};
  return 0;
}

namespace {

void checkDescription(const std::u16string& input, const TaskDescription& d) {
  check(d.flagged == endsWithTwoBangs(d.string), "flagged disagrees with the string's final \"!!\"");
  check(d.parsedList.has_value() == d.parsedListRange.has_value(), "parsedList and its range come apart");
  if (d.parsedListRange) {
    check(within(*d.parsedListRange, d.string), "parsedListRange lies outside the string");
    check(d.string.substr(static_cast<size_t>(d.parsedListRange->location),
                          static_cast<size_t>(d.parsedListRange->length)) == *d.parsedList,
          "parsedListRange does not select parsedList");
    check(!d.parsedList->empty() && ((*d.parsedList)[0] == u'#' || (*d.parsedList)[0] == u'{'),
          "parsedList does not start with '#' or '{'");
  }
  check(d.listTitleRange.has_value() == (d.list != nullptr), "a chosen list without its range, or the reverse");
  if (d.list) check(d.parsedList.has_value(), "a list chosen without a list reference");
  if (d.listTitleRange && d.listTitleRange->found()) {
    check(within(*d.listTitleRange, input), "listTitleRange lies outside the input");
  }
  if (d.chronoItem) {
    const std::u16string& phrase = d.chronoItem->parsedDateString();
    check(!phrase.empty(), "an empty date phrase");
    check(input.find(phrase) != std::u16string::npos, "the date phrase is not part of the input");
    (void)d.dueDate();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view utf8(reinterpret_cast<const char*>(data), size);
  const std::u16string input = zarvo::platform::utf16(utf8);
  checkDescription(input, gParser->parse(std::u16string_view(input), gLists));
  checkDescription(input, gAppParser->parse(std::u16string_view(input), gLists));
  return 0;
}
