#include "app/parse_command.h"

#include <fmt/format.h>

#include <iostream>
#include <memory>

#include "app/command_error.h"
#include "app/commands.h"
#include "app/date_options.h"
#include "app/parse_output.h"
#include "zarvo/chrono/chrono.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/chrono_parse_helper.h"

namespace zarvo::app {

using chrono::Chrono;
using chrono::ParsedResult;
using json = nlohmann::ordered_json;

namespace {

struct ParseOptions {
  DateOptions date;
  bool strict = false;
  bool literal = false;
  bool json = false;
  bool batch = false;
  std::optional<std::string> language;
  std::vector<std::string> options;
  std::vector<std::string> words;
};

std::optional<chrono::Language> languageFromArgument(const std::string& value) {
  static const std::pair<const char*, chrono::Language> kCodes[] = {
      {"en", chrono::Language::english}, {"es", chrono::Language::spanish}, {"fr", chrono::Language::french},
      {"ja", chrono::Language::japanese}, {"jp", chrono::Language::japanese}, {"de", chrono::Language::german},
      {"zh", chrono::Language::chinese}};
  const std::string lower = platform::lowercased(std::string_view(value));
  for (const auto& [code, language] : kCodes) {
    if (lower == code) return language;
  }
  return chrono::languageNamed(lower);
}

chrono::Options optionsFromArguments(const std::vector<std::string>& arguments) {
  chrono::Options opt;
  for (const std::string& argument : arguments) {
    const size_t eq = argument.find('=');
    if (eq == std::string::npos) throw UsageError("--option expects NAME=INT, got '" + argument + "'");
    const std::string key = argument.substr(0, eq);
    const auto option = chrono::optionTypeFromRaw(key);
    if (!option) {
      throw UsageError("unknown --option '" + key + "' (morning, afternoon, evening, noon, forwardDate)");
    }
    const auto value = platform::toInt(std::string_view(argument).substr(eq + 1));
    if (!value) throw UsageError("--option " + key + " expects an integer value");
    opt[*option] = *value;
  }
  return opt;
}

std::u16string requireUtf16(const std::string& text, const std::string& where) {
  auto utf16 = platform::toUtf16(text);
  if (!utf16) throw UsageError(where + " is not valid UTF-8");
  return std::move(*utf16);
}

int run(const ParseOptions& o, Program& program) {
  if (o.batch && !o.words.empty()) throw UsageError("--batch reads texts from standard input; give no TEXT");
  if (!o.batch && o.words.empty()) throw UsageError("missing TEXT (or --batch)");

  const Date ref = applyDateOptions(o.date);
  const chrono::Options opt = optionsFromArguments(o.options);
  std::optional<chrono::Language> language;
  if (o.language) {
    language = languageFromArgument(*o.language);
    if (!language) throw UsageError("unknown language '" + *o.language + "'");
  }
  // The library's reading (--literal, and the strict configuration, which the settings do not
  // change), or quick entry's with the settings: --lang then adds a language and wins ties.
  std::optional<ChronoParseHelper> reader;
  if (!o.literal && !o.strict) {
    QuickEntryOptions options = program.settings().quickEntry;
    if (language) {
      if (options.languages && *language != chrono::Language::english) options.languages->insert(*language);
      options.tieLanguage = language;
    }
    reader.emplace(std::make_shared<platform::FixedClock>(ref), std::move(options));
  } else if (language) {
    Chrono::setPreferredLanguage(*language);
  }
  const Chrono& engine = o.strict ? Chrono::strict() : Chrono::casual();
  const auto read = [&](std::u16string_view text) { return reader ? reader->results(text, ref, opt) : engine.parse(text, ref, opt); };

  if (o.batch) {
    // The reference is the same for every line, and so is its string.
    const std::string refString = platform::isoString(ref);
    std::string line;
    std::string document;
    size_t number = 0;
    while (std::getline(std::cin, line)) {
      ++number;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::u16string text = requireUtf16(line, fmt::format("line {}", number));
      document.clear();
      appendParseResultsJsonLine(document, refString, read(text));
      out().json(document);
    }
    out().flush();
    return 0;
  }

  std::string joined;
  for (const std::string& word : o.words) {
    if (!joined.empty()) joined += ' ';
    joined += word;
  }
  const std::u16string text = requireUtf16(joined, "TEXT");
  const std::vector<ParsedResult> results = read(text);
  if (o.json) {
    printJson(parseResultsJson(ref, results));
    return 0;
  }
  out().line("reference " + platform::isoString(ref));
  if (results.empty()) out().line("no date found");
  for (const ParsedResult& r : results) out().line(parseSummaryLine(r));
  return 0;
}

}  // namespace

void registerParseCommand(CLI::App& app, Program& program) {
  auto options = std::make_shared<ParseOptions>();
  CLI::App* command = app.add_subcommand("parse", "Read date phrases in a text with the date engine");
  addDateOptions(*command, options->date);
  command->add_flag("--strict", options->strict,
                    "Use the strict configuration (formal formats only), as the library reads it");
  command->add_flag("--literal", options->literal,
                    "Read as the library does by default (the casual configuration), without the settings");
  command->add_option("--lang", options->language,
                      "Preferred language: english, spanish, french, japanese, german, chinese (or en, es, ...)");
  // One value per occurrence, so `--option morning=7 TEXT` leaves TEXT alone.
  command
      ->add_option("--option", options->options,
                   "Engine option NAME=INT (morning, afternoon, evening, noon, forwardDate); repeatable")
      ->allow_extra_args(false);
  command->add_flag("--json", options->json, "Print the results as JSON");
  command->add_flag("--batch", options->batch, "Read one text per line of standard input; print one JSON document per line");
  command->add_option("TEXT", options->words, "The text to read");
  command->callback([options, &program] { program.exitCode = run(*options, program); });
}

}  // namespace zarvo::app
