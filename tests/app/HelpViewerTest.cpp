// The help window with a small index of its own and the installed Tcl manual pages.
#include "help/HelpViewer.h"
#include "ScriptedModalSeam.h"
#include "help/ManPageFile.h"

#include "TestPrinters.h"
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HelpViewerTest : public testing::Test {
protected:
    QTemporaryDir Dir;
    TScriptedModalSeam Seam;

    QString WriteIndex(const QByteArray& text) {
        const QString path = Dir.filePath("tcl.hlp");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return path;
    }
};

TEST_F(HelpViewerTest, EmptyKeywordIsReported) {
    THelpViewer viewer(WriteIndex("puts\tputs\n"), DefaultManDirs());
    viewer.ShowKeyword("");
    const auto asked = Seam.AskedOfKind(TScriptedModalSeam::TKind::Message);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "No help keyword specified.");
}

TEST_F(HelpViewerTest, KeywordShowsItsManualPage) {
    if (!ReadManPage(DefaultManDirs(), "puts"))
        GTEST_SKIP() << "Tcl's manual pages (tcl8.6-doc) are not installed";
    THelpViewer viewer(WriteIndex("puts\tputs\nargv\ttcl_platform\n"), DefaultManDirs());
    viewer.ShowKeyword("puts");
    EXPECT_EQ(viewer.CurrentTopic(), "puts");
    EXPECT_TRUE(viewer.TopicText().startsWith("NAME\n    puts - Write to a channel"))
        << viewer.TopicText().left(200).toStdString();
    EXPECT_TRUE(viewer.isVisible());
    viewer.ShowKeyword("argv");
    EXPECT_EQ(viewer.CurrentTopic(), "tcl_platform");
}

TEST_F(HelpViewerTest, KeywordWithoutTopicShowsTheIndexWithAMessage) {
    THelpViewer viewer(WriteIndex("puts\tputs\n"), DefaultManDirs());
    viewer.ShowKeyword("frobnicate");
    EXPECT_EQ(viewer.Message(),
              "There is no help topic for \"frobnicate\". Choose a topic from the index.");
    EXPECT_TRUE(viewer.isVisible());
}

TEST_F(HelpViewerTest, MissingIndexIsExplained) {
    THelpViewer viewer(Dir.filePath("none.hlp"), DefaultManDirs());
    viewer.ShowContents();
    EXPECT_TRUE(viewer.Message().startsWith("The help index \"" + Dir.filePath("none.hlp") +
                                            "\" cannot be read."));
}

TEST_F(HelpViewerTest, TopicNamesCannotLeaveTheManualFolders) {
    EXPECT_EQ(ReadManPage(DefaultManDirs(), "../man3/puts"), std::nullopt);
}

} // namespace
