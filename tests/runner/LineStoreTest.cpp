// The pane's line store: how chunks become lines.

#include "LineStore.h"

#include <gtest/gtest.h>

TEST(LineStore, ChunkEndingInALineEndLeavesAnEmptyLine) {
    TLineStore store;
    store.AddLine("hello\r\n");
    store.AddLine("Done.");
    EXPECT_EQ(store.Lines(), (QStringList{"hello", "", "Done."}));
}

TEST(LineStore, EveryKindOfLineEndBreaksALine) {
    TLineStore store;
    store.AddLine("a\r\nb\rc\nd");
    EXPECT_EQ(store.Lines(), (QStringList{"a", "b", "c", "d"}));
    store.AddLine("\r\r\n");
    EXPECT_EQ(store.LineCount(), 7);
}

TEST(LineStore, EmptyTextStillMakesALine) {
    TLineStore store;
    EXPECT_EQ(store.LineCount(), 0);
    store.AddLine("");
    EXPECT_EQ(store.Lines(), QStringList{""});
}

TEST(LineStore, AppendGoesOntoTheLastLineOrMakesTheFirst) {
    TLineStore store;
    store.AppendToLastLine("ab");
    store.AppendToLastLine("c");
    EXPECT_EQ(store.Lines(), QStringList{"abc"});
    store.AddLine("x");
    store.AppendToLastLine("yz");
    EXPECT_EQ(store.Lines(), (QStringList{"abc", "xyz"}));
}

TEST(LineStore, KeepsEmbeddedZerosAndDecodesUtf8) {
    TLineStore store;
    store.AddLine(QByteArrayView("a\0b", 3));
    store.AddLine("\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(store.Line(0), QString::fromUtf8("a\0b", 3));
    EXPECT_EQ(store.Line(1), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(store.Line(5), QString());
}

TEST(LineStore, LongestLineFollowsEveryLine) {
    TLineStore store;
    store.AddLine("abc\nabcdefg\nab");
    EXPECT_EQ(store.LongestLine(), 7);
    store.AppendToLastLine("cdefghij");
    EXPECT_EQ(store.LongestLine(), 10);
    store.Clear();
    EXPECT_EQ(store.LongestLine(), 0);
    EXPECT_EQ(store.LineCount(), 0);
}
