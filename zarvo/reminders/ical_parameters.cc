#include "zarvo/reminders/internal/ical_parameters.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "zarvo/reminders/internal/ical_lines.h"
#include "zarvo/reminders/internal/ical_support.h"

namespace zarvo::reminders::detail::ical {

namespace {

// Whether `parameter` has the form NAME=VALUE with a name of letters, digits and dashes.
bool wellFormedParameter(std::string_view parameter) {
  const size_t equals = parameter.find('=');
  if (equals == 0 || equals == std::string_view::npos) return false;
  return std::all_of(parameter.begin(), parameter.begin() + static_cast<std::ptrdiff_t>(equals),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; });
}

}  // namespace

// The well-formed parameters of a content line, each as written ("LANGUAGE=de", "X-FOO=\"a;b\""),
// folds undone; malformed ones (";;", "X-A") are left behind with the old line. None when the
// parameters do not end at a colon outside quotes (an unclosed quote): such a line's parameters cannot
// be told from its value, and carried onto a new line they would swallow it.
std::vector<std::string> parametersOf(std::string_view raw) {
  std::string line = logicalLine(raw);
  std::vector<std::string> out;
  size_t i = line.find_first_of(";:");
  while (i < line.size() && line[i] == ';') {
    std::string parameter;
    bool quoted = false;
    for (++i; i < line.size() && (quoted || (line[i] != ';' && line[i] != ':')); ++i) {
      if (line[i] == '"') quoted = !quoted;
      parameter += line[i];
    }
    if (wellFormedParameter(parameter)) out.push_back(std::move(parameter));
  }
  if (i >= line.size()) return {};
  return out;
}

// Whether a parameter of the line an owned property was read from still applies to a new value of
// it. VALUE and TZID describe the value, and the new value brings its own; ALTREP points to another
// form of the old text. Everything else (LANGUAGE, other clients' X- parameters) is about the
// property and stays, byte for byte.
bool parameterStillApplies(std::string_view property, std::string_view parameter) {
  const std::string name = upper(std::string(parameter.substr(0, parameter.find('='))));
  if (name == "VALUE" || name == "TZID") return false;
  return name != "ALTREP" || (property != "SUMMARY" && property != "DESCRIPTION");
}

// The value of one content line as libical reads it; nothing when it cannot read the line.
// (As icalproperty_new_from_string reads it, in time linear in the line's length.)
std::optional<std::string> readValue(std::string_view line) {
  ComponentPtr calendar = parseComponent("BEGIN:VCALENDAR\r\n" + logicalLine(line) + "\r\nEND:VCALENDAR\r\n");
  if (!calendar || icalcomponent_count_errors(calendar.get()) > 0) return std::nullopt;
  icalproperty* p = icalcomponent_get_first_property(calendar.get(), ICAL_ANY_PROPERTY);
  if (p == nullptr) return std::nullopt;
  const char* value = icalproperty_get_value_as_string(p);
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// `serialized` (one line as libical writes it) with `parameters` added after its own.
std::string withParameters(std::string_view serialized, const std::vector<std::string>& parameters) {
  std::string line = logicalLine(serialized);
  std::string added;
  for (const auto& p : parameters) added += ";" + p;
  line.insert(valueSeparator(line), added);
  return fold(line);
}

}  // namespace zarvo::reminders::detail::ical
