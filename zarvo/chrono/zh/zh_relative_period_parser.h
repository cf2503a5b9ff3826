// Weeks and months ahead, Simplified and Traditional: "下周", "下个星期", "下下周", "下个月", "下個月".
#pragma once

#include "zarvo/chrono/relative_period_parser.h"

namespace zarvo::chrono {

// As RelativePeriodParser reads them. Part of the extended configuration. Tag: zhRelativePeriodParser.
class ZHRelativePeriodParser : public RelativePeriodParser {
 public:
  using RelativePeriodParser::RelativePeriodParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }

 protected:
  TagUnit tag() const override { return TagUnit::zhRelativePeriodParser; }
  const WordTable& weeks() const override;
  const WordTable& months() const override;
  size_t wordGroup() const override { return 1; }
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
