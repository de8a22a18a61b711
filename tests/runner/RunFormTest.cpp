// The Run window against the real Tcl: output and error panes, standard input from typed keys,
// Save Result, the interpreter's state across runs, start-up, and the guards while a script waits.

#include "RunForm.h"
#include "LinePane.h"
#include "MainForm.h"
#include "RichEdit.h"
#include "ScriptExit.h"
#include "ScriptedModalSeam.h"
#include "Startup.h"

#include "TclTk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <unistd.h>

namespace {

QStringList PaneLines(const TLinePane* pane) {
    return pane->Lines();
}

// Runs action on the event loop once the script waits for standard input (checked every 10 ms).
// The editor reports a missing cmds.dat at start-up; the tests run where one exists.
void WriteCommandWords(const QTemporaryDir& dir) {
    QFile words(dir.filePath("cmds.dat"));
    if (words.open(QIODevice::WriteOnly))
        words.write("puts\nset\n");
}

void WhenWaiting(std::function<void()> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (!RunForm || !RunForm->IsWaitingForInput())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(10);
}

class RunWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WorkDir.isValid());
        ASSERT_EQ(chdir(QFile::encodeName(WorkDir.path()).constData()), 0);
        WriteCommandWords(WorkDir);
        Main = std::make_unique<TMainForm>();
        MainForm = Main.get();
        Run = std::make_unique<TRunForm>(Main.get());
        RunForm = Run.get();
        Run->show();
    }
    void TearDown() override {
        Run.reset();
        RunForm = nullptr;
        MainForm = nullptr;
        Main.reset();
    }
    void RunScript(const QStringList& lines) {
        Main->Editor()->SetLines(lines);
        Run->Button1Click();
    }

    QTemporaryDir WorkDir;
    TScriptedModalSeam Seam;
    std::unique_ptr<TMainForm> Main;
    std::unique_ptr<TRunForm> Run;
};

} // namespace

TEST_F(RunWindow, HelloShowsTheLineAnEmptyLineAndDone) {
    RunScript({"puts hello"});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"hello", "", "Done."}));
    EXPECT_EQ(PaneLines(Run->Memoerr), QStringList{""});
}

TEST_F(RunWindow, StandardErrorGoesToTheErrorPane) {
    RunScript({"puts stderr oops", "set result 5"});
    EXPECT_EQ(PaneLines(Run->Memoerr), (QStringList{"oops", "", "5"}));
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"Done."}));
}

TEST_F(RunWindow, SyntaxErrorShowsTheBannerAndTclsMessage) {
    RunScript({"puts [lindex {a b}"});
    const QStringList lines = PaneLines(Run->Memoerr);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "****** ERROR *******");
    EXPECT_EQ(lines[1], "missing close-bracket");
    EXPECT_EQ(PaneLines(Run->Memoout).last(), "Done.");
}

TEST_F(RunWindow, ManyLinesArriveInOrder) {
    RunScript({"for {set i 0} {$i < 5000} {incr i} {puts $i}"});
    const QStringList lines = PaneLines(Run->Memoout);
    ASSERT_EQ(lines.size(), 5000 * 2 + 1);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(lines[2 * i], QString::number(i));
        ASSERT_EQ(lines[2 * i + 1], "");
    }
    EXPECT_EQ(lines.last(), "Done.");
}

TEST_F(RunWindow, GetsCompletesWithTypedCharactersAndEchoesThem) {
    WhenWaiting([this] {
        QTest::keyClicks(Run->Memoout, "abc");
        QTest::keyClick(Run->Memoout, Qt::Key_Return);
    });
    RunScript({"gets stdin line", "puts \"got $line\""});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"abc", "got abc", "", "Done."}));
}

TEST_F(RunWindow, KeysTypedBeforeRunReachTheFirstRead) {
    QTest::keyClicks(Run->Memoout, "xy");
    QTest::keyClick(Run->Memoout, Qt::Key_Return);
    RunScript({"gets stdin line", "puts \"<$line>\""});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"xy", "<xy>", "", "Done."}));
}

TEST_F(RunWindow, BackspaceArrivesAsCharacterEight) {
    WhenWaiting([this] {
        QTest::keyClick(Run->Memoout, Qt::Key_A);
        QTest::keyClick(Run->Memoout, Qt::Key_Backspace);
        QTest::keyClick(Run->Memoout, Qt::Key_Return);
    });
    RunScript({"gets stdin line", "scan [string index $line 1] %c code",
               "puts [string length $line]:$code"});
    EXPECT_EQ(PaneLines(Run->Memoout).at(1), "2:8");
}

TEST_F(RunWindow, NonBlockingStandardInputStillWaits) {
    WhenWaiting([this] {
        QTest::keyClick(Run->Memoout, Qt::Key_Q);
        QTest::keyClick(Run->Memoout, Qt::Key_Return);
    });
    RunScript({"fconfigure stdin -blocking 0", "gets stdin line", "puts \"<$line>\""});
    EXPECT_TRUE(PaneLines(Run->Memoout).contains("<q>"));
}

TEST_F(RunWindow, RunAndCloseAreRefusedWhileAReadWaits) {
    bool checked = false;
    WhenWaiting([&] {
        Run->Button1Click(); // a nested run would clear the panes and evaluate again
        Run->Button2Click();
        Run->reject();
        checked = Run->isVisible() && Run->IsRunning();
        QTest::keyClick(Run->Memoout, Qt::Key_Z);
        QTest::keyClick(Run->Memoout, Qt::Key_Return);
    });
    RunScript({"puts before", "gets stdin line", "puts \"<$line>\""});
    EXPECT_TRUE(checked);
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"before", "z", "<z>", "", "Done."}));
    Run->Button2Click(); // the script has ended: Close works again
    EXPECT_FALSE(Run->isVisible());
}

TEST_F(RunWindow, QuittingTheApplicationEndsAWaitWithEndOfFile) {
    // Quitting ends every running event loop, the application's own as well: run the script
    // inside it, as the program does.
    WhenWaiting([] { QCoreApplication::quit(); });
    QTimer::singleShot(0, Run.get(), [this] {
        RunScript({"puts [gets stdin line]", "puts [eof stdin]"});
    });
    QCoreApplication::exec();
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"-1", "", "1", "", "Done."}));
}

TEST_F(RunWindow, ProceduresSurviveFromOneRunToTheNext) {
    RunScript({"proc twice {x} {expr {2 * $x}}"});
    RunScript({"puts [twice 21]"});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"42", "", "Done."}));
}

TEST_F(RunWindow, IdentityVariablesAreDefined) {
    RunScript({"puts $TslcVersion/$TslcIssue"});
    EXPECT_EQ(PaneLines(Run->Memoout).first(), "1.0/1.0.e");
}

TEST_F(RunWindow, SaveResultAppendsTxtToTheChosenName) {
    RunScript({"puts hello"});
    Seam.AnswerSaveFile(WorkDir.filePath("result.txt"));
    Run->Button3Click();
    QFile saved(WorkDir.filePath("result.txt.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("hello\r\n\r\nDone.\r\n"));
    EXPECT_FALSE(QFile::exists(WorkDir.filePath("result.txt")));

    Seam.AnswerSaveFile(WorkDir.filePath("other"));
    Run->Button3Click();
    EXPECT_TRUE(QFile::exists(WorkDir.filePath("other.txt")));
}

TEST_F(RunWindow, SaveResultCancelledWritesNothing) {
    Seam.AnswerSaveFile(QString());
    Run->Button3Click();
    EXPECT_EQ(QDir(WorkDir.path()).entryList(QDir::Files), QStringList{"cmds.dat"});
}

TEST_F(RunWindow, ScriptExitEndsTheProgramWithItsStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunScript({"puts bye", "exit 3"}), ::testing::ExitedWithCode(3), "");
}

TEST_F(RunWindow, ExitOfAModifiedDocumentAsksToSaveFirst) {
    const QString file = WorkDir.filePath("edited.tcl");
    Main->Editor()->SetLines({"set a 1"});
    Main->Editor()->SetModified(true);
    Seam.AnswerMessage(QMessageBox::Yes);
    Seam.AnswerSaveFile(file);
    SaveEditsBeforeExit();
    EXPECT_FALSE(Main->IsModified());
    EXPECT_TRUE(QFile::exists(file));
    const auto asked = Seam.AskedOfKind(TScriptedModalSeam::TKind::Message);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front().Text, "Save changes to Untitled?");
}

TEST_F(RunWindow, ExitWithNoDiscardsWithoutSaving) {
    Main->Editor()->SetLines({"set a 1"});
    Main->Editor()->SetModified(true);
    Seam.AnswerMessage(QMessageBox::No);
    SaveEditsBeforeExit();
    EXPECT_TRUE(Seam.AskedOfKind(TScriptedModalSeam::TKind::SaveFile).empty());
}

namespace {

class RunWindowStartup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WorkDir.isValid());
        ASSERT_EQ(chdir(QFile::encodeName(WorkDir.path()).constData()), 0);
        WriteCommandWords(WorkDir);
    }
    void TearDown() override { DestroyProgramWindows(); }

    QTemporaryDir WorkDir;
    TScriptedModalSeam Seam;
};

} // namespace

TEST_F(RunWindowStartup, WithoutHttpTclNothingIsShown) {
    ASSERT_TRUE(CreateProgramWindows({}));
    EXPECT_TRUE(Seam.Asked().empty());
    ASSERT_NE(RunForm, nullptr);
}

TEST_F(RunWindowStartup, HttpTclIsEvaluatedIntoTheInterpreter) {
    QFile script(WorkDir.filePath("http.tcl"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("set fromStartup yes\n");
    script.close();
    ASSERT_TRUE(CreateProgramWindows({}));
    MainForm->Editor()->SetLines({"puts $fromStartup"});
    RunForm->Button1Click();
    EXPECT_EQ(PaneLines(RunForm->Memoout).first(), "yes");
}

TEST_F(RunWindowStartup, LibraryNamedInTheEnvironmentThatCannotLoadEndsStartupWithFailure) {
    qputenv("QUILLET_TCL_LIBRARY", "/nonexistent/libtcl-elsewhere.so");
    ::testing::internal::CaptureStderr();
    const int exitCode = StartQuillet({});
    const std::string printed = ::testing::internal::GetCapturedStderr();
    qunsetenv("QUILLET_TCL_LIBRARY");
    EXPECT_NE(exitCode, 0);
    EXPECT_NE(printed.find("Unable to load Tcl Library /nonexistent/libtcl-elsewhere.so (2)"),
              std::string::npos);
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_EQ(RunForm, nullptr);
}

TEST_F(RunWindowStartup, WithoutTheTclLibraryStartupFailsWithTheLoadMessage) {
    tslc::TclLibraryName = "/nonexistent/libtcl-missing.so";
    EXPECT_FALSE(CreateProgramWindows({}));
    const auto asked = Seam.AskedOfKind(TScriptedModalSeam::TKind::Message);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "Unable to load Tcl Library /nonexistent/libtcl-missing.so (2)");
    EXPECT_EQ(RunForm, nullptr);
}

TEST_F(RunWindow, ScriptThatClosesTheStandardChannelsSpoilsNoLaterRun) {
    RunScript({"puts first", "close stdout", "puts stderr oops", "close stderr"});
    RunScript({"puts second", "puts stderr again", "set result 5"});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"second", "", "Done."}));
    EXPECT_EQ(PaneLines(Run->Memoerr), (QStringList{"again", "", "5"}));
}
