// The main window offscreen: start-up, the document's file operations and their questions,
// drag and drop, the command line, keyword help, the display toggles and the colouring as the
// editor shows it.
#include "MainForm.h"
#include "AppTitle.h"
#include "RichEdit.h"
#include "ScriptedModalSeam.h"
#include "UnwritableFolder.h"
#include "help/HelpSystem.h"

#include "TestPrinters.h"
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>
#include <memory>

namespace {

using TKind = TScriptedModalSeam::TKind;

class TRecordingHelp : public THelpSystem {
public:
    int ContentsShown = 0;
    QStringList Keywords;
    void ShowContents() override { ++ContentsShown; }
    void ShowKeyword(const QString& keyword) override { Keywords.append(keyword); }
};

class MainFormTest : public testing::Test {
protected:
    QTemporaryDir Dir;
    QString PreviousDir;
    std::unique_ptr<TScriptedModalSeam> Seam;
    std::unique_ptr<TMainForm> Form;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        PreviousDir = QDir::currentPath();
        QDir::setCurrent(Dir.path());
        WriteFile("cmds.dat", "set\nputs\nif\nforeach\n");
        Seam = std::make_unique<TScriptedModalSeam>();
    }

    void TearDown() override {
        Form.reset();
        MainForm = nullptr;
        Seam.reset();
        QDir::setCurrent(PreviousDir);
    }

    TMainForm& Create(const QStringList& arguments = {}) {
        Form = std::make_unique<TMainForm>(arguments);
        // Recent files and the line-number toggle go to a file of the test's own, not to the
        // settings beside the test program that concurrent test runs share.
        Form->SetSettingsFile(Path("quillet.ini"));
        MainForm = Form.get();
        Form->show();
        // Shortcuts reach an active window only.
        QApplication::setActiveWindow(Form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return *Form;
    }

    QString Path(const QString& name) const { return Dir.filePath(name); }

    void WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray ReadFile(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    TRichEdit& Editor() const { return *Form->Editor(); }
    QPlainTextEdit& TextArea() const { return *qobject_cast<QPlainTextEdit*>(Editor().TextArea()); }

    // Types text key by key: a line break is the Enter key, a tab the Tab key.
    void Type(const QString& text) const {
        QWidget* area = Editor().TextArea();
        for (QChar c : text) {
            if (c == u'\n') {
                QTest::keyClick(area, Qt::Key_Return);
            } else if (c == u'\t') {
                QTest::keyClick(area, Qt::Key_Tab);
            } else if (c.unicode() < 128) {
                QTest::keyClick(area, char(c.unicode()));
            } else {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(area, &press);
                QApplication::sendEvent(area, &release);
            }
        }
    }

    // One letter per character of a line: C command, V variable, S string, K comment (green
    // and italic), . uncoloured; anything else is ?.
    QString ColorMap(int line) const {
        const QTextBlock block = TextArea().document()->findBlockByNumber(line);
        QString map(block.length() - 1, u'.');
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            const QColor color = range.format.foreground().color();
            QChar letter = u'?';
            if (color == QColor(0, 0, 255))
                letter = u'C';
            else if (color == QColor(255, 0, 0))
                letter = u'V';
            else if (color == QColor(255, 0, 255))
                letter = u'S';
            else if (color == QColor(0, 128, 0) && range.format.fontItalic())
                letter = u'K';
            for (int i = range.start; i < range.start + range.length && i < map.size(); ++i)
                map[i] = letter;
        }
        return map;
    }

    // Typing a character marks the document modified.
    void MakeModified() const {
        Editor().SetCaret(0);
        Type("x");
        ASSERT_TRUE(Form->IsModified());
    }

    std::vector<TScriptedModalSeam::TQuestion> Messages() const {
        return Seam->AskedOfKind(TKind::Message);
    }
};

// --- start-up -------------------------------------------------------------------------------

TEST_F(MainFormTest, StartsUntitledWithCaretPanelAndNoModifiedMark) {
    Create();
    EXPECT_EQ(Form->windowTitle(), "Untitled - " + ApplicationTitle());
    EXPECT_EQ(Form->StatusPanelText(0), "Line:   1   Col:   1");
    EXPECT_EQ(Form->StatusPanelText(1), "");
    EXPECT_EQ(Form->StatusPanelText(2), "");
    EXPECT_EQ(Form->DocumentName(), "Untitled");
    EXPECT_EQ(Form->CommandWords(), (QStringList{"set", "puts", "if", "foreach"}));
    EXPECT_TRUE(Seam->Asked().empty());
    EXPECT_EQ(Form->size(), QSize(756, 530));
}

TEST_F(MainFormTest, MissingCommandWordFileIsReportedOnceAndNothingIsColouredAsCommand) {
    QFile::remove(Path("cmds.dat"));
    Create();
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text, "File not found.");
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
    EXPECT_EQ(messages[0].Icon, QMessageBox::Critical);
    EXPECT_TRUE(Form->CommandWords().isEmpty());
    Type("set x $y");
    EXPECT_EQ(ColorMap(0), "......VV");
    EXPECT_EQ(Form->windowTitle(), "Untitled - " + ApplicationTitle());
}

TEST_F(MainFormTest, CaretPositionPanelFollowsTheSelectionStart) {
    Create();
    Type("set x 1\n\tputs [set x]");
    Editor().Select(11, 3);
    EXPECT_EQ(Form->StatusPanelText(0), "Line:   2   Col:   4");
    Editor().SetCaret(0);
    EXPECT_EQ(Form->StatusPanelText(0), "Line:   1   Col:   1");
}

TEST_F(MainFormTest, TypingShowsModifiedAndSaveClearsIt) {
    WriteFile("a.tcl", "set x 1\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("a.tcl")));
    EXPECT_EQ(Form->StatusPanelText(1), "");
    Type("y");
    EXPECT_EQ(Form->StatusPanelText(1), "Modified");
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(Form->StatusPanelText(1), "");
    EXPECT_FALSE(Form->IsModified());
    EXPECT_EQ(ReadFile("a.tcl"), "yset x 1\r\n");
    EXPECT_TRUE(Seam->Asked().empty());
}

// --- the save question ----------------------------------------------------------------------

TEST_F(MainFormTest, SaveQuestionYesSavesThenOpens) {
    WriteFile("a.tcl", "a\n");
    WriteFile("b.tcl", "b\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("a.tcl")));
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
    EXPECT_EQ(Form->DocumentName(), Path("b.tcl"));
    EXPECT_EQ(Editor().Lines(), QStringList{"b"});
    EXPECT_FALSE(Form->IsModified());
}

TEST_F(MainFormTest, SaveQuestionNoDiscardsThenOpens) {
    WriteFile("a.tcl", "a\n");
    WriteFile("b.tcl", "b\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("a.tcl")));
    MakeModified();
    Seam->AnswerMessage(QMessageBox::No);
    Seam->AnswerOpenFile(Path("b.tcl"));
    Form->FileOpen();
    EXPECT_EQ(ReadFile("a.tcl"), "a\n");
    EXPECT_EQ(Editor().Lines(), QStringList{"b"});
    EXPECT_EQ(Form->windowTitle(), "b.tcl - " + ApplicationTitle());
}

TEST_F(MainFormTest, SaveQuestionCancelAbandonsTheCommandSilently) {
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("a.tcl")));
    MakeModified();
    Seam->AnswerMessage(QMessageBox::Cancel);
    Form->FileOpen();
    EXPECT_EQ(Seam->Asked().size(), 1u); // no open dialog, no error
    EXPECT_EQ(Editor().Lines(), QStringList{"xa"});
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(ReadFile("a.tcl"), "a\n");
}

TEST_F(MainFormTest, SaveQuestionYesOnUntitledWithSaveAsCancelledKeepsTheText) {
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
    EXPECT_EQ(Form->DocumentName(), "Untitled");
    EXPECT_TRUE(Form->IsModified());
}

TEST_F(MainFormTest, CloseAsksAndCancelKeepsTheWindowOpen) {
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

TEST_F(MainFormTest, FailedSaveFromTheCloseQuestionIsNotReportedAndTheWindowStays) {
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("a.tcl")));
    MakeModified();
    ASSERT_TRUE(QFile::remove(Path("a.tcl")));
    ASSERT_TRUE(QDir(Dir.path()).mkdir("a.tcl")); // a folder cannot be written as a file
    Seam->AnswerMessage(QMessageBox::Yes);
    Form->FileExit();
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Seam->Asked().size(), 1u);
    EXPECT_TRUE(Form->IsModified());
}

TEST_F(MainFormTest, NewAsksTheSaveQuestionAndCancelKeepsTheText) {
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("a.tcl")));
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
    EXPECT_EQ(Form->DocumentName(), Path("a.tcl"));
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(ReadFile("a.tcl"), "a\n");
}

TEST_F(MainFormTest, NewAfterNoDiscardsAndAfterYesSavesFirst) {
    WriteFile("a.tcl", "a\n");
    Create();
    for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        ASSERT_TRUE(Form->LoadDocument(Path("a.tcl")));
        MakeModified();
        Seam->AnswerMessage(answer);
        Form->FileNew();
        EXPECT_EQ(Editor().Lines(), QStringList{});
        EXPECT_EQ(Form->DocumentName(), "Untitled");
        EXPECT_EQ(Form->windowTitle(), "Untitled - " + ApplicationTitle());
        EXPECT_FALSE(Form->IsModified());
        EXPECT_EQ(Form->StatusPanelText(1), "");
        EXPECT_EQ(ReadFile("a.tcl"), answer == QMessageBox::Yes ? "xa\r\n" : "a\n");
    }
    EXPECT_EQ(Messages().size(), 2u);
    // An unmodified document is replaced without a question.
    Form->FileNew();
    EXPECT_EQ(Messages().size(), 2u);
}

// --- Save and Save As -----------------------------------------------------------------------

TEST_F(MainFormTest, SaveOnUntitledRunsSaveAs) {
    Create();
    Type("a\nb");
    Seam->AnswerSaveFile(Path("new.tcl"));
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("new.tcl"), "a\r\nb\r\n");
    EXPECT_EQ(Form->DocumentName(), Path("new.tcl"));
    EXPECT_EQ(Form->windowTitle(), "new.tcl - " + ApplicationTitle());
    EXPECT_EQ(Seam->Asked().size(), 1u); // no overwrite question for a new file
}

TEST_F(MainFormTest, TwoLinesAreSavedAsSixBytesWithOrWithoutFinalLineBreak) {
    Create();
    Type("a\nb");
    Seam->AnswerSaveFile(Path("one.tcl"));
    ASSERT_TRUE(Form->FileSaveAs());
    Type("\n");
    Editor().SetCaret(0);
    ASSERT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("one.tcl"), "a\r\nb\r\n");
}

TEST_F(MainFormTest, EmptyDocumentIsSavedAsAnEmptyFile) {
    Create();
    Seam->AnswerSaveFile(Path("empty.tcl"));
    ASSERT_TRUE(Form->FileSaveAs());
    EXPECT_EQ(ReadFile("empty.tcl"), "");
}

TEST_F(MainFormTest, SaveAsOntoAnExistingFileAsksAndOnlyYesWrites) {
    WriteFile("old.tcl", "old\n");
    Create();
    Type("new");
    for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Cancel}) {
        Seam->AnswerSaveFile(Path("old.tcl"));
        Seam->AnswerMessage(answer);
        EXPECT_FALSE(Form->FileSaveAs());
        EXPECT_EQ(ReadFile("old.tcl"), "old\n");
        EXPECT_EQ(Form->DocumentName(), "Untitled");
        EXPECT_TRUE(Form->IsModified());
    }
    Seam->AnswerSaveFile(Path("old.tcl"));
    Seam->AnswerMessage(QMessageBox::Yes);
    EXPECT_TRUE(Form->FileSaveAs());
    EXPECT_EQ(ReadFile("old.tcl"), "new\r\n");
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].Text, "OK to overwrite " + Path("old.tcl"));
    EXPECT_EQ(messages[0].Caption, "Confirm");
    EXPECT_EQ(messages[0].Icon, QMessageBox::Question);
}

TEST_F(MainFormTest, FailedSaveReportsTheReasonAndChangesNothing) {
    Create();
    Type("a");
    Seam->AnswerSaveFile(Path("no/such/folder/x.tcl"));
    EXPECT_FALSE(Form->FileSaveAs());
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
    EXPECT_TRUE(
        messages[0].Text.startsWith("Cannot save \"" + Path("no/such/folder/x.tcl") + "\". "))
        << messages[0].Text.toStdString();
    EXPECT_TRUE(messages[0].Text.endsWith(u'.'));
    EXPECT_EQ(Form->DocumentName(), "Untitled");
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(Form->StatusPanelText(1), "Modified");
}

TEST_F(MainFormTest, EightBitFileThatCannotHoldTheTextIsLeftWhole) {
    WriteFile("latin.tcl", "caf\xE9\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("latin.tcl")));
    Editor().SetCaret(0);
    Type(QString::fromUtf8("\u0151"));
    EXPECT_FALSE(Form->FileSave());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(ReadFile("latin.tcl"), "caf\xE9\n");
    EXPECT_TRUE(Form->IsModified());
}

TEST_F(MainFormTest, EightBitTextThatCannotHoldATypedCharacterIsSavedAsUtf8OnlyIfTheUserAgrees) {
    WriteFile("w.tcl", "puts \x80\r\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("w.tcl")));
    Editor().SetCaret(0);
    Type(QString::fromUtf8("\u0151"));
    Seam->AnswerMessage(QMessageBox::No);
    EXPECT_FALSE(Form->FileSave());
    Seam->AnswerSaveFile(Path("new.tcl"));
    Seam->AnswerMessage(QMessageBox::No);
    EXPECT_FALSE(Form->FileSaveAs());
    EXPECT_FALSE(QFile::exists(Path("new.tcl")));
    EXPECT_EQ(ReadFile("w.tcl"), "puts \x80\r\n");
    EXPECT_EQ(Form->DocumentName(), Path("w.tcl"));
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(Editor().Lines(), QStringList{QString::fromUtf8("\u0151puts \u20ac")});

    Seam->AnswerMessage(QMessageBox::Yes);
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("w.tcl"), "\xC5\x91puts \xE2\x82\xAC\r\n");
    EXPECT_FALSE(Form->IsModified());
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

TEST_F(MainFormTest, RefusingUtf8AtTheCloseQuestionKeepsTheWindowAndTheText) {
    WriteFile("w.tcl", "x\xE9\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("w.tcl")));
    Editor().SetCaret(0);
    Type(QString::fromUtf8("\u0151"));
    Seam->AnswerMessage(QMessageBox::Yes); // save changes?
    Seam->AnswerMessage(QMessageBox::No);  // as UTF-8?
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(ReadFile("w.tcl"), "x\xE9\n");
    EXPECT_EQ(Editor().Lines(), QStringList{QString::fromUtf8("\u0151x\u00e9")});
    EXPECT_TRUE(Form->IsModified());
}

TEST_F(MainFormTest, EightBitFileShowsTheWindowsWesternCharacters) {
    WriteFile("w.tcl", "puts \x93"
                       "caf\xE9\x94 \x80\x85\x81\x8D\x8F\x90\x9D\r\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("w.tcl")));
    EXPECT_EQ(Editor().Lines(),
              QStringList{QString::fromUtf8("puts \u201ccaf\u00e9\u201d \u20ac\u2026") +
                          QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D")});
    Editor().SetModified(true);
    ASSERT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("w.tcl"), "puts \x93"
                                 "caf\xE9\x94 \x80\x85\x81\x8D\x8F\x90\x9D\r\n");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MainFormTest, ParagraphAndFrameCharactersStayInsideTheirLine) {
    // U+2029, U+2028, U+FDD0 and U+FDD1 in UTF-8.
    const QByteArray bytes = "set a 1\xE2\x80\xA9puts $a\r\n"
                             "x\xEF\xB7\x90y\xEF\xB7\x91\xE2\x80\xA8z\r\n";
    WriteFile("p.tcl", bytes);
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("p.tcl")));
    const QStringList lines{QString::fromUtf8("set a 1\u2029puts $a"),
                            QString::fromUtf8("x\ufdd0y\ufdd1\u2028z")};
    EXPECT_EQ(Editor().LineCount(), 2);
    EXPECT_EQ(TextArea().document()->blockCount(), 3); // and the empty line after the last
    EXPECT_EQ(Editor().Lines(), lines);
    EXPECT_EQ(Editor().LineText(1), lines[1]);
    EXPECT_EQ(Form->ScriptText(), lines.join("\r\n") + "\r\n");
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

TEST_F(MainFormTest, ParagraphCharacterIsCopiedAndPastedAsItself) {
    WriteFile("p.tcl", "set a 1\xE2\x80\xA9puts $a\r\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("p.tcl")));
    Editor().Select(4, 8);
    Form->EditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("a 1\u2029puts"));
    Editor().SetCaret(Editor().LineStart(1));
    Form->EditPaste();
    EXPECT_EQ(Editor().Lines(), (QStringList{QString::fromUtf8("set a 1\u2029puts $a"),
                                             QString::fromUtf8("a 1\u2029puts")}));
}

TEST_F(MainFormTest, FileWithoutAFinalLineBreakHasNoLineAfterItsLast) {
    WriteFile("open.tcl", "a\nb");
    WriteFile("closed.tcl", "a\nb\n");
    WriteFile("blank.tcl", "a\n\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("open.tcl")));
    EXPECT_EQ(TextArea().document()->blockCount(), 2);
    TextArea().moveCursor(QTextCursor::End);
    EXPECT_EQ(Editor().CaretPos(), QPoint(1, 1));
    EXPECT_EQ(Editor().Lines(), (QStringList{"a", "b"}));
    // As in other editors, a final line break is followed by an empty line to type in.
    ASSERT_TRUE(Form->LoadDocument(Path("closed.tcl")));
    TextArea().moveCursor(QTextCursor::End);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 2));
    EXPECT_EQ(Editor().Lines(), (QStringList{"a", "b"}));
    ASSERT_TRUE(Form->LoadDocument(Path("blank.tcl")));
    EXPECT_EQ(Editor().Lines(), (QStringList{"a", ""}));
    TextArea().moveCursor(QTextCursor::End);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 2));
}

struct TRoundTrip {
    QByteArray File;
    QByteArray Saved;
};

class MainFormRoundTrip : public MainFormTest, public testing::WithParamInterface<TRoundTrip> {};

// Opening and saving without an edit writes every line followed by CR LF: files in that form
// come back byte for byte, others gain only CR LF line ends and a final one.
TEST_P(MainFormRoundTrip, OpeningAndSavingWritesCrLfLineEnds) {
    WriteFile("t.tcl", GetParam().File);
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("t.tcl")));
    Editor().SetModified(true);
    ASSERT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("t.tcl"), GetParam().Saved);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, MainFormRoundTrip,
    testing::Values(TRoundTrip{"a\r\nb\r\n", "a\r\nb\r\n"}, TRoundTrip{"a\nb\n", "a\r\nb\r\n"},
                    TRoundTrip{"a\r\nb", "a\r\nb\r\n"}, TRoundTrip{"a\nb", "a\r\nb\r\n"},
                    TRoundTrip{"a\rb\r", "a\r\nb\r\n"}, TRoundTrip{"a\r\n\r\n", "a\r\n\r\n"},
                    TRoundTrip{"a\n\n", "a\r\n\r\n"}, TRoundTrip{"\r\n", "\r\n"},
                    TRoundTrip{"", ""}, TRoundTrip{"\xE9\r\n\x80", "\xE9\r\n\x80\r\n"}));

TEST_F(MainFormTest, FileInAFolderThatTakesNoNewFilesIsSavedInPlace) {
    ASSERT_TRUE(QDir(Dir.path()).mkdir("locked"));
    WriteFile("locked/a.tcl", "set x 1\r\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("locked/a.tcl")));
    const TUnwritableFolder folder(Path("locked"));
    if (!folder.Arranged())
        GTEST_SKIP() << "cannot take away the right to create files in a folder";
    Type("#");
    EXPECT_TRUE(Form->FileSave());
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(Form->IsModified());
    EXPECT_EQ(ReadFile("locked/a.tcl"), "#set x 1\r\n");
    EXPECT_EQ(QDir(Path("locked")).entryList(QDir::Files), QStringList{"a.tcl"});
}

TEST_F(MainFormTest, OpeningAndSavingChangesOnlyLineEnds) {
    QByteArray latin;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            latin += char(b);
    }
    const QByteArray utf8 = "\xEF\xBB\xBFputs \"caf\xC3\xA9 \xE2\x82\xAC\"\n\tset x\xC2\xA0y";
    WriteFile("latin.tcl", latin + "\nline two\r\n\n");
    WriteFile("utf8.tcl", utf8);
    Create();
    for (const char* name : {"latin.tcl", "utf8.tcl"}) {
        ASSERT_TRUE(Form->LoadDocument(Path(name)));
        Editor().SetModified(true);
        ASSERT_TRUE(Form->FileSave());
    }
    EXPECT_EQ(ReadFile("latin.tcl"), latin + "\r\nline two\r\n\r\n");
    EXPECT_EQ(ReadFile("utf8.tcl"),
              "\xEF\xBB\xBFputs \"caf\xC3\xA9 \xE2\x82\xAC\"\r\n\tset x\xC2\xA0y\r\n");
}

TEST_F(MainFormTest, RichTextFileIsLoadedAsItsText) {
    WriteFile("rich.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0 set x 1\\par\n"
                          "puts $x\\par\n}");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("rich.rtf")));
    EXPECT_EQ(Editor().Lines(), (QStringList{"set x 1", "puts $x"}));
    EXPECT_EQ(ColorMap(1), "CCCCCVV");
}

TEST_F(MainFormTest, OpenFailureIsReportedAndKeepsTheDocument) {
    WriteFile("a.tcl", "a\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("a.tcl")));
    Seam->AnswerOpenFile(Path("gone.tcl"));
    Form->FileOpen();
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].Text.startsWith("Cannot open file \"" + Path("gone.tcl") + "\". "));
    EXPECT_EQ(Form->DocumentName(), Path("a.tcl"));
    EXPECT_EQ(Editor().Lines(), QStringList{"a"});
}

TEST_F(MainFormTest, OpenDialogStartsInTheProgramFolderWithTclFilter) {
    Create();
    Form->FileOpen();
    const auto asked = Seam->AskedOfKind(TKind::OpenFile);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Dir, QCoreApplication::applicationDirPath() + "/");
    EXPECT_TRUE(asked[0].Filter.startsWith("Tcl Files ("));
}

// --- drop and command line ------------------------------------------------------------------

TEST_F(MainFormTest, DroppingThreeFilesOpensTheFirstOnly) {
    for (const char* name : {"one.tcl", "two.tcl", "three.tcl"})
        WriteFile(name, QByteArray(name) + "\n");
    Create();
    MakeModified();
    Seam->AnswerMessage(QMessageBox::No);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("one.tcl")), QUrl::fromLocalFile(Path("two.tcl")),
                  QUrl::fromLocalFile(Path("three.tcl"))});
    // A drop reaches the window that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QApplication::sendEvent(Form.get(), &drop);
    EXPECT_EQ(Seam->Asked().size(), 1u);
    EXPECT_EQ(Form->DocumentName(), Path("one.tcl"));
    EXPECT_EQ(Editor().Lines(), QStringList{"one.tcl"});
    EXPECT_TRUE(Form->acceptDrops());
}

TEST_F(MainFormTest, DropCancelledAtTheSaveQuestionKeepsTheDocument) {
    WriteFile("one.tcl", "one\n");
    Create();
    MakeModified();
    Form->WMDropFiles({QUrl::fromLocalFile(Path("one.tcl"))});
    EXPECT_EQ(Seam->UnansweredCount(), 1); // answered Cancel
    EXPECT_EQ(Form->DocumentName(), "Untitled");
}

TEST_F(MainFormTest, CommandLineFileIsOpenedAndColouredWhenShown) {
    WriteFile("cmd.tcl", "set x 1\n# note\n");
    Create({Path("cmd.tcl")});
    EXPECT_EQ(Form->DocumentName(), Path("cmd.tcl"));
    EXPECT_EQ(Form->windowTitle(), "cmd.tcl - " + ApplicationTitle());
    EXPECT_FALSE(Form->IsModified());
    EXPECT_EQ(ColorMap(0), "CCCC...");
    EXPECT_EQ(ColorMap(1), "KKKKKK");
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(MainFormTest, MissingCommandLineFileIsIgnored) {
    Create({Path("nosuch.tcl")});
    EXPECT_EQ(Form->DocumentName(), "Untitled");
    EXPECT_TRUE(Seam->Asked().empty());
}

// --- printing -------------------------------------------------------------------------------

TEST_F(MainFormTest, PrintsWithTheDocumentNameAsJobTitle) {
    WriteFile("p.tcl", "set x 1\nputs \"$x\"\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("p.tcl")));
    Seam->AnswerPrint(true, Path("out.pdf"));
    Form->FilePrint();
    const auto asked = Seam->AskedOfKind(TKind::Print);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].DocName, Path("p.tcl"));
    EXPECT_TRUE(ReadFile("out.pdf").startsWith("%PDF"));
}

TEST_F(MainFormTest, CancelledPrintDialogPrintsNothing) {
    Create();
    Seam->AnswerPrint(false, Path("out.pdf"));
    Form->FilePrint();
    EXPECT_FALSE(QFile::exists(Path("out.pdf")));
}

// --- Run window text ------------------------------------------------------------------------

TEST_F(MainFormTest, ScriptTextIsEveryDocumentLineWithCrLfEvenWhenWrapped) {
    Create();
    Form->findChild<QAction*>("WordWrap1")->trigger();
    Type("puts " + QString(300, u'a') + "\nset x 1\n");
    EXPECT_EQ(Form->ScriptText(), "puts " + QString(300, u'a') + "\r\nset x 1\r\n");
}

// --- keyword help ---------------------------------------------------------------------------

TEST_F(MainFormTest, CtrlF1LooksUpTheWordAtTheCaret) {
    Create();
    TRecordingHelp help;
    Form->SetHelpSystem(&help);
    Type("puts x");
    Editor().SetCaret(5);
    Form->Action1Execute();
    Editor().SetCaret(2);
    Form->Action1Execute();
    Editor().SetCaret(4);
    QTest::keyClick(Editor().TextArea(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(help.Keywords, (QStringList{"puts", "puts", "puts"}));
    Seam->AnswerMessage(QMessageBox::No);
    Form->FileNew();
    Type("x");
    Form->Action1Execute();
    EXPECT_EQ(help.Keywords.size(), 3);
    QTest::keyClick(Editor().TextArea(), Qt::Key_F1);
    EXPECT_EQ(help.ContentsShown, 1);
    Form->SetHelpSystem(nullptr);
}

// --- toggles, hints, commands ---------------------------------------------------------------

TEST_F(MainFormTest, DisplayTogglesFlipTheirEffectAndCheckMarkOnEveryClick) {
    Create();
    QAction* wrap = Form->findChild<QAction*>("WordWrap1");
    QAction* toolbar = Form->findChild<QAction*>("ShowToolbar1");
    QAction* status = Form->findChild<QAction*>("ShowStatusbar1");
    QToolBar* bar = Form->findChild<QToolBar*>("StandardToolBar");
    ASSERT_TRUE(wrap && toolbar && status && bar);
    EXPECT_FALSE(wrap->isChecked());
    EXPECT_TRUE(toolbar->isChecked());
    EXPECT_TRUE(status->isChecked());
    for (bool on : {true, false, true}) {
        wrap->trigger();
        EXPECT_EQ(wrap->isChecked(), on);
        EXPECT_EQ(Editor().WordWrap(), on);
        toolbar->trigger();
        EXPECT_EQ(toolbar->isChecked(), !on);
        EXPECT_EQ(bar->isVisible(), !on);
        status->trigger();
        EXPECT_EQ(status->isChecked(), !on);
        EXPECT_EQ(Form->statusBar()->isVisible(), !on);
    }
}

TEST_F(MainFormTest, HintSwitchesTheStatusBarToOnePanelAndBack) {
    Create();
    QStatusTipEvent hint("Create a new file");
    QApplication::sendEvent(Form.get(), &hint);
    EXPECT_EQ(Form->statusBar()->currentMessage(), "Create a new file");
    EXPECT_FALSE(Form->findChild<QLabel*>("StatusPanel0")->isVisible());
    QStatusTipEvent cleared("");
    QApplication::sendEvent(Form.get(), &cleared);
    EXPECT_EQ(Form->statusBar()->currentMessage(), "");
    EXPECT_TRUE(Form->findChild<QLabel*>("StatusPanel0")->isVisible());
}

struct TCommandRow {
    const char* Action;
    const char* Caption;
    std::vector<QKeySequence> Keys;
    const char* Hint;
};

TEST_F(MainFormTest, CommandsHaveTheirCaptionsShortcutsAndHints) {
    Create();
    const std::vector<TCommandRow> table = {
        {"FileNewCmd", "&New", {QKeySequence("Ctrl+N")}, "Create a new file"},
        {"FileOpenCmd",
         "&Open...",
         {QKeySequence("F3"), QKeySequence("Ctrl+O")},
         "Open an existing file"},
        {"FileSaveCmd", "&Save", {QKeySequence("F2"), QKeySequence("Ctrl+S")}, "Save current file"},
        {"FileSaveAsCmd", "Save &As...", {}, "Save current file under a new name"},
        {"FilePrintCmd", "&Print", {QKeySequence("Ctrl+P")}, "Print current file"},
        {"FileExitCmd", "E&xit", {QKeySequence("Alt+X")}, "Exit this application"},
        {"EditUndoCmd", "&Undo", {QKeySequence("Ctrl+Z")}, "Undo the last action"},
        {"EditCutCmd", "Cu&t", {QKeySequence("Ctrl+X")}, "Delete selected item"},
        {"EditCopyCmd", "&Copy", {QKeySequence("Ctrl+C")}, "Copy selected item to clipboard"},
        {"EditPasteCmd", "&Paste", {QKeySequence("Ctrl+V")}, "Paste contents of clipboard"},
        {"Run1", "Run...", {QKeySequence("F9")}, ""},
        {"WordWrap1", "Word Wrap", {QKeySequence("Ctrl+W")}, ""},
        {"ShowToolbar1", "Show Toolbar", {}, ""},
        {"ShowStatusbar1", "Show Statusbar", {}, ""},
        {"Options2", "Options...", {}, ""},
        {"Help1", "Help Topics", {QKeySequence("F1")}, ""},
        {"HelpAboutItem", "&About...", {}, "Show program information"},
        {"Action1", "Keyword Help", {QKeySequence("Ctrl+F1")}, ""},
    };
    for (const TCommandRow& row : table) {
        const QAction* action = Form->findChild<QAction*>(row.Action);
        ASSERT_NE(action, nullptr) << row.Action;
        EXPECT_EQ(action->text(), row.Caption) << row.Action;
        EXPECT_EQ(action->shortcuts(), QList<QKeySequence>(row.Keys.begin(), row.Keys.end()))
            << row.Action;
        EXPECT_EQ(action->statusTip(), row.Hint) << row.Action;
    }
    QStringList buttons;
    for (QAction* action : Form->findChild<QToolBar*>("StandardToolBar")->actions())
        buttons.append(action->isSeparator() ? "|" : action->toolTip());
    EXPECT_EQ(buttons, (QStringList{"Create a new file", "Open and highlight a file",
                                    "Save current file", "Print current file", "|",
                                    "Delete selected item", "Copy selected item to clipboard",
                                    "Paste contents of clipboard", "Undo the last action"}));
}

TEST_F(MainFormTest, EditCommandsFollowSelectionAndUndo) {
    Create();
    QAction* cut = Form->findChild<QAction*>("EditCutCmd");
    QAction* copy = Form->findChild<QAction*>("EditCopyCmd");
    QAction* undo = Form->findChild<QAction*>("EditUndoCmd");
    EXPECT_FALSE(cut->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(undo->isEnabled());
    Type("set x");
    EXPECT_TRUE(undo->isEnabled());
    Editor().Select(0, 3);
    EXPECT_TRUE(cut->isEnabled());
    EXPECT_TRUE(copy->isEnabled());
    Form->EditCut();
    EXPECT_EQ(Editor().Lines(), QStringList{" x"});
    EXPECT_FALSE(cut->isEnabled());
    EXPECT_TRUE(Form->findChild<QAction*>("EditPasteCmd")->isEnabled());
    Form->EditPaste();
    EXPECT_EQ(Editor().Lines(), QStringList{"set x"});
}

TEST_F(MainFormTest, OptionsCommandsCallTheirHandlersAndAreSafeUnset) {
    Create();
    Form->findChild<QAction*>("Run1")->trigger();
    Form->findChild<QAction*>("Options2")->trigger();
    Form->findChild<QAction*>("HelpAboutItem")->trigger();
    QStringList called;
    Form->OnRunWindow = [&] { called << "run"; };
    Form->OnOptionsDialog = [&] { called << "options"; };
    Form->OnAboutBox = [&] { called << "about"; };
    Form->findChild<QAction*>("Run1")->trigger();
    Form->findChild<QAction*>("Options2")->trigger();
    Form->findChild<QAction*>("HelpAboutItem")->trigger();
    EXPECT_EQ(called, (QStringList{"run", "options", "about"}));
}

// --- colouring in the editor ----------------------------------------------------------------

TEST_F(MainFormTest, LoadedDocumentIsColouredWithTheDefaultColours) {
    WriteFile("c.tcl", "set x 1\nputs \"a $b\"\n# note $x\nforeach i $l {puts $i}\n");
    Create();
    ASSERT_TRUE(Form->LoadDocument(Path("c.tcl")));
    EXPECT_EQ(ColorMap(0), "CCCC...");
    EXPECT_EQ(ColorMap(1), "CCCCCSSSVVS");
    EXPECT_EQ(ColorMap(2), "KKKKKKKKK");
    EXPECT_EQ(ColorMap(3), "CCCCCCCC..VV..CCCCCVV.");
}

TEST_F(MainFormTest, ColouringAddsNoUndoStepNoModifiedFlagAndNoChangeEvent) {
    WriteFile("c.tcl", "set x 1\nputs $x\n");
    Create();
    QSignalSpy changed(&Editor(), &TRichEdit::Changed);
    ASSERT_TRUE(Form->LoadDocument(Path("c.tcl")));
    const int changesFromLoad = changed.count();
    EXPECT_FALSE(Form->IsModified());
    EXPECT_FALSE(Editor().CanUndo());
    Editor().RecolorLine(0);
    Editor().RecolorLine(1);
    EXPECT_EQ(changed.count(), changesFromLoad);
    EXPECT_FALSE(Form->IsModified());
    EXPECT_FALSE(Editor().CanUndo());

    Editor().SetCaret(7);
    Type("2");
    EXPECT_EQ(changed.count(), changesFromLoad + 1);
    EXPECT_EQ(TextArea().document()->availableUndoSteps(), 1);
    Form->EditUndo();
    EXPECT_EQ(Editor().Lines(), (QStringList{"set x 1", "puts $x"}));
    EXPECT_FALSE(Editor().CanUndo());
    EXPECT_EQ(ColorMap(0), "CCCC...");
}

TEST_F(MainFormTest, EveryLineTouchedByAChangeIsRecoloured) {
    Create();
    Type("x");
    TextArea().selectAll();
    TextArea().insertPlainText("set a 1\nputs $a\n# done");
    EXPECT_EQ(ColorMap(0), "CCCC...");
    EXPECT_EQ(ColorMap(1), "CCCCCVV");
    EXPECT_EQ(ColorMap(2), "KKKKKK");
    // Joining two lines recolours the joined line.
    Editor().SetCaret(7);
    QTest::keyClick(Editor().TextArea(), Qt::Key_Delete);
    EXPECT_EQ(Editor().LineText(0), "set a 1puts $a");
    EXPECT_EQ(ColorMap(0), "CCCC........VV");
}

TEST_F(MainFormTest, HighlightColoursComeFromTheColourSourceOnEveryPass) {
    struct TSource : THighlightColorSource {
        THighlightColors Colors;
        THighlightColors HighlightColors() const override { return Colors; }
    } source;
    source.Colors.Commands = 0x00FF00; // green in the middle byte
    Create();
    Form->SetHighlightColorSource(&source);
    Type("set x 1");
    const QTextBlock block = TextArea().document()->firstBlock();
    ASSERT_FALSE(block.layout()->formats().isEmpty());
    EXPECT_EQ(block.layout()->formats()[0].format.foreground().color(), QColor(0, 255, 0));
    Form->SetHighlightColorSource(nullptr);
}

TEST_F(MainFormTest, EnterIndentsTheNewLineByTabsAndBraces) {
    Create();
    Type("\tproc p {} {");
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    EXPECT_EQ(Editor().LineText(1), "\t\t");
    EXPECT_EQ(Editor().CaretPos(), QPoint(2, 1));
    Type("}");
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    EXPECT_EQ(Editor().LineText(2), "\t");
    Seam->AnswerMessage(QMessageBox::No);
    Form->FileNew();
    Type("    set x");
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    EXPECT_EQ(Editor().LineText(1), "");
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    EXPECT_EQ(Editor().LineText(2), "");
}

TEST_F(MainFormTest, EnterReleasedWithoutItsPressLeavesTheDocumentAlone) {
    Create();
    Type("proc p {} {\nputs x");
    ASSERT_EQ(Editor().Lines(), (QStringList{"proc p {} {", "\tputs x"}));
    // Ctrl+S, a name typed into the save dialog and Enter: the dialog takes the key's press and
    // closes, so its release reaches the editor.
    Seam->AnswerSaveFile(Path("p.tcl"));
    QTest::keyClick(Editor().TextArea(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(Form->DocumentName(), Path("p.tcl"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Editor().TextArea(), &release);
    EXPECT_EQ(Editor().Lines(), (QStringList{"proc p {} {", "\tputs x"}));
    EXPECT_FALSE(Form->IsModified());
    EXPECT_EQ(ReadFile("p.tcl"), "proc p {} {\r\n\tputs x\r\n");

    // A press whose release went elsewhere, because the focus left in between, is forgotten.
    Editor().SetCaret(Editor().LineStart(1) - 1); // after the brace
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(Editor().TextArea(), &press);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(Editor().TextArea(), &focusOut);
    QApplication::sendEvent(Editor().TextArea(), &release);
    QApplication::sendEvent(Editor().TextArea(), &release);
    EXPECT_EQ(Editor().Lines(), (QStringList{"proc p {} {", "", "\tputs x"}));
}

TEST_F(MainFormTest, ExceptionFromACommandIsShownWhereTheCommandRuns) {
    Create();
    Form->OnRunWindow = [] { throw std::runtime_error("The Run window failed"); };
    Form->OnAboutBox = [] { throw 42; };
    // Triggered directly, not through an event: nothing but the command's own boundary can
    // catch what it raises.
    EXPECT_NO_THROW(Form->findChild<QAction*>("Run1")->trigger());
    EXPECT_NO_THROW(Form->findChild<QAction*>("HelpAboutItem")->trigger());
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].Text, "The Run window failed.");
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
    EXPECT_EQ(messages[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(messages[1].Text, "Unknown error.");
    // The window goes on working.
    Type("set x 1");
    EXPECT_EQ(Editor().Lines(), QStringList{"set x 1"});
}

TEST(QuilletApplication, IsNamedWithoutADisplayNameThatCaptionsWouldCarry) {
    EXPECT_EQ(QCoreApplication::applicationName(), "Quillet");
    // Qt appends a display name set of its own to every other window's caption ("Run - ...");
    // without one, the display name just follows the application's name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("Quillet probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    EXPECT_EQ(displayName, "Quillet probe");
}

TEST_F(MainFormTest, ExceptionFromAnEventHandlerIsShownInTheErrorBox) {
    struct TThrower : QObject {
        bool event(QEvent*) override { throw std::runtime_error("Something went wrong"); }
    } thrower;
    QEvent event(QEvent::User);
    QApplication::instance()->notify(&thrower, &event);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text, "Something went wrong.");
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
}

} // namespace
