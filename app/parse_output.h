// What `zarvo parse` prints of the date engine's results: a summary line per result, and the JSON
// document (built, or appended compact to a string without building it: the per-line path of --batch).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "zarvo/chrono/parsed_result.h"

namespace zarvo::app {

// One line: position+length, the phrase, the date (and end), then the stated and implied values.
std::string parseSummaryLine(const chrono::ParsedResult& result);

// The JSON document of one parse: {"ref", "results": [{"index", "text", "tags", "start", "end"}]}.
// Keys keep this order; units and tags appear in declaration order; dates are ISO 8601 with
// milliseconds and the current zone's offset.
nlohmann::ordered_json parseResultsJson(Date ref, const std::vector<chrono::ParsedResult>& results);

// Appends the same document, compact, as `parseResultsJson(ref, results).dump()` with invalid UTF-8
// replaced would print it, byte for byte (non-ASCII as UTF-8, never \u-escaped), without building the
// JSON value: the per-line path of --batch. `refString` is `platform::isoString(ref)`, computed once
// by the caller.
void appendParseResultsJsonLine(std::string& out, std::string_view refString,
                                const std::vector<chrono::ParsedResult>& results);

}  // namespace zarvo::app
