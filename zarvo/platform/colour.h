// Colours as the records hand them to the application: a semantic colour (which follows the
// appearance in use) or a fixed sRGB value. The application maps them to its toolkit.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

namespace zarvo::platform {

enum class SemanticColour { label, secondaryLabel, tertiaryLabel, systemOrange, systemRed };

enum class Appearance { light, dark };

// sRGB with alpha, 0...255 per channel.
struct RGBA {
  uint8_t red = 0, green = 0, blue = 0, alpha = 255;
  friend bool operator==(const RGBA&, const RGBA&) = default;
};

class Colour {
 public:
  // The label colour.
  Colour() = default;
  Colour(SemanticColour semantic) : value_(semantic) {}  // NOLINT: a semantic colour is a colour
  static Colour rgb(RGBA value) { return Colour(value); }

  static Colour label() { return SemanticColour::label; }
  static Colour secondaryLabel() { return SemanticColour::secondaryLabel; }
  static Colour tertiaryLabel() { return SemanticColour::tertiaryLabel; }
  static Colour systemOrange() { return SemanticColour::systemOrange; }
  static Colour systemRed() { return SemanticColour::systemRed; }

  // The semantic colour, or nothing for a fixed value.
  std::optional<SemanticColour> semantic() const;
  // The value to paint with in `appearance`; a fixed value is the same in both.
  RGBA resolved(Appearance appearance = Appearance::light) const;

  friend bool operator==(const Colour&, const Colour&) = default;

 private:
  explicit Colour(RGBA value) : value_(value) {}
  std::variant<SemanticColour, RGBA> value_ = SemanticColour::label;
};

// The colours a person picks a list's colour from, in the order offered, each with its English name
// in lower case ("red" ... "grey"). Every front end offers the same ones, so a list coloured in one
// shows the same in the other.
struct NamedColour {
  std::string_view name;
  RGBA value;
};
std::span<const NamedColour> listColours();

// A colour as a person writes it: "#RRGGBB", "#RRGGBBAA" (hex digits in any case) or a name of
// listColours() in any letter case. Nothing for anything else.
std::optional<RGBA> colourNamed(std::string_view text);

}  // namespace zarvo::platform
