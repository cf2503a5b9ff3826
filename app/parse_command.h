// `zarvo parse`: runs the date engine on a text and prints what it found.
//
//   zarvo parse [--ref T] [--tz ZONE] [--strict] [--literal] [--lang L] [--option NAME=INT]... [--json] TEXT
//   zarvo parse --batch [same options]      one text per stdin line -> one JSON document per line
//
// By default the line is read as quick entry reads it with the settings (ChronoParseHelper::results);
// --literal and --strict read it as the library does by default.
#pragma once

#include <CLI/CLI.hpp>

namespace zarvo::app {

struct Program;

// Registers the command on `app`. When it runs, its exit status is stored in `program.exitCode`; bad
// input raises UsageError.
void registerParseCommand(CLI::App& app, Program& program);

}  // namespace zarvo::app
