// Drops results whose text, spaces removed, is only a number ("2024", "3.5", "1 5"): digits alone are
// too often not a date.
#pragma once

#include "zarvo/chrono/refiner.h"

namespace zarvo::chrono {

class UnlikelyFormatFilter : public Filter {
 public:
  bool isValid(std::u16string_view text, const ParsedResult& result, const Options& opt) const override;
};

}  // namespace zarvo::chrono
