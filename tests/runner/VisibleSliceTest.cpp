// Which part of a pane line is drawn.

#include "VisibleSlice.h"

#include "TestPrinters.h"

#include <gtest/gtest.h>

TEST(VisibleSlice, LinesUpToTheLimitComeWhole) {
    const QString line(WholeLineLimit, QLatin1Char('x'));
    const TVisibleSlice slice = VisibleSlice(line, 3000, 80);
    EXPECT_EQ(slice.FirstColumn, 0);
    EXPECT_EQ(slice.Text, line);
    EXPECT_EQ(VisibleSlice("short", 100, 80).Text, "short");
}

TEST(VisibleSlice, ALongLineGivesTheColumnsInViewWithAMargin) {
    QString line;
    for (int i = 0; i < 100000; ++i)
        line += QChar(u'a' + i % 26);
    const TVisibleSlice middle = VisibleSlice(line, 50000, 80);
    EXPECT_EQ(middle.FirstColumn, 50000 - SliceMargin);
    EXPECT_EQ(middle.Text, line.mid(50000 - SliceMargin, 80 + 2 * SliceMargin));

    const TVisibleSlice start = VisibleSlice(line, 10, 80);
    EXPECT_EQ(start.FirstColumn, 0);
    EXPECT_EQ(start.Text, line.left(10 + 80 + SliceMargin));

    const TVisibleSlice end = VisibleSlice(line, 99990, 80);
    EXPECT_EQ(end.Text, line.mid(99990 - SliceMargin));
    EXPECT_TRUE(VisibleSlice(line, 200000, 80).Text.isEmpty());
}

TEST(VisibleSlice, NeverSplitsASurrogatePair) {
    const QString pair = QString::fromUcs4(U"\U0001F600");
    const QString line = pair.repeated(10000);
    for (qsizetype first : {qsizetype(1001), qsizetype(1000)}) {
        const TVisibleSlice slice = VisibleSlice(line, first, 81);
        EXPECT_EQ(slice.FirstColumn % 2, 0) << "from column " << first;
        EXPECT_EQ(slice.Text.size() % 2, 0) << "from column " << first;
        EXPECT_FALSE(slice.Text.front().isLowSurrogate());
        EXPECT_FALSE(slice.Text.back().isHighSurrogate());
    }
}
