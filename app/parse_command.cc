#include "app/parse_command.h"

#include <fmt/format.h>

#include <iostream>
#include <memory>

#include "app/command_error.h"
#include "app/date_options.h"
#include "zarvo/chrono/chrono.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

using chrono::Chrono;
using chrono::ParsedComponents;
using chrono::ParsedResult;
using json = nlohmann::ordered_json;

namespace {

struct ParseOptions {
  DateOptions date;
  bool strict = false;
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

json componentsJson(const ParsedComponents& c) {
  json known = json::object();
  c.knownValues().forEach([&](chrono::ComponentUnit u, int64_t v) { known[std::string(chrono::name(u))] = v; });
  json implied = json::object();
  c.impliedValues().forEach([&](chrono::ComponentUnit u, int64_t v) { implied[std::string(chrono::name(u))] = v; });
  json out = json::object();
  out["known"] = std::move(known);
  out["implied"] = std::move(implied);
  out["date"] = platform::isoString(c.date());
  return out;
}

std::string describeValues(const chrono::ComponentMap& values) {
  std::string out;
  values.forEach([&](chrono::ComponentUnit u, int64_t v) {
    if (!out.empty()) out += ' ';
    out += fmt::format("{}={}", chrono::name(u), v);
  });
  return out.empty() ? "-" : out;
}

// One line: position, phrase, date (and end), then stated and implied values.
std::string summaryLine(const ParsedResult& r) {
  std::string line = fmt::format("{}+{}  \"{}\"  {}", r.index(), r.text().size(), platform::toUtf8(r.text()),
                                 platform::isoString(r.start().date()));
  if (r.end()) line += fmt::format(" until {}", platform::isoString(r.end()->date()));
  line += fmt::format("  stated: {}  implied: {}", describeValues(r.start().knownValues()),
                      describeValues(r.start().impliedValues()));
  if (r.end()) {
    line += fmt::format("  end stated: {}  end implied: {}", describeValues(r.end()->knownValues()),
                        describeValues(r.end()->impliedValues()));
  }
  return line;
}

std::string dump(const json& doc) { return doc.dump(-1, ' ', false, json::error_handler_t::replace); }

std::u16string requireUtf16(const std::string& text, const std::string& where) {
  auto utf16 = platform::toUtf16(text);
  if (!utf16) throw UsageError(where + " is not valid UTF-8");
  return std::move(*utf16);
}

int run(const ParseOptions& o) {
  if (o.batch && !o.words.empty()) throw UsageError("--batch reads texts from standard input; give no TEXT");
  if (!o.batch && o.words.empty()) throw UsageError("missing TEXT (or --batch)");

  const Date ref = applyDateOptions(o.date);
  const chrono::Options opt = optionsFromArguments(o.options);
  if (o.language) {
    auto language = languageFromArgument(*o.language);
    if (!language) throw UsageError("unknown language '" + *o.language + "'");
    Chrono::setPreferredLanguage(*language);
  }
  const Chrono& engine = o.strict ? Chrono::strict() : Chrono::casual();

  if (o.batch) {
    std::string line;
    size_t number = 0;
    while (std::getline(std::cin, line)) {
      ++number;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::u16string text = requireUtf16(line, fmt::format("line {}", number));
      std::cout << dump(parseResultsJson(ref, engine.parse(text, ref, opt))) << '\n';
    }
    std::cout.flush();
    return 0;
  }

  std::string joined;
  for (const std::string& word : o.words) {
    if (!joined.empty()) joined += ' ';
    joined += word;
  }
  const std::u16string text = requireUtf16(joined, "TEXT");
  const std::vector<ParsedResult> results = engine.parse(text, ref, opt);
  if (o.json) {
    std::cout << parseResultsJson(ref, results).dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    return 0;
  }
  std::cout << "reference " << platform::isoString(ref) << '\n';
  if (results.empty()) std::cout << "no date found\n";
  for (const ParsedResult& r : results) std::cout << summaryLine(r) << '\n';
  return 0;
}

}  // namespace

json parseResultsJson(Date ref, const std::vector<ParsedResult>& results) {
  json list = json::array();
  for (const ParsedResult& r : results) {
    json tags = json::array();
    r.tags().forEach([&](chrono::TagUnit tag, bool value) {
      if (value) tags.push_back(std::string(chrono::name(tag)));
    });
    json item = json::object();
    item["index"] = r.index();
    item["text"] = platform::toUtf8(r.text());
    item["tags"] = std::move(tags);
    item["start"] = componentsJson(r.start());
    item["end"] = r.end() ? componentsJson(*r.end()) : json(nullptr);
    list.push_back(std::move(item));
  }
  json doc = json::object();
  doc["ref"] = platform::isoString(ref);
  doc["results"] = std::move(list);
  return doc;
}

void registerParseCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<ParseOptions>();
  CLI::App* command = app.add_subcommand("parse", "Read date phrases in a text with the date engine");
  addDateOptions(*command, options->date);
  command->add_flag("--strict", options->strict, "Use the strict configuration (formal formats only)");
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
  command->callback([options, &exitCode] { exitCode = run(*options); });
}

}  // namespace zarvo::app
