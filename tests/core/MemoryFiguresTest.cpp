// The About box's memory figures: the system's memory status and its text.

#include "sysinfo/MemoryFigures.h"
#include "sysinfo/MemoryStatus.h"

#include <gtest/gtest.h>

namespace {
constexpr std::uint64_t MiB = 1024 * 1024;
constexpr std::uint64_t GiB = 1024 * MiB;
} // namespace

TEST(MemoryFigures, GroupsDigitsInThousands) {
    const QString comma = QStringLiteral(",");
    EXPECT_EQ(GroupThousands(0, comma), "0");
    EXPECT_EQ(GroupThousands(999, comma), "999");
    EXPECT_EQ(GroupThousands(1000, comma), "1,000");
    EXPECT_EQ(GroupThousands(524288, comma), "524,288");
    EXPECT_EQ(GroupThousands(1234567, comma), "1,234,567");
    EXPECT_EQ(GroupThousands(1234567, QStringLiteral(".")), "1.234.567");
    const QString narrowSpace(QChar(0x202F));
    EXPECT_EQ(GroupThousands(1234567, narrowSpace),
              "1" + narrowSpace + "234" + narrowSpace + "567");
}

TEST(MemoryFigures, KilobytesAreRoundedAndNotClampedAt4GiB) {
    const QString comma = QStringLiteral(",");
    EXPECT_EQ(FormatKilobytes(512 * MiB, comma), "524,288 KB");
    EXPECT_EQ(FormatKilobytes(4 * GiB, comma), "4,194,304 KB");
    EXPECT_EQ(FormatKilobytes(5 * GiB + 512 * MiB, comma), "5,767,168 KB");
    EXPECT_EQ(FormatKilobytes(1024 * GiB, comma), "1,073,741,824 KB");
    EXPECT_EQ(FormatKilobytes(1535, comma), "1 KB");
    EXPECT_EQ(FormatKilobytes(1536, comma), "2 KB");
}

TEST(MemoryFigures, LoadIsAPercentage) {
    EXPECT_EQ(FormatMemoryLoad(37), "37 %");
    EXPECT_EQ(FormatMemoryLoad(100), "100 %");
}

TEST(MemoryStatus, LoadIsTheRoundedShareInUse) {
    EXPECT_EQ(MemoryLoadPercent(100, 100), 0);
    EXPECT_EQ(MemoryLoadPercent(100, 0), 100);
    EXPECT_EQ(MemoryLoadPercent(3, 2), 33);
    EXPECT_EQ(MemoryLoadPercent(3, 1), 67);
    EXPECT_EQ(MemoryLoadPercent(200, 1), 100);
    EXPECT_EQ(MemoryLoadPercent(0, 0), 0);
    EXPECT_EQ(MemoryLoadPercent(100, 150), 0);
    EXPECT_EQ(MemoryLoadPercent(64 * 1024 * GiB, 16 * 1024 * GiB), 75);
}

TEST(MemoryStatus, ReadsTotalAndAvailableFromMemInfo) {
    const auto status = ParseMemInfo("MemTotal:         524288 kB\n"
                                     "MemFree:           10000 kB\n"
                                     "MemAvailable:     131072 kB\n"
                                     "Buffers:            100 kB\n");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->TotalPhysicalBytes, 512 * MiB);
    EXPECT_EQ(status->MemoryLoad, 75);

    const auto large = ParseMemInfo("MemTotal: 67108864 kB\nMemAvailable: 67108864 kB\n");
    ASSERT_TRUE(large);
    EXPECT_EQ(large->TotalPhysicalBytes, 64 * GiB);
    EXPECT_EQ(large->MemoryLoad, 0);
}

TEST(MemoryStatus, IncompleteMemInfoGivesNothing) {
    EXPECT_FALSE(ParseMemInfo("MemTotal: 524288 kB\n"));
    EXPECT_FALSE(ParseMemInfo("MemAvailable: 524288 kB\n"));
    EXPECT_FALSE(ParseMemInfo("MemTotalX: 1 kB\nMemAvailable: 1 kB\n"));
    EXPECT_FALSE(ParseMemInfo("MemTotal: many kB\nMemAvailable: 1 kB\n"));
    EXPECT_FALSE(ParseMemInfo(""));
}

TEST(MemoryStatus, ThisMachineReportsItsMemory) {
    const TMemoryStatus status = QueryMemoryStatus();
    EXPECT_GT(status.TotalPhysicalBytes, 16 * MiB);
    EXPECT_GE(status.MemoryLoad, 0);
    EXPECT_LE(status.MemoryLoad, 100);
}
