#include "zarvo/platform/colour.h"

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

}  // namespace zarvo::platform
