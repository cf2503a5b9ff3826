// The ready configurations, end to end: parsers and refiners together.
#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "zarvo/chrono/chrono.h"
#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

using namespace testing;
using U = ComponentUnit;

// The class name of an object without its namespace ("ENISOFormatParser"), so the lists below read
// as the configurations are written and each line names what is missing or out of place.
template <typename T>
std::string className(const T& object) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(typeid(object).name(), nullptr, nullptr, &status),
                                                   std::free);
  std::string name = status == 0 ? demangled.get() : typeid(object).name();
  return name.substr(name.rfind(':') == std::string::npos ? 0 : name.rfind(':') + 1);
}

template <typename T>
std::vector<std::string> classNames(const std::vector<std::shared_ptr<const T>>& objects) {
  std::vector<std::string> names;
  for (const auto& object : objects) names.push_back(className(*object));
  return names;
}

const std::vector<std::string> kFormalParsers = {
    "ENISOFormatParser",       "ENDeadlineFormatParser",   "ENMonthNameLittleEndianParser",
    "ENMonthNameMiddleEndianParser", "ENMonthNameParser",  "ENSlashDateFormatParser",
    "ENSlashDateFormatStartWithYearParser", "ENSlashMonthFormatParser", "ENTimeAgoFormatParser",
    "ENTimeExpressionParser",  "JPStandardParser",         "ESTimeAgoFormatParser",
    "ESDeadlineFormatParser",  "ESTimeExpressionParser",   "ESMonthNameLittleEndianParser",
    "ESSlashDateFormatParser", "FRDeadlineFormatParser",   "FRMonthNameLittleEndianParser",
    "FRSlashDateFormatParser", "FRTimeAgoFormatParser",    "FRTimeExpressionParser",
    "DEDeadlineFormatParser",  "DEMonthNameLittleEndianParser", "DESlashDateFormatParser",
    "DETimeAgoFormatParser",   "DETimeExpressionParser",   "ZHCasualDateParser",
    "ZHDateParser",            "ZHDeadlineFormatParser",   "ZHTimeExpressionParser",
    "ZHWeekdayParser",
};
const std::vector<std::string> kCasualOnlyParsers = {
    "ENCasualTimeParser", "ENCasualDateParser", "ENWeekdayParser",  "ENRelativeDateFormatParser",
    "JPCasualDateParser", "ESCasualDateParser", "ESWeekdayParser",  "FRCasualDateParser",
    "FRWeekdayParser",    "DECasualTimeParser", "DECasualDateParser", "DEWeekdayParser",
    "DEMorgenTimeParser",
};
const std::vector<std::string> kRefiners = {
    "OverlapRemovalRefiner",   "ForwardDateRefiner",         "ENMergeDateTimeRefiner",
    "ENMergeDateRangeRefiner", "ENPrioritizeSpecificDateRefiner", "FRMergeDateRangeRefiner",
    "FRMergeDateTimeRefiner",  "JPMergeDateRangeRefiner",    "DEMergeDateTimeRefiner",
    "DEMergeDateRangeRefiner", "ExtractTimezoneOffsetRefiner", "ExtractTimezoneAbbrRefiner",
    "UnlikelyFormatFilter",
};

TEST(ConfigurationTest, ParsersAndRefinersInTheirOrder) {
  const ModeOptio casual = casualModeOption();
  const ModeOptio strict = baseModeOption(true);

  std::vector<std::string> casualOrder = kCasualOnlyParsers;
  casualOrder.insert(casualOrder.end(), kFormalParsers.begin(), kFormalParsers.end());
  EXPECT_EQ(classNames(casual.parsers), casualOrder);
  EXPECT_EQ(classNames(strict.parsers), kFormalParsers);
  EXPECT_EQ(classNames(casual.refiners), kRefiners);
  EXPECT_EQ(classNames(strict.refiners), kRefiners);
  for (const auto& parser : casual.parsers) EXPECT_FALSE(parser->strictMode()) << className(*parser);
  for (const auto& parser : strict.parsers) EXPECT_TRUE(parser->strictMode()) << className(*parser);
  // Every call builds fresh objects; the ready configurations are built once.
  EXPECT_NE(casualModeOption().parsers[0], casual.parsers[0]);
  EXPECT_EQ(&Chrono::casual(), &Chrono::casual());
}

TEST(ChronoTest, ParseDateAlwaysReadsCasually) {
  ScopedTimeZone zone("Europe/Berlin");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  // The strict configuration has no casual parsers, yet parseDate reads "tomorrow".
  EXPECT_TRUE(Chrono::strict().parse(u"tomorrow", ref).empty());
  const auto date = Chrono::strict().parseDate(u"tomorrow", ref);
  ASSERT_TRUE(date);
  EXPECT_EQ(iso(*date), "2024-03-12T12:00:00.000+01:00");
  EXPECT_FALSE(Chrono::casual().parseDate(u"nothing here", ref));
  EXPECT_EQ(iso(*Chrono::casual().parseDate(std::string_view("at 5pm"), ref)), "2024-03-11T17:00:00.000+01:00");
}

TEST(ChronoTest, StrictDropsImpossibleTimes) {
  ScopedTimeZone zone("UTC");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  EXPECT_EQ(Chrono::casual().parse(u"at 2400", ref).size(), 1u);
  EXPECT_TRUE(Chrono::strict().parse(u"at 2400", ref).empty());
  EXPECT_EQ(Chrono::strict().parse(u"at 23:59", ref).size(), 1u);
}

TEST(ChronoTest, ConcurrentParsesAgree) {
  ScopedTimeZone zone("UTC");
  const Date ref = localDate(2024, 3, 11, 10, 0);
  const std::u16string text = u"call mom tomorrow at 5pm PST, then 7 - 9pm drinks";
  const auto expected = Chrono::casual().parse(text, ref);
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        const auto got = Chrono::casual().parse(text, ref);
        if (got.size() != expected.size() || got[0].text() != expected[0].text()) ++mismatches;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_EQ(texts(expected), (std::vector<std::u16string>{u"tomorrow at 5pm PST", u"7 - 9pm"}));
}

}  // namespace
}  // namespace zarvo::chrono
