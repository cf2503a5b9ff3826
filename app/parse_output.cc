#include "app/parse_output.h"

#include <fmt/format.h>

#include <charconv>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

using chrono::ParsedComponents;
using chrono::ParsedResult;
using json = nlohmann::ordered_json;

namespace {

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

}  // namespace

std::string parseSummaryLine(const ParsedResult& r) {
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

}  // namespace zarvo::app
