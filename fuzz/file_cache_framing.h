// The frame of a saved file cache (header, length and checksum around the payload), rebuilt here so
// the decoder fuzzer can wrap mutated payloads in a frame that passes the checksum and reach the
// entry reader, which a damaged checksum would otherwise stop in front of.
//
// The header's fixed part is taken from the library's own encoding of an empty cache; only the
// checksum is restated. `verifyFraming` compares both with the library and aborts on any difference,
// so a change of the format shows up as a failed start rather than as a fuzzer that quietly stopped
// reaching the payload.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "zarvo/sync/reminders/file_cache.h"

namespace zarvo::fuzz {

inline constexpr std::string_view kCacheMagic = "ZARVO FILE CACHE";

inline void appendVarint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<char>((v & 0x7F) | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<char>(v));
}

inline std::optional<uint64_t> readVarint(std::string_view in, size_t& at) {
  uint64_t v = 0;
  for (int shift = 0; shift < 64 && at < in.size(); shift += 7) {
    const auto byte = static_cast<uint8_t>(in[at++]);
    v |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80)) return v;
  }
  return std::nullopt;
}

// The payload checksum of file_cache.cc.
inline uint64_t cacheChecksum(std::string_view bytes) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
  auto mix = [&h](uint64_t word) {
    h ^= word;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  };
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    mix(word);
  }
  uint64_t tail = 0;
  if (bytes.size() > i) std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
  mix(tail);
  return h;
}

// Where the payload starts in an encoded cache, and where its length field starts; nothing when the
// header does not read.
struct CacheHeader {
  size_t lengthFieldBegin = 0;
  size_t payloadBegin = 0;
};

inline std::optional<CacheHeader> readCacheHeader(std::string_view encoded) {
  if (!encoded.starts_with(kCacheMagic)) return std::nullopt;
  size_t at = kCacheMagic.size();
  CacheHeader h;
  const auto version = readVarint(encoded, at);
  const auto readersLength = readVarint(encoded, at);
  if (!version || !readersLength || *readersLength > encoded.size() - at) return std::nullopt;
  at += *readersLength;
  h.lengthFieldBegin = at;
  if (!readVarint(encoded, at) || !readVarint(encoded, at)) return std::nullopt;
  h.payloadBegin = at;
  return h;
}

// The payload of an encoded cache.
inline std::string_view cachePayload(std::string_view encoded) {
  const auto h = readCacheHeader(encoded);
  check(h.has_value(), "the library's cache encoding has no readable header");
  return encoded.substr(h->payloadBegin);
}

// The header prefix (magic, version, readers) of this build's caches.
inline const std::string& cacheHeaderPrefix() {
  static const std::string prefix = [] {
    reminders::detail::FileCache empty;
    const std::string encoded = empty.encode("/fuzz-root");
    const auto h = readCacheHeader(encoded);
    check(h.has_value(), "the library's cache encoding has no readable header");
    return encoded.substr(0, h->lengthFieldBegin);
  }();
  return prefix;
}

// `payload` framed as the library frames it.
inline std::string framedCache(std::string_view payload) {
  std::string out = cacheHeaderPrefix();
  appendVarint(out, payload.size());
  appendVarint(out, cacheChecksum(payload));
  out.append(payload);
  return out;
}

// Aborts unless framing the payload of `encoded` gives `encoded` back.
inline void verifyFraming(std::string_view encoded) {
  check(framedCache(cachePayload(encoded)) == encoded, "the fuzzer's cache framing differs from the library's");
}

}  // namespace zarvo::fuzz
