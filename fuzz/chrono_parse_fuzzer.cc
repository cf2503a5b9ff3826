// The date engine on arbitrary text: the casual and the strict configuration, English preferred
// (as quick entry runs it) and with no preferred language (as `zarvo parse` runs it without --lang,
// so every language's parsers meet every input), against one fixed reference date.
//
// The casual results under PCRE2 must equal those under ICU. Every result must stand where it says:
// its index and length lie within the UTF-16 input and its text is exactly the input there. Results come ordered by index (quick entry takes the last one as
// the phrase to cut out). Dates of every result must be computable.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "zarvo/chrono/chrono.h"
#include "zarvo/platform/regex.h"
#include "zarvo/platform/text.h"

namespace {

using zarvo::Date;
using zarvo::chrono::Chrono;
using zarvo::chrono::OptionType;
using zarvo::chrono::Options;
using zarvo::chrono::ParsedResult;
using zarvo::fuzz::check;

Date gReference;

void checkResults(std::u16string_view text, const std::vector<ParsedResult>& results) {
  const auto size = static_cast<int64_t>(text.size());
  int64_t previous = 0;
  for (const ParsedResult& r : results) {
    check(!r.isMoveIndexMode(), "a move-index marker reached the caller");
    check(!r.text().empty(), "a result with empty text");
    check(r.index() >= 0 && r.index() <= size, "result index outside the input");
    check(r.endPosition() <= size, "result text runs past the end of the input");
    check(text.substr(static_cast<size_t>(r.index()), r.text().size()) == r.text(),
          "result text differs from the input at its index");
    check(r.index() >= previous, "results are not ordered by index");
    previous = r.index();
    // Computing the instants must neither crash nor trip a sanitizer.
    (void)r.start().date();
    (void)r.start().isPossibleDate();
    if (r.end()) (void)r.end()->date();
  }
}

// The two regular-expression engines must read the text alike (the PCRE2 one is the default, ICU the
// reference), with the engine's prefilter on.
void checkEnginesAgree(std::u16string_view text, const std::vector<ParsedResult>& fast) {
  zarvo::platform::setRegexBackend(zarvo::platform::RegexBackend::icu);
  const std::vector<ParsedResult> reference = Chrono::casual().parse(text, gReference);
  zarvo::platform::setRegexBackend(zarvo::platform::RegexBackend::pcre2);
  check(reference.size() == fast.size(), "the regex engines find different numbers of results");
  for (size_t i = 0; i < reference.size() && i < fast.size(); ++i) {
    const ParsedResult& a = reference[i];
    const ParsedResult& b = fast[i];
    check(a.index() == b.index() && a.text() == b.text() && a.tags() == b.tags() && a.start() == b.start() &&
              a.end() == b.end(),
          "the regex engines read a result differently");
  }
}

// Options from the last five bytes: which keys are present, and small hour values (out-of-range
// hours included), as `zarvo parse --option NAME=INT` passes them.
Options optionsFromTail(const uint8_t* data, size_t size) {
  Options opt;
  if (size < 5) return opt;
  const uint8_t* tail = data + size - 5;
  const uint8_t present = tail[0];
  const OptionType hours[] = {OptionType::morning, OptionType::afternoon, OptionType::evening, OptionType::noon};
  for (size_t i = 0; i < 4; ++i) {
    if (present & (1u << i)) opt[hours[i]] = static_cast<int8_t>(tail[1 + i]);
  }
  if (present & 0x10) opt[OptionType::forwardDate] = 1;
  return opt;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zarvo::fuzz::setUpProcess();
  zarvo::platform::setRegexBackend(zarvo::platform::RegexBackend::pcre2);
  Chrono::setPreferredLanguage(zarvo::chrono::Language::english);
  gReference = zarvo::fuzz::referenceDate();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view utf8(reinterpret_cast<const char*>(data), size);
  // The engine's own UTF-8 overloads convert the same way (ill-formed bytes become U+FFFD).
  const std::u16string text = zarvo::platform::utf16(utf8);

  const std::vector<ParsedResult> casual = Chrono::casual().parse(std::u16string_view(text), gReference);
  checkResults(text, casual);
  checkEnginesAgree(text, casual);
  checkResults(text, Chrono::strict().parse(std::u16string_view(text), gReference));
  Chrono::setPreferredLanguage(std::nullopt);
  checkResults(text, Chrono::casual().parse(std::u16string_view(text), gReference));
  Chrono::setPreferredLanguage(zarvo::chrono::Language::english);
  if (const Options opt = optionsFromTail(data, size); !opt.empty()) {
    checkResults(text, Chrono::casual().parse(std::u16string_view(text), gReference, opt));
  }
  return 0;
}
