#include "app/task_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <ostream>
#include <string>
#include <vector>

#include "app/command_error.h"
#include "zarvo/reminders/records.h"

namespace zarvo::app {
namespace {

std::shared_ptr<Task> taskWithUid(const std::string& uid) {
  return Task::create(std::make_shared<reminders::Reminder>(uid), nullptr);
}

// Two UIDs whose short ids share their first kShortIdLength characters ("78zjnr7"), the case that
// forces longer display ids; found by a search over "uid-N". Tests check the collision first.
std::pair<std::string, std::string> collidingUids() { return {"uid-2416748", "uid-2911928"}; }

TEST(TaskIdsTest, DisplayIdsGrowOnlyWhereTheyWouldCollide) {
  const auto [a, b] = collidingUids();
  ASSERT_EQ(fullShortId(a).substr(0, kShortIdLength), fullShortId(b).substr(0, kShortIdLength));
  const auto first = taskWithUid(a), second = taskWithUid(b), other = taskWithUid("someone-else");
  // The same task fetched twice (two objects, one UID) is not a collision with itself.
  const auto again = taskWithUid("someone-else");
  const ShortIds ids({first, second, other, again});
  EXPECT_GT(ids.of(*first).size(), kShortIdLength);
  EXPECT_NE(ids.of(*first), ids.of(*second));
  EXPECT_TRUE(fullShortId(a).starts_with(ids.of(*first)));
  EXPECT_EQ(ids.of(*other), fullShortId("someone-else").substr(0, kShortIdLength));
  EXPECT_EQ(ids.of(*again), ids.of(*other));
  // A task that was not among them gets the plain length.
  EXPECT_EQ(ids.of(*taskWithUid("stranger")).size(), kShortIdLength);
  // Ids that share exactly kShortIdLength characters, their hashes only the first 34 bits (the
  // most the first seven digits hold, less one): each needs one character more, and no more.
  const auto c = taskWithUid("uid-2402878"), d = taskWithUid("uid-2963618");
  const std::string fullC = fullShortId("uid-2402878"), fullD = fullShortId("uid-2963618");
  ASSERT_EQ(fullC.substr(0, kShortIdLength), fullD.substr(0, kShortIdLength));
  ASSERT_NE(fullC[kShortIdLength], fullD[kShortIdLength]);
  const ShortIds edge({c, d});
  EXPECT_EQ(edge.of(*c), fullC.substr(0, kShortIdLength + 1));
  EXPECT_EQ(edge.of(*d), fullD.substr(0, kShortIdLength + 1));
  // A position is only a hint: a wrong one, or one past the end, still finds the task's own id.
  const std::vector<std::shared_ptr<Task>> given = {first, second, other, again};
  for (size_t row = 0; row < given.size(); ++row) {
    for (size_t position = 0; position <= given.size(); ++position) {
      EXPECT_EQ(ids.of(*given[row], position), ids.of(*given[row])) << row << " at " << position;
    }
  }
  EXPECT_EQ(ids.of(*taskWithUid("stranger"), 0).size(), kShortIdLength);
}

// Against the definition, pair by pair: every id is the shortest beginning (at least
// kShortIdLength) of its full id that no task of another UID shares; objects of one UID share one id,
// in whatever order the tasks come.
TEST(TaskIdsTest, DisplayIdsMatchThePairwiseDefinition) {
  const auto [a, b] = collidingUids();
  std::vector<std::shared_ptr<Task>> tasks = {taskWithUid(a), taskWithUid(b), taskWithUid(a)};
  for (int i = 0; i < 300; ++i) tasks.push_back(taskWithUid("task-" + std::to_string(i * 7919)));
  tasks.push_back(taskWithUid("task-0"));
  for (unsigned seed = 0; seed < 5; ++seed) {
    std::mt19937 random(seed);
    std::shuffle(tasks.begin(), tasks.end(), random);
    const ShortIds ids(tasks);
    for (const auto& task : tasks) {
      const std::string uid = uidOf(*task), full = fullShortId(uid);
      size_t shared = 0;
      for (const auto& other : tasks) {
        const std::string otherFull = fullShortId(uidOf(*other));
        if (uidOf(*other) == uid) continue;
        size_t n = 0;
        while (n < full.size() && full[n] == otherFull[n]) ++n;
        shared = std::max(shared, n);
      }
      const size_t length = std::max(kShortIdLength, std::min(shared + 1, full.size()));
      ASSERT_EQ(ids.of(*task), full.substr(0, length)) << uid << ", seed " << seed;
      // Another object of the same task, not among them, gets the same id.
      ASSERT_EQ(ids.of(*taskWithUid(uid)), ids.of(*task)) << uid;
    }
  }
}

struct Resolution {
  const char* name;
  std::string argument;
  std::string expectedUid;  // "" when the argument must be refused
  std::string messagePart;  // in the refusal's message
};

std::ostream& operator<<(std::ostream& out, const Resolution& r) { return out << r.name; }

class ResolveTaskTest : public ::testing::TestWithParam<Resolution> {};

TEST_P(ResolveTaskTest, NamesExactlyOneTaskOrRefuses) {
  const auto [a, b] = collidingUids();
  const std::vector<std::shared_ptr<Task>> tasks = {taskWithUid("ABC-123"), taskWithUid("ABC-1234"),
                                                    taskWithUid("xyz"), taskWithUid(a), taskWithUid(b)};
  const Resolution& c = GetParam();
  std::string argument = c.argument;
  if (argument == "<short a>") argument = fullShortId(a).substr(0, kShortIdLength + 3);
  if (argument == "<SHORT A>") {
    argument = fullShortId(a).substr(0, 9);
    for (char& ch : argument) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  }
  if (argument == "<shared prefix>") argument = fullShortId(a).substr(0, kShortIdLength);
  std::string expected = c.expectedUid == "<a>" ? a : c.expectedUid;
  if (expected.empty()) {
    try {
      resolveTask(argument, tasks);
      ADD_FAILURE() << c.name << ": '" << argument << "' was accepted";
    } catch (const UsageError& e) {
      EXPECT_NE(std::string(e.what()).find(c.messagePart), std::string::npos) << c.name << ": " << e.what();
    }
    return;
  }
  const auto task = resolveTask(argument, tasks);
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(uidOf(*task), expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResolveTaskTest,
    ::testing::Values(
        // "ABC-123" is also a prefix of "ABC-1234": the task whose whole UID it is wins.
        Resolution{"full UID that prefixes another", "ABC-123", "ABC-123", ""},
        Resolution{"unique UID prefix", "xy", "xyz", ""},
        Resolution{"UID prefix shared by two", "ABC", "", "is ambiguous: it matches 2 tasks"},
        Resolution{"a match through the UID says so", "abc-12", "", "(by its UID ABC-123), "},
        Resolution{"UID prefixes in any case", "abc-1234", "ABC-1234", ""},
        Resolution{"a whole UID in any case", "abc-123", "ABC-123", ""},
        Resolution{"UID prefix in another case", "XY", "xyz", ""},
        Resolution{"short id prefix", "<short a>", "<a>", ""},
        Resolution{"short ids are case-insensitive", "<SHORT A>", "<a>", ""},
        Resolution{"short id prefix shared by two", "<shared prefix>", "", "is ambiguous"},
        Resolution{"no such task", "nothing-like-it", "", "no task with id 'nothing-like-it'"},
        Resolution{"empty", "", "", "empty task id"}),
    [](const ::testing::TestParamInfo<Resolution>& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

}  // namespace
}  // namespace zarvo::app
