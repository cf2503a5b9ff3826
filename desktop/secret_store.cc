#include "desktop/secret_store.h"

#include <libsecret/secret.h>

#include <memory>

namespace zarvo::desktop {

namespace {

constexpr std::string_view kSchemaName = "org.zarvo.CalDAV";

const SecretSchema* schema() {
  static const SecretSchema value = [] {
    SecretSchema s{};
    s.name = kSchemaName.data();
    s.flags = SECRET_SCHEMA_NONE;
    s.attributes[0] = {"url", SECRET_SCHEMA_ATTRIBUTE_STRING};
    s.attributes[1] = {"user", SECRET_SCHEMA_ATTRIBUTE_STRING};
    s.attributes[2] = {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING};
    return s;
  }();
  return &value;
}

struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

std::string problem(GError* raw, std::string_view fallback) {
  const ErrorPtr error(raw);
  if (error && error->message) return "the Secret Service: " + std::string(error->message);
  return "the Secret Service: " + std::string(fallback);
}

// A word for sh, quoted so nothing in it is read by the shell.
std::string shellQuoted(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// The inverse of shellQuoted for one word at the start of `text`; advances `text` past it.
std::optional<std::string> unquoteWord(std::string_view& text) {
  if (!text.starts_with('\'')) return std::nullopt;
  std::string out;
  size_t i = 1;
  while (true) {
    const size_t close = text.find('\'', i);
    if (close == std::string_view::npos) return std::nullopt;
    out.append(text.substr(i, close - i));
    if (text.substr(close).starts_with("'\\''")) {
      out += '\'';
      i = close + 4;
      continue;
    }
    text.remove_prefix(close + 1);
    return out;
  }
}

std::string commandPrefix() { return "secret-tool lookup xdg:schema " + std::string(kSchemaName) + " url "; }

}  // namespace

std::optional<std::string> storePassword(const SecretKey& key, std::string_view password) {
  const std::string label = "zarvo: " + key.user + " on " + key.url;
  const std::string value(password);
  GError* error = nullptr;
  if (!secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), value.c_str(), nullptr, &error,
                                  "url", key.url.c_str(), "user", key.user.c_str(), nullptr)) {
    return problem(error, "the password was not stored");
  }
  return std::nullopt;
}

std::optional<std::string> lookupPassword(const SecretKey& key) {
  GError* error = nullptr;
  gchar* found = secret_password_lookup_sync(schema(), nullptr, &error, "url", key.url.c_str(), "user",
                                             key.user.c_str(), nullptr);
  const ErrorPtr owned(error);
  if (found == nullptr) return std::nullopt;
  std::string out(found);
  secret_password_free(found);
  return out;
}

std::optional<std::string> clearPassword(const SecretKey& key) {
  GError* error = nullptr;
  secret_password_clear_sync(schema(), nullptr, &error, "url", key.url.c_str(), "user", key.user.c_str(), nullptr);
  if (error != nullptr) return problem(error, "the password was not removed");
  return std::nullopt;
}

std::string lookupCommand(const SecretKey& key) {
  return commandPrefix() + shellQuoted(key.url) + " user " + shellQuoted(key.user);
}

std::optional<SecretKey> keyOfLookupCommand(std::string_view command) {
  const std::string prefix = commandPrefix();
  if (!command.starts_with(prefix)) return std::nullopt;
  command.remove_prefix(prefix.size());
  SecretKey key;
  auto url = unquoteWord(command);
  if (!url || !command.starts_with(" user ")) return std::nullopt;
  command.remove_prefix(6);
  auto user = unquoteWord(command);
  if (!user || !command.empty()) return std::nullopt;
  return SecretKey{std::move(*url), std::move(*user)};
}

}  // namespace zarvo::desktop
