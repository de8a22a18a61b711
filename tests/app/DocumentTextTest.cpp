// The document's text as files hold it: encodings, line ends, paragraph and frame characters,
// rich text, and the text the Run window evaluates.
#include "MainWindowTest.h"
#include "UnwritableFolder.h"

#include "TestPrinters.h"
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTextCursor>

namespace {

class DocumentTextTest : public TMainWindowTest {};

TEST_F(DocumentTextTest, EightBitFileThatCannotHoldTheTextIsLeftWhole) {
    WriteFile("latin.tcl", "caf\xE9\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("latin.tcl")));
    Editor().SetCaret(0);
    Type(QString::fromUtf8("\u0151"));
    EXPECT_FALSE(Form->FileSave());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(ReadFile("latin.tcl"), "caf\xE9\n");
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(DocumentTextTest,
       EightBitTextThatCannotHoldATypedCharacterIsSavedAsUtf8OnlyIfTheUserAgrees) {
    WriteFile("w.tcl", "puts \x80\r\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("w.tcl")));
    Editor().SetCaret(0);
    Type(QString::fromUtf8("\u0151"));
    Seam->AnswerMessage(QMessageBox::No);
    EXPECT_FALSE(Form->FileSave());
    Seam->AnswerSaveFile(Path("new.tcl"));
    Seam->AnswerMessage(QMessageBox::No);
    EXPECT_FALSE(Form->FileSaveAs());
    EXPECT_FALSE(QFile::exists(Path("new.tcl")));
    EXPECT_EQ(ReadFile("w.tcl"), "puts \x80\r\n");
    EXPECT_EQ(Doc().DocumentName(), Path("w.tcl"));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Editor().Lines(), QStringList{QString::fromUtf8("\u0151puts \u20ac")});

    Seam->AnswerMessage(QMessageBox::Yes);
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("w.tcl"), "\xC5\x91puts \xE2\x82\xAC\r\n");
    EXPECT_FALSE(Doc().IsModified());
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 3u);
    for (const auto& question : messages) {
        EXPECT_EQ(question.Caption, "Confirm");
        EXPECT_EQ(question.Icon, QMessageBox::Question);
        EXPECT_EQ(question.Buttons, QMessageBox::Yes | QMessageBox::No);
    }
    EXPECT_EQ(messages[0].Text, "The text holds characters that an 8-bit file cannot store. "
                                "Save " +
                                    Path("w.tcl") + " as UTF-8?");
    EXPECT_EQ(messages[1].Text, "The text holds characters that an 8-bit file cannot store. "
                                "Save " +
                                    Path("new.tcl") + " as UTF-8?");

    // The document is UTF-8 from now on: no more questions.
    Type(QString::fromUtf8("\u2192"));
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("w.tcl"), "\xC5\x91\xE2\x86\x92puts \xE2\x82\xAC\r\n");
    EXPECT_EQ(Messages().size(), 3u);
}

TEST_F(DocumentTextTest, RefusingUtf8AtTheCloseQuestionKeepsTheWindowAndTheText) {
    WriteFile("w.tcl", "x\xE9\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("w.tcl")));
    Editor().SetCaret(0);
    Type(QString::fromUtf8("\u0151"));
    Seam->AnswerMessage(QMessageBox::Yes); // save changes?
    Seam->AnswerMessage(QMessageBox::No);  // as UTF-8?
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(ReadFile("w.tcl"), "x\xE9\n");
    EXPECT_EQ(Editor().Lines(), QStringList{QString::fromUtf8("\u0151x\u00e9")});
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(DocumentTextTest, EightBitFileShowsTheWindowsWesternCharacters) {
    WriteFile("w.tcl", "puts \x93"
                       "caf\xE9\x94 \x80\x85\x81\x8D\x8F\x90\x9D\r\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("w.tcl")));
    EXPECT_EQ(Editor().Lines(),
              QStringList{QString::fromUtf8("puts \u201ccaf\u00e9\u201d \u20ac\u2026") +
                          QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D")});
    Editor().SetModified(true);
    ASSERT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("w.tcl"), "puts \x93"
                                 "caf\xE9\x94 \x80\x85\x81\x8D\x8F\x90\x9D\r\n");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DocumentTextTest, ParagraphAndFrameCharactersStayInsideTheirLine) {
    // U+2029, U+2028, U+FDD0 and U+FDD1 in UTF-8.
    const QByteArray bytes = "set a 1\xE2\x80\xA9puts $a\r\n"
                             "x\xEF\xB7\x90y\xEF\xB7\x91\xE2\x80\xA8z\r\n";
    WriteFile("p.tcl", bytes);
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("p.tcl")));
    const QStringList lines{QString::fromUtf8("set a 1\u2029puts $a"),
                            QString::fromUtf8("x\ufdd0y\ufdd1\u2028z")};
    EXPECT_EQ(Editor().LineCount(), 2);
    EXPECT_EQ(TextArea().document()->blockCount(), 3); // and the empty line after the last
    EXPECT_EQ(Editor().Lines(), lines);
    EXPECT_EQ(Editor().LineText(1), lines[1]);
    EXPECT_EQ(Doc().ScriptText(), lines.join("\r\n") + "\r\n");
    EXPECT_EQ(ColorMap(0).left(3), "CCC");
    EXPECT_EQ(ColorMap(0).size(), lines[0].size());

    Editor().SetModified(true);
    ASSERT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("p.tcl"), bytes);

    // Edits in and around such a line keep it whole.
    Editor().SetCaret(Editor().LineStart(0) + 8);
    Type("#\n");
    ASSERT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("p.tcl"), "set a 1\xE2\x80\xA9#\r\nputs $a\r\n"
                                 "x\xEF\xB7\x90y\xEF\xB7\x91\xE2\x80\xA8z\r\n");
}

TEST_F(DocumentTextTest, ParagraphCharacterIsCopiedAndPastedAsItself) {
    WriteFile("p.tcl", "set a 1\xE2\x80\xA9puts $a\r\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("p.tcl")));
    Editor().Select(4, 8);
    Form->EditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("a 1\u2029puts"));
    Editor().SetCaret(Editor().LineStart(1));
    Form->EditPaste();
    EXPECT_EQ(Editor().Lines(), (QStringList{QString::fromUtf8("set a 1\u2029puts $a"),
                                             QString::fromUtf8("a 1\u2029puts")}));
}

TEST_F(DocumentTextTest, FileWithoutAFinalLineBreakHasNoLineAfterItsLast) {
    WriteFile("open.tcl", "a\nb");
    WriteFile("closed.tcl", "a\nb\n");
    WriteFile("blank.tcl", "a\n\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("open.tcl")));
    EXPECT_EQ(TextArea().document()->blockCount(), 2);
    TextArea().moveCursor(QTextCursor::End);
    EXPECT_EQ(Editor().CaretPos(), QPoint(1, 1));
    EXPECT_EQ(Editor().Lines(), (QStringList{"a", "b"}));
    // As in other editors, a final line break is followed by an empty line to type in.
    ASSERT_NO_THROW(Doc().Load(Path("closed.tcl")));
    TextArea().moveCursor(QTextCursor::End);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 2));
    EXPECT_EQ(Editor().Lines(), (QStringList{"a", "b"}));
    ASSERT_NO_THROW(Doc().Load(Path("blank.tcl")));
    EXPECT_EQ(Editor().Lines(), (QStringList{"a", ""}));
    TextArea().moveCursor(QTextCursor::End);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 2));
}

struct TRoundTrip {
    QByteArray File;
    QByteArray Saved;
};

class DocumentRoundTrip : public DocumentTextTest,
                          public testing::WithParamInterface<TRoundTrip> {};

// Opening and saving without an edit writes every line followed by CR LF: files in that form
// come back byte for byte, others gain only CR LF line ends and a final one.
TEST_P(DocumentRoundTrip, OpeningAndSavingWritesCrLfLineEnds) {
    WriteFile("t.tcl", GetParam().File);
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("t.tcl")));
    Editor().SetModified(true);
    ASSERT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("t.tcl"), GetParam().Saved);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, DocumentRoundTrip,
    testing::Values(TRoundTrip{"a\r\nb\r\n", "a\r\nb\r\n"}, TRoundTrip{"a\nb\n", "a\r\nb\r\n"},
                    TRoundTrip{"a\r\nb", "a\r\nb\r\n"}, TRoundTrip{"a\nb", "a\r\nb\r\n"},
                    TRoundTrip{"a\rb\r", "a\r\nb\r\n"}, TRoundTrip{"a\r\n\r\n", "a\r\n\r\n"},
                    TRoundTrip{"a\n\n", "a\r\n\r\n"}, TRoundTrip{"\r\n", "\r\n"},
                    TRoundTrip{"", ""}, TRoundTrip{"\xE9\r\n\x80", "\xE9\r\n\x80\r\n"}));

// Every byte but CR and LF, as an 8-bit file holds them.
QByteArray AllBytesButLineEnds() {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes += char(b);
    }
    return bytes;
}

// Opening and saving changes only line ends, in an 8-bit file and in UTF-8 with its mark.
INSTANTIATE_TEST_SUITE_P(
    Encodings, DocumentRoundTrip,
    testing::Values(TRoundTrip{AllBytesButLineEnds() + "\nline two\r\n\n",
                               AllBytesButLineEnds() + "\r\nline two\r\n\r\n"},
                    TRoundTrip{
                        "\xEF\xBB\xBFputs \"caf\xC3\xA9 \xE2\x82\xAC\"\n\tset x\xC2\xA0y",
                        "\xEF\xBB\xBFputs \"caf\xC3\xA9 \xE2\x82\xAC\"\r\n\tset x\xC2\xA0y\r\n"}));

TEST_F(DocumentTextTest, FileInAFolderThatTakesNoNewFilesIsSavedInPlace) {
    ASSERT_TRUE(QDir(Dir.path()).mkdir("locked"));
    WriteFile("locked/a.tcl", "set x 1\r\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("locked/a.tcl")));
    const TUnwritableFolder folder(Path("locked"));
    if (!folder.Arranged())
        GTEST_SKIP() << "cannot take away the right to create files in a folder";
    Type("#");
    EXPECT_TRUE(Form->FileSave());
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ReadFile("locked/a.tcl"), "#set x 1\r\n");
    EXPECT_EQ(QDir(Path("locked")).entryList(QDir::Files), QStringList{"a.tcl"});
}

TEST_F(DocumentTextTest, RichTextFileIsLoadedAsItsText) {
    WriteFile("rich.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0 set x 1\\par\n"
                          "puts $x\\par\n}");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("rich.rtf")));
    EXPECT_EQ(Editor().Lines(), (QStringList{"set x 1", "puts $x"}));
    EXPECT_EQ(ColorMap(1), "CCCCCVV");
}

TEST_F(DocumentTextTest, ScriptTextIsEveryDocumentLineWithCrLfEvenWhenWrapped) {
    Create();
    Form->findChild<QAction*>("WordWrap1")->trigger();
    Type("puts " + QString(300, u'a') + "\nset x 1\n");
    EXPECT_EQ(Doc().ScriptText(), "puts " + QString(300, u'a') + "\r\nset x 1\r\n");
}

} // namespace
