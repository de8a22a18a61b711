// Reading the process table for the child processes that Stop ends.

#include "RunInterrupt.h"

#include <gtest/gtest.h>

TEST(RunInterrupt, AProcessLineGivesItsNumberAndParentWhateverItsNameHolds) {
    const struct {
        const char* Line;
        std::optional<std::pair<pid_t, pid_t>> Expected;
    } cases[] = {
        {"1234 (sleep) S 1200 1234 1200 0 -1", std::pair{1234, 1200}},
        {"77 (a (b) c) R 5 77 5", std::pair{77, 5}},
        {"78 (x) y) S 6 1", std::pair{78, 6}},
        {"garbage", std::nullopt},
        {"12 (name) S", std::nullopt},
        {"(x) S 1", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto entry = ParseProcessStat(c.Line);
        ASSERT_EQ(entry.has_value(), c.Expected.has_value()) << c.Line;
        if (entry) {
            EXPECT_EQ(entry->Pid, c.Expected->first) << c.Line;
            EXPECT_EQ(entry->Parent, c.Expected->second) << c.Line;
        }
    }
}

TEST(RunInterrupt, DescendantsAreChildrenAndTheirChildrenOnly) {
    const std::vector<TProcessEntry> table{{10, 1},  {11, 10}, {12, 11}, {13, 1},
                                           {14, 10}, {15, 15}, {16, 15}};
    EXPECT_EQ(DescendantsOf(10, table), (std::vector<pid_t>{11, 14, 12}));
    EXPECT_EQ(DescendantsOf(13, table), std::vector<pid_t>{});
    EXPECT_EQ(DescendantsOf(15, table), std::vector<pid_t>{16}); // a loop ends
}
