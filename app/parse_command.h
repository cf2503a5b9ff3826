// `zarvo parse`: runs the date engine on a text and prints what it found.
//
//   zarvo parse [--ref T] [--tz ZONE] [--strict] [--literal] [--lang L] [--option NAME=INT]... [--json] TEXT
//   zarvo parse --batch [same options]      one text per stdin line -> one JSON document per line
//
// By default the line is read as quick entry reads it with the settings (ChronoParseHelper::results);
// --literal and --strict read it as the library does by default.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "zarvo/chrono/parsed_result.h"

namespace zarvo::app {

struct Program;

// Registers the command on `app`. When it runs, its exit status is stored in `program.exitCode`; bad
// input raises UsageError.
void registerParseCommand(CLI::App& app, Program& program);

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
