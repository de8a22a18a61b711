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

// A channel hands over a full buffer wherever it fills: inside a character, between the CR and
// the LF of a line end. Such a chunk is carried on by the next one.
TEST(LineStore, OutputCutOffByAFullBufferCarriesOnInTheNextChunk) {
    const QByteArray euros = QString(5, QChar(0x20AC)).toUtf8() + "\r\n";
    TLineStore store;
    store.AddOutput(euros.left(4), true); // one euro and the first byte of the second
    store.AddOutput(euros.mid(4, 12), true);
    store.AddOutput(euros.mid(16), false); // the LF of the line end
    EXPECT_EQ(store.Lines(), (QStringList{QString(5, QChar(0x20AC)), ""}));
    EXPECT_EQ(store.LineBytes(0), euros.left(15));
}

TEST(LineStore, OutputNotCutOffStartsALineOfItsOwn) {
    TLineStore store;
    store.AddOutput("a", false);
    store.AddOutput("b\r\n", false);
    store.AddOutput("c\r", true);
    store.AddOutput("d", false); // a lone CR, cut off before the next character
    store.AddOutput("e", true);
    store.AddLine("Done."); // the window's own lines never carry a chunk on
    EXPECT_EQ(store.Lines(), (QStringList{"a", "b", "", "c", "d", "e", "Done."}));
}

TEST(LineStore, EchoAndClearEndAChunkThatWasCutOff) {
    TLineStore store;
    store.AddOutput("Name: ", true);
    store.AppendToLastLine("abc");
    store.AddOutput("Hello\r\n", false);
    EXPECT_EQ(store.Lines(), (QStringList{"Name: abc", "Hello", ""}));
    store.AddOutput("x\r", true);
    store.Clear();
    store.AddOutput("\ny", false);
    EXPECT_EQ(store.Lines(), (QStringList{"", "y"}));
}

TEST(LineStore, LineBytesAreTheBytesAsWritten) {
    TLineStore store;
    store.AddLine(QByteArrayView("\xFF"
                                 "a\r\n\xC3",
                                 5));
    EXPECT_EQ(store.LineBytes(0), QByteArray("\xFF"
                                             "a"));
    EXPECT_EQ(store.LineBytes(1), QByteArray("\xC3"));
    EXPECT_EQ(store.LineBytes(2), QByteArray());
}

TEST(LineStore, BeyondTheLineLimitTheEarliestLinesGoAndAreCounted) {
    TLineStore store;
    store.SetLimits(32, 1 << 20);
    for (int i = 0; i < 32; ++i)
        store.AddLine(QByteArray::number(i));
    EXPECT_EQ(store.LineCount(), 32);
    EXPECT_EQ(store.DroppedLines(), 0);
    store.AddLine("32"); // one over: a sixteenth of the limit more goes at once
    EXPECT_EQ(store.LineCount(), 30);
    EXPECT_EQ(store.DroppedLines(), 3);
    EXPECT_EQ(store.Line(0), "3");
    EXPECT_EQ(store.Line(29), "32");
    for (int i = 33; i < 1000; ++i) {
        store.AddOutput(QByteArray::number(i) + "\r\n", false);
        ASSERT_LE(store.LineCount(), 32);
    }
    EXPECT_EQ(store.Line(store.LineCount() - 2), "999");
    EXPECT_EQ(store.DroppedLines() + store.LineCount(), 1000 * 2 - 33);
    store.Clear();
    EXPECT_EQ(store.DroppedLines(), 0);
}

TEST(LineStore, BeyondTheByteLimitLinesGoButTheLastStaysWhole) {
    TLineStore store;
    store.SetLimits(1000, 160);
    for (int i = 0; i < 20; ++i)
        store.AddLine(QByteArray(10, char('a' + i)));
    EXPECT_LE(store.LineCount() * 10, 160);
    EXPECT_EQ(store.Line(store.LineCount() - 1), QString(10, QChar('t')));
    EXPECT_EQ(store.DroppedLines() + store.LineCount(), 20);
    store.AddLine(QByteArray(500, 'z'));
    EXPECT_EQ(store.Lines(), QStringList{QString(500, QChar('z'))});
    EXPECT_EQ(store.LongestLine(), 500);
    store.AppendToLastLine("!");
    EXPECT_EQ(store.Line(0).size(), 501);
}

TEST(LineStore, ALineCutOffBeforeADropGoesOnAfterIt) {
    TLineStore store;
    store.SetLimits(4, 1 << 20);
    store.AddOutput("1\r\n2\r\n3\r\n4\r\n5\r", true);
    store.AddOutput("\nsix", false);
    EXPECT_EQ(store.Lines(), (QStringList{"3", "4", "5", "six"}));
    EXPECT_EQ(store.LongestLine(), 3);
}
