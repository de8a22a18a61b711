// The document the main window shows: the save question, New, Open, Save and Save As, and
// files changed by other programs.
#include "AppTitle.h"
#include "CommandGuard.h"
#include "MainWindowTest.h"

#include "TestPrinters.h"
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

class DocumentTest : public TMainWindowTest {};

TEST_F(DocumentTest, TypingShowsModifiedAndSaveClearsIt) {
    WriteFile("a.tcl", "set x 1\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("a.tcl")));
    EXPECT_EQ(Form->StatusPanelText(1), "");
    Type("y");
    EXPECT_EQ(Form->StatusPanelText(1), "Modified");
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(Form->StatusPanelText(1), "");
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ReadFile("a.tcl"), "yset x 1\r\n");
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(DocumentTest, SaveQuestionYesSavesThenOpens) {
    WriteFile("a.tcl", "a\n");
    WriteFile("b.tcl", "b\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("a.tcl")));
    MakeModified();
    Seam->AnswerMessage(QMessageBox::Yes);
    Seam->AnswerOpenFile(Path("b.tcl"));
    Form->FileOpen();
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Caption, "Confirm");
    EXPECT_EQ(messages[0].Text, "Save changes to " + Path("a.tcl") + "?");
    EXPECT_EQ(messages[0].Icon, QMessageBox::Question);
    EXPECT_EQ(messages[0].Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(ReadFile("a.tcl"), "xa\r\n");
    EXPECT_EQ(Doc().DocumentName(), Path("b.tcl"));
    EXPECT_EQ(Editor().Lines(), QStringList{"b"});
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(DocumentTest, SaveQuestionNoDiscardsThenOpens) {
    WriteFile("a.tcl", "a\n");
    WriteFile("b.tcl", "b\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("a.tcl")));
    MakeModified();
    Seam->AnswerMessage(QMessageBox::No);
    Seam->AnswerOpenFile(Path("b.tcl"));
    Form->FileOpen();
    EXPECT_EQ(ReadFile("a.tcl"), "a\n");
    EXPECT_EQ(Editor().Lines(), QStringList{"b"});
    EXPECT_EQ(Form->windowTitle(), "b.tcl - " + ApplicationTitle());
}

TEST_F(DocumentTest, SaveQuestionCancelAbandonsTheCommandSilently) {
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("a.tcl")));
    MakeModified();
    Seam->AnswerMessage(QMessageBox::Cancel);
    Form->FileOpen();
    EXPECT_EQ(Seam->Asked().size(), 1u); // no open dialog, no error
    EXPECT_EQ(Editor().Lines(), QStringList{"xa"});
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(ReadFile("a.tcl"), "a\n");
}

TEST_F(DocumentTest, SaveQuestionYesOnUntitledWithSaveAsCancelledKeepsTheText) {
    WriteFile("b.tcl", "b\n");
    Create();
    MakeModified();
    Seam->AnswerMessage(QMessageBox::Yes);
    Seam->AnswerSaveFile(QString()); // the Save As dialog is cancelled
    Seam->AnswerOpenFile(Path("b.tcl"));
    Form->FileOpen();
    ASSERT_EQ(Seam->Asked().size(), 2u);
    EXPECT_EQ(Seam->Asked()[0].Text, "Save changes to Untitled?");
    EXPECT_EQ(Seam->Asked()[1].Kind, TKind::SaveFile);
    EXPECT_EQ(Seam->PendingAnswers(), 1); // the open dialog was never shown
    EXPECT_EQ(Editor().Lines(), QStringList{"x"});
    EXPECT_EQ(Doc().DocumentName(), "Untitled");
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(DocumentTest, CloseAsksAndCancelKeepsTheWindowOpen) {
    Create();
    MakeModified();
    Seam->AnswerMessage(QMessageBox::Cancel);
    QSignalSpy closed(Form.get(), &TMainForm::Closed);
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(closed.count(), 0);
    Seam->AnswerMessage(QMessageBox::No);
    EXPECT_TRUE(Form->close());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(DocumentTest, FailedSaveFromTheCloseQuestionIsNotReportedAndTheWindowStays) {
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("a.tcl")));
    MakeModified();
    ASSERT_TRUE(QFile::remove(Path("a.tcl")));
    ASSERT_TRUE(QDir(Dir.path()).mkdir("a.tcl")); // a folder cannot be written as a file
    Seam->AnswerMessage(QMessageBox::Yes);
    Form->FileExit();
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Seam->Asked().size(), 1u);
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(DocumentTest, NewAsksTheSaveQuestionAndCancelKeepsTheText) {
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("a.tcl")));
    MakeModified();
    Seam->AnswerMessage(QMessageBox::Cancel);
    Form->FileNew();
    Seam->AnswerMessage(QMessageBox::Cancel);
    QTest::keyClick(Editor().TextArea(), Qt::Key_N, Qt::ControlModifier);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    for (const auto& message : messages) {
        EXPECT_EQ(message.Caption, "Confirm");
        EXPECT_EQ(message.Text, "Save changes to " + Path("a.tcl") + "?");
        EXPECT_EQ(message.Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
    EXPECT_EQ(Editor().Lines(), QStringList{"xa"});
    EXPECT_EQ(Doc().DocumentName(), Path("a.tcl"));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(ReadFile("a.tcl"), "a\n");
}

class DocumentNewAfterAnswer : public DocumentTest,
                               public testing::WithParamInterface<QMessageBox::StandardButton> {};

// No discards, Yes saves first; either way the document is then untitled and empty.
TEST_P(DocumentNewAfterAnswer, LeavesAnUntitledEmptyDocument) {
    const QMessageBox::StandardButton answer = GetParam();
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("a.tcl")));
    MakeModified();
    Seam->AnswerMessage(answer);
    Form->FileNew();
    EXPECT_EQ(Editor().Lines(), QStringList{});
    EXPECT_EQ(Doc().DocumentName(), "Untitled");
    EXPECT_TRUE(Doc().FileName().isEmpty());
    EXPECT_EQ(Form->windowTitle(), "Untitled - " + ApplicationTitle());
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Form->StatusPanelText(1), "");
    EXPECT_EQ(ReadFile("a.tcl"), answer == QMessageBox::Yes ? "xa\r\n" : "a\n");
    EXPECT_EQ(Messages().size(), 1u);
    // An unmodified document is replaced without a question.
    Form->FileNew();
    EXPECT_EQ(Messages().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Answers, DocumentNewAfterAnswer,
                         testing::Values(QMessageBox::No, QMessageBox::Yes));

TEST_F(DocumentTest, SaveOnUntitledRunsSaveAs) {
    Create();
    Type("a\nb");
    Seam->AnswerSaveFile(Path("new.tcl"));
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("new.tcl"), "a\r\nb\r\n");
    EXPECT_EQ(Doc().DocumentName(), Path("new.tcl"));
    EXPECT_EQ(Form->windowTitle(), "new.tcl - " + ApplicationTitle());
    EXPECT_EQ(Seam->Asked().size(), 1u); // no overwrite question for a new file
}

TEST_F(DocumentTest, TwoLinesAreSavedAsSixBytesWithOrWithoutFinalLineBreak) {
    Create();
    Type("a\nb");
    Seam->AnswerSaveFile(Path("one.tcl"));
    ASSERT_TRUE(Form->FileSaveAs());
    Type("\n");
    Editor().SetCaret(0);
    ASSERT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("one.tcl"), "a\r\nb\r\n");
}

TEST_F(DocumentTest, EmptyDocumentIsSavedAsAnEmptyFile) {
    Create();
    Seam->AnswerSaveFile(Path("empty.tcl"));
    ASSERT_TRUE(Form->FileSaveAs());
    EXPECT_EQ(ReadFile("empty.tcl"), "");
}

class DocumentOverwriteAnswer : public DocumentTest,
                                public testing::WithParamInterface<QMessageBox::StandardButton> {};

// Save As onto an existing file asks, and only Yes writes.
TEST_P(DocumentOverwriteAnswer, SaveAsOntoAnExistingFileWritesOnlyAfterYes) {
    const bool yes = GetParam() == QMessageBox::Yes;
    WriteFile("old.tcl", "old\n");
    Create();
    Type("new");
    Seam->AnswerSaveFile(Path("old.tcl"));
    Seam->AnswerMessage(GetParam());
    EXPECT_EQ(Form->FileSaveAs(), yes);
    EXPECT_EQ(ReadFile("old.tcl"), yes ? "new\r\n" : "old\n");
    EXPECT_EQ(Doc().DocumentName(), yes ? Path("old.tcl") : "Untitled");
    EXPECT_EQ(Doc().IsModified(), !yes);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text, "OK to overwrite " + Path("old.tcl"));
    EXPECT_EQ(messages[0].Caption, "Confirm");
    EXPECT_EQ(messages[0].Icon, QMessageBox::Question);
}

INSTANTIATE_TEST_SUITE_P(Answers, DocumentOverwriteAnswer,
                         testing::Values(QMessageBox::No, QMessageBox::Cancel, QMessageBox::Yes));

TEST_F(DocumentTest, FailedSaveReportsTheReasonAndChangesNothing) {
    Create();
    Type("a");
    Seam->AnswerSaveFile(Path("no/such/folder/x.tcl"));
    // Run as its menu entry runs it: the failure raised goes no further than the command.
    EXPECT_FALSE(RunCommand(Form.get(), [this] { Form->FileSaveAs(); }));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
    EXPECT_TRUE(
        messages[0].Text.startsWith("Cannot save \"" + Path("no/such/folder/x.tcl") + "\". "))
        << messages[0].Text.toStdString();
    EXPECT_TRUE(messages[0].Text.endsWith(u'.'));
    EXPECT_EQ(Doc().DocumentName(), "Untitled");
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Form->StatusPanelText(1), "Modified");
}

TEST_F(DocumentTest, OpenFailureIsReportedAndKeepsTheDocument) {
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("a.tcl")));
    Seam->AnswerOpenFile(Path("gone.tcl"));
    Action("FileOpenCmd")->trigger();
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].Text.startsWith("Cannot open file \"" + Path("gone.tcl") + "\". "));
    EXPECT_EQ(Doc().DocumentName(), Path("a.tcl"));
    EXPECT_EQ(Editor().Lines(), QStringList{"a"});
}

TEST_F(DocumentTest, DialogsStartInTheDocumentsFolderElseTheLastUsedElseHome) {
    ASSERT_TRUE(QDir(Dir.path()).mkdir("project"));
    WriteFile("project/a.tcl", "a\n");
    Create();
    Form->FileOpen();
    ASSERT_NO_THROW(Doc().Load(Path("project/a.tcl")));
    Form->FileOpen();
    Form->FileNew();
    Seam->AnswerSaveFile(Path("b.tcl"));
    Form->FileSave();
    Form->FileNew();
    Form->FileOpen();
    const auto asked = Seam->AskedOfKind(TKind::OpenFile);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].Dir, QDir::homePath());
    EXPECT_EQ(asked[1].Dir, Path("project"));
    EXPECT_EQ(Seam->AskedOfKind(TKind::SaveFile).at(0).Dir, Path("project"));
    EXPECT_EQ(asked[2].Dir, Dir.path());
    EXPECT_TRUE(asked[0].Filter.startsWith("Tcl Files ("));
}

TEST_F(DocumentTest, DialogsOfANewRunStartInTheFolderOfTheNewestRecentFile) {
    ASSERT_TRUE(QDir(Dir.path()).mkdir("recent"));
    WriteFile("recent/r.tcl", "r\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("recent/r.tcl")));
    Form.reset();
    MainForm = nullptr;
    Create();
    Form->FileOpen();
    EXPECT_EQ(Seam->AskedOfKind(TKind::OpenFile).at(0).Dir, Path("recent"));
}

TEST_F(DocumentTest, OutsideChangeAsksToReloadAlsoAfterTheFileWasReplaced) {
    Create();
    Open("o.tcl", "puts old\n");
    Seam->AnswerMessage(QMessageBox::No);
    ReplaceFile("o.tcl", "puts new\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Messages().empty(); }, 10000));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].Text,
              Path("o.tcl") + " has been changed by another program. Reload it?");
    EXPECT_EQ(Messages()[0].DefaultButton, QMessageBox::Yes);
    EXPECT_EQ(Editor().Lines(), QStringList{"puts old"});
    // Still watched after the replacement: the next change asks again, and Yes reloads.
    Seam->AnswerMessage(QMessageBox::Yes);
    ReplaceFile("o.tcl", "puts third\nputs more\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Messages().size() == 2; }, 10000));
    EXPECT_EQ(Editor().Lines(), (QStringList{"puts third", "puts more"}));
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(DocumentTest, OutsideChangeWithUnsavedEditsDefaultsToKeepingThem) {
    Create();
    Open("o.tcl", "puts old\n");
    Editor().SetCaret(0);
    QTest::keyClick(Editor().TextArea(), 'x');
    WriteFile("o.tcl", "puts new\n");
    Doc().CheckOutsideChange();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].Text.contains("unsaved changes"));
    EXPECT_EQ(Messages()[0].DefaultButton, QMessageBox::No);
    EXPECT_EQ(Editor().Lines(), QStringList{"xputs old"});
    EXPECT_TRUE(Doc().IsModified());
    // The same change is not asked about twice.
    Doc().CheckOutsideChange();
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(DocumentTest, OwnSavesAndUnchangedBytesAskNothing) {
    Create();
    Open("o.tcl", "puts old\n");
    Editor().SetCaret(0);
    QTest::keyClick(Editor().TextArea(), 'x');
    ASSERT_TRUE(Form->FileSave());
    QTest::qWait(300); // let the watcher report the save
    Doc().CheckOutsideChange();
    // Rewriting the same bytes is no change.
    ReplaceFile("o.tcl", ReadFile("o.tcl"));
    Doc().CheckOutsideChange();
    QTest::qWait(300);
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(DocumentTest, SavingOverAFileChangedOnDiskAsksFirst) {
    Create();
    Open("s.tcl", "puts old\n");
    Editor().SetCaret(0);
    QTest::keyClick(Editor().TextArea(), 'x');
    // Declined when asked to reload: saving still asks.
    Seam->AnswerMessage(QMessageBox::No);
    WriteFile("s.tcl", "puts theirs\n");
    Doc().CheckOutsideChange();
    Seam->AnswerMessage(QMessageBox::No);
    EXPECT_FALSE(Form->FileSave());
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1].Text, Path("s.tcl") + " has been changed by another program since "
                                                  "it was opened or saved here. Save over it?");
    EXPECT_EQ(Messages()[1].DefaultButton, QMessageBox::No);
    EXPECT_EQ(ReadFile("s.tcl"), "puts theirs\n");
    EXPECT_TRUE(Doc().IsModified());
    Seam->AnswerMessage(QMessageBox::Yes);
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("s.tcl"), "xputs old\r\n");
    // Saved: the file is the document's again, so the next save asks nothing.
    QTest::keyClick(Editor().TextArea(), 'y');
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(Messages().size(), 3u);
}

} // namespace
