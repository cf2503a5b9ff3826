// Internal: the parameters of content lines, for the writer. When an owned property gets a new
// value, the parameters of its old line that are about the property (LANGUAGE, other clients' X-
// parameters) go onto the new line byte for byte; those about the old value (VALUE, TZID, ALTREP of
// a text) do not. Pure functions, callable from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo::reminders::detail::ical {

// The well-formed parameters (NAME=VALUE, the name of letters, digits and dashes) of a content line,
// each as written, folds undone; malformed ones stay behind with the old line. None when the
// parameters do not end at a colon outside quotes: such a line's parameters cannot be told from its
// value, and carried onto a new line they would swallow it.
std::vector<std::string> parametersOf(std::string_view raw);
// Whether `parameter` of the line property `property` was read from still applies to a new value.
bool parameterStillApplies(std::string_view property, std::string_view parameter);
// The value of one content line as libical reads it; nothing when it cannot read the line.
std::optional<std::string> readValue(std::string_view line);
// `serialized` (one line as libical writes it) with `parameters` added after its own, folded.
std::string withParameters(std::string_view serialized, const std::vector<std::string>& parameters);

}  // namespace zarvo::reminders::detail::ical
