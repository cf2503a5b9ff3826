#include "zarvo/platform/colour.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace zarvo::platform {
namespace {

TEST(ColourTest, ColoursAreReadAsPeopleWriteThem) {
  struct Row {
    const char* text;
    std::optional<RGBA> expected;
  };
  for (const Row& row : {
           Row{"#FF3B30", RGBA{255, 59, 48, 255}},
           Row{"#ff3b30", RGBA{255, 59, 48, 255}},
           Row{"#0a0B0c80", RGBA{10, 11, 12, 128}},
           Row{"Blue", RGBA{0, 122, 255, 255}},
           Row{"GREY", RGBA{142, 142, 147, 255}},
           Row{"#FF3B3", std::nullopt},
           Row{"#FF3B30F", std::nullopt},
           Row{"FF3B30", std::nullopt},
           Row{"#GG0000", std::nullopt},
           Row{"#FF3B3-", std::nullopt},
           Row{"gray", std::nullopt},
           Row{"", std::nullopt},
       }) {
    EXPECT_EQ(colourNamed(row.text), row.expected) << row.text;
  }
}

// Every offered colour is read back by its own name and is told apart from the others.
TEST(ColourTest, EveryListColourIsNamedOnceAndDistinct) {
  std::set<std::string> names;
  std::set<std::tuple<int, int, int>> values;
  for (const NamedColour& colour : listColours()) {
    EXPECT_EQ(colourNamed(colour.name), colour.value) << colour.name;
    names.insert(std::string(colour.name));
    values.insert({colour.value.red, colour.value.green, colour.value.blue});
  }
  EXPECT_EQ(names.size(), listColours().size());
  EXPECT_EQ(values.size(), listColours().size());
}

}  // namespace
}  // namespace zarvo::platform
