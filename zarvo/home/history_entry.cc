#include "zarvo/home/internal/history_entry.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>

namespace zarvo::detail {

namespace {

using json = nlohmann::json;

constexpr int kFormat = 1;
constexpr const char* kStates[] = {"pending", "done", "undoing"};
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  uint32_t buffer = 0;
  int bits = 0;
  for (unsigned char c : bytes) {
    buffer = (buffer << 8) | c;
    bits += 8;
    while (bits >= 6) out += kAlphabet[(buffer >> (bits -= 6)) & 0x3F];
  }
  if (bits > 0) out += kAlphabet[(buffer << (6 - bits)) & 0x3F];
  while (out.size() % 4 != 0) out += '=';
  return out;
}

std::optional<std::string> fromBase64(std::string_view text) {
  static const std::array<int8_t, 256> kValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 64; ++i) values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    return values;
  }();
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  uint32_t buffer = 0;
  int bits = 0;
  size_t padding = 0;
  for (char c : text) {
    if (c == '=') {
      ++padding;
      continue;
    }
    const int value = kValues[static_cast<unsigned char>(c)];
    if (value < 0 || padding > 0) return std::nullopt;  // a character after the padding
    buffer = (buffer << 6) | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) out += static_cast<char>((buffer >> (bits -= 8)) & 0xFF);
  }
  if (padding > 2) return std::nullopt;
  return out;
}

Error malformed(const std::string& what) {
  return Error(std::make_error_code(std::errc::illegal_byte_sequence), what);
}

json stateJson(const std::optional<TaskState>& state) {
  if (!state) return nullptr;
  return json{{"flagged", state->flagged}, {"tags", state->tags}};
}

// Typed reads that never throw: each answers whether the node has the wanted shape.
bool readString(const json& node, std::string& out) {
  if (!node.is_string()) return false;
  out = node.get_ref<const json::string_t&>();
  return true;
}

bool readStrings(const json& node, std::vector<std::string>& out) {
  if (!node.is_array()) return false;
  for (const json& item : node) {
    if (!readString(item, out.emplace_back())) return false;
  }
  return true;
}

bool readState(const json& node, std::optional<TaskState>& out) {
  if (node.is_null()) return true;
  if (!node.is_object() || !node.contains("flagged") || !node["flagged"].is_boolean() || !node.contains("tags")) {
    return false;
  }
  TaskState state;
  state.flagged = node["flagged"].get<bool>();
  if (!readStrings(node["tags"], state.tags)) return false;
  out = std::move(state);
  return true;
}

bool readOrder(const json& node, std::map<std::string, int64_t>& out) {
  if (!node.is_object()) return false;
  for (const auto& [id, order] : node.items()) {
    if (!order.is_number_integer() || !isSafeRelativePath(id)) return false;
    out[id] = order.get<int64_t>();
  }
  return true;
}

}  // namespace

std::string digestOf(std::string_view bytes) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  char text[48];
  std::snprintf(text, sizeof text, "%zu:%016llx", bytes.size(), static_cast<unsigned long long>(hash));
  return text;
}

bool isSafeRelativePath(std::string_view path) {
  if (path.empty() || path.front() == '/' || path.find('\0') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string_view step = path.substr(start, end - start);
    if (step.empty() || step == "." || step == "..") return false;
    start = end + 1;
  }
  return true;
}

std::string encodeEntry(const HistoryEntry& e) {
  json files = json::array();
  for (const auto& f : e.files) {
    json item{{"path", f.path}, {"folder", f.folder}};
    item["before"] = f.before ? json(f.folder ? std::string() : base64(*f.before)) : json(nullptr);
    item["after"] = f.after ? json(*f.after) : json(nullptr);
    files.push_back(std::move(item));
  }
  json tasks = json::array();
  for (const auto& t : e.tasks) {
    tasks.push_back({{"uid", t.uid}, {"before", stateJson(t.before)}, {"after", stateJson(t.after)}});
  }
  const json document{{"format", kFormat},
                      {"state", kStates[static_cast<size_t>(e.state)]},
                      {"description", e.description},
                      {"tooLarge", e.tooLarge},
                      {"size", e.size},
                      {"files", std::move(files)},
                      {"tasks", std::move(tasks)},
                      {"listOrderBefore", e.listOrderBefore},
                      {"listOrderAfter", e.listOrderAfter},
                      {"createdTags", e.createdTags}};
  // Invalid UTF-8 in a description or a title is replaced rather than refused: the entry must be
  // written for the change to happen.
  return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

Expected<HistoryEntry> decodeEntry(std::string_view text) {
  const json document = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded() || !document.is_object()) return malformed("not a JSON object");
  if (!document.contains("format") || document["format"] != kFormat) return malformed("not an entry of a known format");
  HistoryEntry e;
  const auto field = [&](const char* name) -> const json& {
    static const json kMissing;
    return document.contains(name) ? document[name] : kMissing;
  };
  std::string state;
  if (!readString(field("state"), state)) return malformed("no state");
  const auto known = std::find(std::begin(kStates), std::end(kStates), state);
  if (known == std::end(kStates)) return malformed("an unknown state");
  e.state = static_cast<HistoryEntry::State>(known - std::begin(kStates));
  if (!readString(field("description"), e.description)) return malformed("no description");
  if (!field("tooLarge").is_boolean() || !field("size").is_number_unsigned()) return malformed("no size");
  e.tooLarge = field("tooLarge").get<bool>();
  e.size = field("size").get<uint64_t>();
  if (!field("files").is_array() || !field("tasks").is_array()) return malformed("no files or tasks");
  for (const json& f : field("files")) {
    if (!f.is_object() || !f.contains("path") || !f.contains("folder") || !f.contains("before") || !f.contains("after")) {
      return malformed("a file without its fields");
    }
    HistoryEntry::File file;
    if (!readString(f["path"], file.path) || !isSafeRelativePath(file.path)) {
      return malformed("a path outside the reminders store");
    }
    if (!f["folder"].is_boolean()) return malformed("a file without its kind");
    file.folder = f["folder"].get<bool>();
    if (!f["before"].is_null()) {
      std::string encoded;
      if (!readString(f["before"], encoded)) return malformed("damaged contents of " + file.path);
      file.before = file.folder ? std::optional<std::string>(std::string()) : fromBase64(encoded);
      if (!file.before) return malformed("damaged contents of " + file.path);
    }
    if (!f["after"].is_null()) {
      std::string digest;
      if (!readString(f["after"], digest)) return malformed("a damaged digest of " + file.path);
      file.after = std::move(digest);
    }
    e.files.push_back(std::move(file));
  }
  for (const json& t : field("tasks")) {
    HistoryEntry::Task task;
    if (!t.is_object() || !t.contains("uid") || !t.contains("before") || !t.contains("after") ||
        !readString(t["uid"], task.uid) || !readState(t["before"], task.before) || !readState(t["after"], task.after)) {
      return malformed("a damaged task");
    }
    e.tasks.push_back(std::move(task));
  }
  if (!readOrder(field("listOrderBefore"), e.listOrderBefore) || !readOrder(field("listOrderAfter"), e.listOrderAfter)) {
    return malformed("a damaged list order");
  }
  if (!readStrings(field("createdTags"), e.createdTags)) return malformed("damaged tags");
  return e;
}

}  // namespace zarvo::detail
