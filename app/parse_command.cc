#include "app/parse_command.h"

#include <fmt/format.h>

#include <charconv>
#include <iostream>
#include <memory>

#include "app/command_error.h"
#include "app/commands.h"
#include "app/date_options.h"
#include "zarvo/chrono/chrono.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"
#include "zarvo/quickentry/chrono_parse_helper.h"

namespace zarvo::app {

using chrono::Chrono;
using chrono::ParsedComponents;
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

std::u16string requireUtf16(const std::string& text, const std::string& where) {
  auto utf16 = platform::toUtf16(text);
  if (!utf16) throw UsageError(where + " is not valid UTF-8");
  return std::move(*utf16);
}

// Appends `text` as a JSON string, spelt exactly as the JSON library prints it: quote, backslash and
// the control characters below U+0020 escaped (the short forms where JSON has one, else \u00xx),
// everything else written as UTF-8. A lone surrogate, which UTF-8 cannot carry, becomes U+FFFD, as in
// the UTF-8 copy of a result's text.
void appendJsonString(std::string& out, std::u16string_view text) {
  out += '"';
  for (const char ch : platform::toUtf8(text)) {
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(ch) < 0x20) {
          static constexpr char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[ch >> 4];
          out += kHex[ch & 0xF];
        } else {
          out += ch;  // ASCII, or a byte of a UTF-8 sequence
        }
    }
  }
  out += '"';
}

void appendInteger(std::string& out, int64_t value) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  out.append(buf, end);
}

void appendValues(std::string& out, const chrono::ComponentMap& values) {
  out += '{';
  bool first = true;
  values.forEach([&](chrono::ComponentUnit u, int64_t v) {
    if (!first) out += ',';
    first = false;
    out += '"';
    out += chrono::name(u);
    out += "\":";
    appendInteger(out, v);
  });
  out += '}';
}

void appendComponents(std::string& out, const ParsedComponents& c) {
  out += "{\"known\":";
  appendValues(out, c.knownValues());
  out += ",\"implied\":";
  appendValues(out, c.impliedValues());
  out += ",\"date\":\"";
  out += platform::isoString(c.date());
  out += "\"}";
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
      document += '\n';
      std::cout.write(document.data(), static_cast<std::streamsize>(document.size()));
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
  const std::vector<ParsedResult> results = read(text);
  if (o.json) {
    printJson(parseResultsJson(ref, results));
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

void appendParseResultsJsonLine(std::string& out, std::string_view refString,
                                const std::vector<ParsedResult>& results) {
  out += "{\"ref\":\"";
  out += refString;
  out += "\",\"results\":[";
  bool firstResult = true;
  for (const ParsedResult& r : results) {
    if (!firstResult) out += ',';
    firstResult = false;
    out += "{\"index\":";
    appendInteger(out, r.index());
    out += ",\"text\":";
    appendJsonString(out, r.text());
    out += ",\"tags\":[";
    bool firstTag = true;
    r.tags().forEach([&](chrono::TagUnit tag, bool value) {
      if (!value) return;
      if (!firstTag) out += ',';
      firstTag = false;
      out += '"';
      out += chrono::name(tag);
      out += '"';
    });
    out += "],\"start\":";
    appendComponents(out, r.start());
    out += ",\"end\":";
    if (r.end()) {
      appendComponents(out, *r.end());
    } else {
      out += "null";
    }
    out += '}';
  }
  out += "]}";
}

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
