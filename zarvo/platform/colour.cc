#include "zarvo/platform/colour.h"

#include <array>
#include <cctype>

namespace zarvo::platform {

std::optional<SemanticColour> Colour::semantic() const {
  if (const auto* s = std::get_if<SemanticColour>(&value_)) return *s;
  return std::nullopt;
}

RGBA Colour::resolved(Appearance appearance) const {
  if (const auto* rgba = std::get_if<RGBA>(&value_)) return *rgba;
  const bool dark = appearance == Appearance::dark;
  // Labels are black or white at decreasing opacity; the system colours are lifted slightly in the
  // dark appearance to keep their contrast.
  switch (std::get<SemanticColour>(value_)) {
    case SemanticColour::label: return dark ? RGBA{255, 255, 255, 217} : RGBA{0, 0, 0, 217};
    case SemanticColour::secondaryLabel: return dark ? RGBA{255, 255, 255, 140} : RGBA{0, 0, 0, 128};
    case SemanticColour::tertiaryLabel: return dark ? RGBA{255, 255, 255, 64} : RGBA{0, 0, 0, 66};
    case SemanticColour::systemOrange: return dark ? RGBA{255, 159, 10, 255} : RGBA{255, 149, 0, 255};
    case SemanticColour::systemRed: return dark ? RGBA{255, 69, 58, 255} : RGBA{255, 59, 48, 255};
  }
  return {};
}

std::span<const NamedColour> listColours() {
  static constexpr std::array<NamedColour, 8> kColours = {{
      {"red", {255, 59, 48, 255}},
      {"orange", {255, 149, 0, 255}},
      {"yellow", {255, 204, 0, 255}},
      {"green", {52, 199, 89, 255}},
      {"blue", {0, 122, 255, 255}},
      {"purple", {175, 82, 222, 255}},
      {"brown", {162, 132, 94, 255}},
      {"grey", {142, 142, 147, 255}},
  }};
  return kColours;
}

std::optional<RGBA> colourNamed(std::string_view text) {
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  for (const NamedColour& colour : listColours()) {
    if (text.size() == colour.name.size() &&
        std::equal(text.begin(), text.end(), colour.name.begin(), [&](char a, char b) { return lower(a) == b; })) {
      return colour.value;
    }
  }
  if (text.size() != 7 && text.size() != 9) return std::nullopt;
  if (text.front() != '#') return std::nullopt;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::array<uint8_t, 4> channels{0, 0, 0, 255};
  for (size_t i = 0; i * 2 + 1 < text.size(); ++i) {
    const int high = digit(text[1 + i * 2]), low = digit(text[2 + i * 2]);
    if (high < 0 || low < 0) return std::nullopt;
    channels[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return RGBA{channels[0], channels[1], channels[2], channels[3]};
}

}  // namespace zarvo::platform
