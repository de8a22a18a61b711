// The Run window against the real Tcl: output and error panes, standard input from typed keys,
// Save Result, the interpreter's state across runs, start-up, and the guards while a script waits.

#include "RunForm.h"
#include "AppTitle.h"
#include "Breakpoints.h"
#include "ConsoleLine.h"
#include "DebugPanel.h"
#include "Document.h"
#include "EditorLink.h"
#include "LinePane.h"
#include "LineStore.h"
#include "MainForm.h"
#include "OptionsForm.h"
#include "RichEdit.h"
#include "RunEngine.h"
#include "SaveBeforeExit.h"
#include "ScriptedModalSeam.h"
#include "SourceView.h"
#include "Startup.h"
#include "TestPrinters.h"

#include "tslc/Exceptions.h"
#include "tslc/TTcl.h"
#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

static void PrintTo(const QPoint& point, std::ostream* out) {
    *out << '(' << point.x() << ", " << point.y() << ')';
}

namespace {

QStringList PaneLines(const TLinePane* pane) {
    return pane->Lines();
}

// A run goes on on the script's thread; its end arrives through the event loop.
void WaitForRunEnd(const TRunForm* form) {
    while (form && form->IsRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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

// Works in a fresh folder of its own that holds a cmds.dat, and goes back where it was.
class TWorkFolder {
public:
    TWorkFolder() {
        if (Dir.isValid() && QDir::setCurrent(Dir.path()))
            WriteCommandWords(Dir);
    }
    ~TWorkFolder() { QDir::setCurrent(Previous); }
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;

    bool IsCurrent() const { return Dir.isValid() && QDir::current() == QDir(Dir.path()); }
    QString Path() const { return Dir.path(); }
    QString FilePath(const QString& name) const { return Dir.filePath(name); }

private:
    QString Previous = QDir::currentPath();
    QTemporaryDir Dir;
};

class RunWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WorkDir.IsCurrent());
        Main = std::make_unique<TMainForm>();
        Main->SetSettingsFile(WorkDir.FilePath("quillet.ini")); // not the shared one
        MainForm = Main.get();
        Run = std::make_unique<TRunForm>(Main.get());
        LinkRunWindowToEditor(*Run, *Main);
        RunForm = Run.get();
        Run->Engine()->WaitUntilIdle(); // the components are the tests' to touch from here
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
        WaitForRunEnd(Run.get());
    }

    TWorkFolder WorkDir;
    TScriptedModalSeam Seam;
    std::unique_ptr<TMainForm> Main;
    std::unique_ptr<TRunForm> Run;
};

} // namespace

TEST_F(RunWindow, OpensCentredOnTheScreenWhereverTheMainWindowIs) {
    Run->hide();
    const QRect screen = Run->screen()->availableGeometry();
    Main->setGeometry(screen.left() + 10, screen.top() + 10, 300, 200);
    Main->show();
    for (int shown = 0; shown < 2; ++shown) {
        Seam.AnswerModal(QDialog::Accepted, [&](QDialog& dialog) {
            EXPECT_EQ(dialog.frameGeometry().center(), screen.center());
            dialog.move(screen.topLeft()); // moved by the user; the next opening centres again
        });
        Modal().ExecModal(*Run);
    }
    EXPECT_EQ(Seam.UnansweredCount(), 0);
}

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

TEST_F(RunWindow, ComponentFailureDuringARunIsShownWhereTheButtonRuns) {
    Run->Tcl1->OnBeforeEval = [](tslc::TTcl*) {
        throw tslc::ETclError("The interpreter cannot evaluate");
    };
    Main->Editor()->SetLines({"puts first"});
    // Pressed directly, not through an event: only the button's own boundary can catch it.
    EXPECT_NO_THROW(Run->Button1->click());
    WaitForRunEnd(Run.get());
    Run->Tcl1->OnBeforeEval = nullptr;
    const auto messages = Seam.AskedOfKind(TScriptedModalSeam::TKind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text, "The interpreter cannot evaluate.");
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
    EXPECT_FALSE(Run->IsRunning());
    EXPECT_TRUE(PaneLines(Run->Memoout).isEmpty());
    RunScript({"puts again"});
    EXPECT_EQ(PaneLines(Run->Memoout).first(), "again");
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

// Compares without printing a megabyte when they differ.
void ExpectLines(const QStringList& actual, const QStringList& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].size(), expected[i].size()) << "line " << i;
        EXPECT_TRUE(actual[i] == expected[i]) << "line " << i;
    }
}

TEST_F(RunWindow, LongLineOfNonAsciiCharactersIsOneWholeLineAndSavedAsWritten) {
    const QString euros(2000, QChar(0x20AC));
    RunScript({"puts [string repeat \u20AC 2000]"});
    ExpectLines(PaneLines(Run->Memoout), {euros, "", "Done."});
    Seam.AnswerSaveFile(WorkDir.FilePath("euros"));
    Run->Button3Click();
    QFile saved(WorkDir.FilePath("euros.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll() == euros.toUtf8() + "\r\n\r\nDone.\r\n");
}

TEST_F(RunWindow, LinesOfOverAMebibyteStayOneLineInBothPanes) {
    RunScript({"puts [string repeat x\u20AC 300000]",
               "puts -nonewline stderr [string repeat \u00E9 600000]"});
    ExpectLines(PaneLines(Run->Memoout),
                {QString::fromUtf8("x\u20AC").repeated(300000), "", "Done."});
    ExpectLines(PaneLines(Run->Memoerr), {QString(600000, QChar(0xE9)), ""});
}

TEST_F(RunWindow, LineCutByABufferTheScriptResizedIsOneLine) {
    RunScript({"fconfigure stdout -buffersize 10", "puts [string repeat \u20AC 7]",
               "fconfigure stdout -buffersize 4096"});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{QString(7, QChar(0x20AC)), "", "Done."}));
}

TEST_F(RunWindow, ChunksThatDoNotFillTheBufferStartLinesOfTheirOwn) {
    RunScript({"puts -nonewline a", "flush stdout", "puts b", "puts -nonewline c"});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"a", "b", "", "c", "Done."}));
}

TEST_F(RunWindow, SaveResultWritesTheBytesTheScriptWrote) {
    RunScript({"fconfigure stdout -encoding binary", "puts [binary format c2 {-1 65}]",
               "fconfigure stdout -encoding utf-8"});
    Seam.AnswerSaveFile(WorkDir.FilePath("bytes"));
    Run->Button3Click();
    QFile saved(WorkDir.FilePath("bytes.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("\xFF"
                                          "A\r\n\r\nDone.\r\n"));
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
    // At once: a non-blocking read takes what is there when it wakes, which a second key
    // typed apart would miss.
    WhenWaiting([this] { Run->Engine()->Type(QStringLiteral("q\r")); });
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

TEST_F(RunWindow, RefusalsWhileAReadWaitsLeaveTheFocusOnTheOutputPane) {
    Run->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Run.get()));
    std::vector<std::string> focusElsewhere;
    const auto checkFocus = [&](const char* after) {
        if (QApplication::focusWidget() != Run->Memoout)
            focusElsewhere.push_back(after);
    };
    WhenWaiting([&] {
        QTest::mouseClick(Run->Button2, Qt::LeftButton);
        checkFocus("Close");
        QTest::mouseClick(Run->Button1, Qt::LeftButton);
        checkFocus("Run");
        Run->Button3->setFocus();
        QTest::keyClick(Run->Button3, Qt::Key_Escape);
        checkFocus("Escape");
        Run->Button3->setFocus();
        Run->close();
        checkFocus("closing the window");
        // The user types on: the keys go wherever the focus is.
        QWidget* typedInto = QApplication::focusWidget();
        QTest::keyClicks(typedInto, "ok");
        QTest::keyClick(typedInto, Qt::Key_Return);
        if (typedInto != Run->Memoout) { // those keys were lost; end the read all the same
            QTest::keyClicks(Run->Memoout, "lost");
            QTest::keyClick(Run->Memoout, Qt::Key_Return);
        }
    });
    RunScript({"gets stdin line", "puts <$line>"});
    EXPECT_EQ(focusElsewhere, std::vector<std::string>{});
    EXPECT_TRUE(PaneLines(Run->Memoout).contains("<ok>"));
    EXPECT_TRUE(Run->isVisible());
}

TEST_F(RunWindow, QuittingTheApplicationEndsAWaitWithEndOfFile) {
    // Quitting ends every running event loop, the application's own as well: run the script
    // inside it, as the program does.
    WhenWaiting([] { QCoreApplication::quit(); });
    QTimer::singleShot(0, Run.get(), [this] {
        Main->Editor()->SetLines({"puts [gets stdin line]", "puts [eof stdin]"});
        Run->Button1Click();
    });
    QCoreApplication::exec();
    WaitForRunEnd(Run.get());
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
    Seam.AnswerSaveFile(WorkDir.FilePath("result.txt"));
    Run->Button3Click();
    QFile saved(WorkDir.FilePath("result.txt.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("hello\r\n\r\nDone.\r\n"));
    EXPECT_FALSE(QFile::exists(WorkDir.FilePath("result.txt")));

    Seam.AnswerSaveFile(WorkDir.FilePath("other"));
    Run->Button3Click();
    EXPECT_TRUE(QFile::exists(WorkDir.FilePath("other.txt")));
}

TEST_F(RunWindow, SaveResultCancelledWritesNothing) {
    Seam.AnswerSaveFile(QString());
    Run->Button3Click();
    EXPECT_EQ(QDir(WorkDir.Path()).entryList(QDir::Files), QStringList{"cmds.dat"});
}

TEST_F(RunWindow, ScriptExitEndsTheProgramWithItsStatus) {
    EXPECT_EXIT(RunScript({"puts bye", "exit 3"}), ::testing::ExitedWithCode(3), "");
}

TEST_F(RunWindow, ExitOfAModifiedDocumentAsksToSaveFirst) {
    const QString file = WorkDir.FilePath("edited.tcl");
    Main->Editor()->SetLines({"set a 1"});
    Main->Editor()->SetModified(true);
    Seam.AnswerMessage(QMessageBox::Yes);
    Seam.AnswerSaveFile(file);
    SaveEditsBeforeExit(Main.get());
    EXPECT_FALSE(Main->Document().IsModified());
    EXPECT_TRUE(QFile::exists(file));
    const auto asked = Seam.AskedOfKind(TScriptedModalSeam::TKind::Message);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front().Text, "Save changes to Untitled?");
}

TEST_F(RunWindow, ExitWithNoDiscardsWithoutSaving) {
    Main->Editor()->SetLines({"set a 1"});
    Main->Editor()->SetModified(true);
    Seam.AnswerMessage(QMessageBox::No);
    SaveEditsBeforeExit(Main.get());
    EXPECT_TRUE(Seam.AskedOfKind(TScriptedModalSeam::TKind::SaveFile).empty());
}

namespace {

class RunWindowStartup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WorkDir.IsCurrent()); }
    void TearDown() override {
        DestroyProgramWindows();
        tslc::TraceFolder = PreviousTraceFolder;
    }

    std::string PreviousTraceFolder = tslc::TraceFolder;

    TWorkFolder WorkDir;
    TScriptedModalSeam Seam;
};

} // namespace

TEST_F(RunWindowStartup, WithoutHttpTclNothingIsShown) {
    ASSERT_TRUE(CreateProgramWindows({}));
    EXPECT_TRUE(Seam.Asked().empty());
    ASSERT_NE(RunForm, nullptr);
}

TEST_F(RunWindowStartup, StartupScriptComesFromTheSettingsFolderNeverFromTheCurrentFolder) {
    // An installed program, started in a folder that holds an http.tcl of its own (a downloaded
    // project's, say).
    const TProgramLocations where =
        ResolveProgramLocations({WorkDir.FilePath("bin"), false, false, WorkDir.FilePath("config"),
                                 WorkDir.FilePath("state"), WorkDir.Path()});
    ASSERT_TRUE(QDir().mkpath(QFileInfo(where.StartupScript).path()));
    const auto write = [](const QString& fileName, const QByteArray& text) {
        QFile script(fileName);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(text);
    };
    write(where.StartupScript, "set fromStartup yes\n");
    write(WorkDir.FilePath("http.tcl"), "set fromCurrentFolder yes\n"
                                        "close [open current-folder-script-ran w]\n");
    ASSERT_TRUE(CreateProgramWindows({}, where));
    MainForm->Editor()->SetLines({"puts $fromStartup", "puts [info exists fromCurrentFolder]"});
    RunForm->Button1Click();
    WaitForRunEnd(RunForm);
    // Each chunk a script writes is a line of the pane: "yes\n" shows as "yes" and "".
    EXPECT_EQ(PaneLines(RunForm->Memoout), (QStringList{"yes", "", "0", "", "Done."}));
    EXPECT_FALSE(QFile::exists(WorkDir.FilePath("current-folder-script-ran")));
    EXPECT_EQ(MainForm->SettingsFile(), where.SettingsFile);
    EXPECT_EQ(OptionsForm->SettingsFileName(), where.SettingsFile);
    EXPECT_EQ(tslc::TraceFolder, where.TraceFolder.toStdString());
    EXPECT_TRUE(Seam.Asked().empty());
}

// Start-up that fails ends the program, and it can fail only in a process that has not loaded the
// Tcl library yet: these tests run it in a child process.

TEST_F(RunWindowStartup, LibraryNamedInTheEnvironmentThatCannotLoadEndsStartupWithFailure) {
    EXPECT_EXIT(
        {
            qputenv("QUILLET_TCL_LIBRARY", "/nonexistent/libtcl-elsewhere.so");
            const int exitCode = StartQuillet({});
            if (MainForm || RunForm) {
                std::cerr << "a window was left" << std::endl;
                std::_Exit(3);
            }
            std::exit(exitCode);
        },
        ::testing::ExitedWithCode(EXIT_FAILURE),
        "Unable to load Tcl Library /nonexistent/libtcl-elsewhere\\.so \\(2\\)");
}

TEST_F(RunWindowStartup, WithoutTheTclLibraryStartupFailsWithTheLoadMessage) {
    EXPECT_EXIT(
        {
            tslc::TclLibraryName = "/nonexistent/libtcl-missing.so";
            const bool created = CreateProgramWindows({});
            const auto asked = Seam.AskedOfKind(TScriptedModalSeam::TKind::Message);
            std::cerr << "messages asked: " << asked.size() << "\n";
            for (const auto& question : asked)
                std::cerr << "asked: " << question.Text.toStdString() << "\n";
            std::exit(created || RunForm ? EXIT_FAILURE : EXIT_SUCCESS);
        },
        ::testing::ExitedWithCode(EXIT_SUCCESS),
        "messages asked: 1\n"
        "asked: Unable to load Tcl Library /nonexistent/libtcl-missing\\.so \\(2\\)\n");
}

TEST_F(RunWindow, ScriptThatClosesTheStandardChannelsSpoilsNoLaterRun) {
    RunScript({"puts first", "close stdout", "puts stderr oops", "close stderr"});
    RunScript({"puts second", "puts stderr again", "set result 5"});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"second", "", "Done."}));
    EXPECT_EQ(PaneLines(Run->Memoerr), (QStringList{"again", "", "5"}));
}

namespace {

// Runs action on the event loop once a script has run for a moment (checked every 5 ms).
void WhenRunning(std::function<void()> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (!RunForm || !RunForm->IsRunning() || RunForm->Engine()->ElapsedMs() < 50)
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(5);
}

const QStringList StoppedLines{"****** ERROR *******", "script stopped by the user"};

} // namespace

TEST_F(RunWindow, OutputIsOnThePaneWhileTheScriptStillRuns) {
    QStringList midRun;
    bool running = false;
    WhenRunning([&] {
        midRun = PaneLines(Run->Memoout);
        running = Run->IsRunning();
        Run->ButtonStopClick();
    });
    RunScript({"puts first", "after 100000", "puts never"});
    EXPECT_TRUE(running);
    EXPECT_EQ(midRun, (QStringList{"first", ""}));
    EXPECT_EQ(PaneLines(Run->Memoerr), StoppedLines);
}

TEST_F(RunWindow, StopIsEnabledOnlyDuringARunAndEndsIt) {
    EXPECT_FALSE(Run->ButtonStop->isEnabled());
    bool enabledDuringRun = false;
    QString timeDuringRun;
    WhenRunning([&] {
        enabledDuringRun = Run->ButtonStop->isEnabled();
        timeDuringRun = Run->LabelTime->text();
        QTest::mouseClick(Run->ButtonStop, Qt::LeftButton);
    });
    RunScript({"proc kept {} {return 42}", "while 1 {incr i}"});
    EXPECT_TRUE(enabledDuringRun);
    EXPECT_TRUE(timeDuringRun.startsWith("Running 0:00.")) << timeDuringRun.toStdString();
    EXPECT_FALSE(Run->ButtonStop->isEnabled());
    EXPECT_FALSE(Run->IsRunning());
    EXPECT_EQ(PaneLines(Run->Memoerr), StoppedLines);
    EXPECT_EQ(PaneLines(Run->Memoout), QStringList{"Done."});
    EXPECT_TRUE(Run->LabelTime->text().startsWith("Stopped at 0:00."));

    RunScript({"puts [kept]"});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"42", "", "Done."}));
    EXPECT_TRUE(Run->LabelTime->text().startsWith("Took 0:00."));
}

TEST_F(RunWindow, CtrlBreakStopsAScriptWaitingInTheEventLoop) {
    WhenRunning([this] { QTest::keyClick(Run->Memoout, Qt::Key_Pause, Qt::ControlModifier); });
    RunScript({"vwait forever"});
    EXPECT_EQ(PaneLines(Run->Memoerr), StoppedLines);
}

TEST_F(RunWindow, StopEndsAReadOfStandardInput) {
    WhenWaiting([this] { QTest::mouseClick(Run->ButtonStop, Qt::LeftButton); });
    RunScript({"puts before", "gets stdin line", "puts after"});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"before", "", "Done."}));
    EXPECT_EQ(PaneLines(Run->Memoerr), StoppedLines);
}

TEST_F(RunWindow, RunCloseAndEscapeAreRefusedDuringEveryKindOfRun) {
    const QStringList scripts{"while 1 {incr i}", "while 1 {catch {error x}}", "vwait forever",
                              "after 100000", "while 1 {update}"};
    for (const QString& script : scripts) {
        bool refused = false;
        WhenRunning([&] {
            Run->Button1Click();
            Run->Button2Click();
            Run->reject();
            Run->close();
            QTest::keyClick(Run->Memoout, Qt::Key_Escape);
            refused = Run->isVisible() && Run->IsRunning();
            Run->ButtonStopClick();
        });
        RunScript({script});
        EXPECT_TRUE(refused) << script.toStdString();
        EXPECT_EQ(PaneLines(Run->Memoerr), StoppedLines) << script.toStdString();
    }
    Run->Button2Click();
    EXPECT_FALSE(Run->isVisible());
}

TEST_F(RunWindow, TheWindowRepaintsDuringARun) {
    int paintsDuringRun = 0;
    struct TPaintCounter : QObject {
        int* Count;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                ++*Count;
            return false;
        }
    } counter;
    counter.Count = &paintsDuringRun;
    WhenRunning([&] {
        Run->Memoerr->viewport()->installEventFilter(&counter);
        Run->resize(Run->width() + 20, Run->height());
        Run->Memoerr->viewport()->update();
        QTimer::singleShot(100, Run.get(), [this] { Run->ButtonStopClick(); });
    });
    RunScript({"while 1 {incr i}"});
    Run->Memoerr->viewport()->removeEventFilter(&counter);
    EXPECT_GT(paintsDuringRun, 0);
}

TEST_F(RunWindow, DoubleClickOnTheErrorPutsTheCaretOnTheLineThatCalledTheFailingProcedure) {
    RunScript(
        {"set a 1", "proc fails {} {", "    error boom", "}", "puts start", "fails", "puts never"});
    EXPECT_EQ(PaneLines(Run->Memoerr), (QStringList{"****** ERROR *******", "boom"}));
    EXPECT_EQ(Run->ErrorLine(), 6);
    Main->Editor()->SetCaret(0);
    const int spacing = Run->Memoerr->fontMetrics().lineSpacing();
    QTest::mouseDClick(Run->Memoerr->viewport(), Qt::LeftButton, {}, QPoint(5, spacing + 2));
    EXPECT_EQ(Main->Editor()->CaretPos(), QPoint(0, 5));
}

TEST_F(RunWindow, ASavedDocumentsErrorLeadsIntoTheProcedureAndItsTraceCanBeCopied) {
    Seam.AnswerSaveFile(WorkDir.FilePath("fails.tcl"));
    Main->Editor()->SetLines({"proc fails {} {", "    set x 1", "    error boom", "}", "fails"});
    ASSERT_TRUE(Main->FileSaveAs());
    Main->Editor()->SetLines(
        {"", "proc fails {} {", "    set x 1", "    error boom", "}", "fails"});
    Run->Button1Click(); // the edited text, not the saved one
    WaitForRunEnd(Run.get());
    EXPECT_EQ(Run->ErrorLine(), 4);
    const int spacing = Run->Memoerr->fontMetrics().lineSpacing();
    QTest::mouseDClick(Run->Memoerr->viewport(), Qt::LeftButton, {}, QPoint(5, spacing + 2));
    EXPECT_EQ(Main->Editor()->CaretPos(), QPoint(0, 3));
    // The pane keeps its two lines; the whole trace is one action away.
    EXPECT_EQ(PaneLines(Run->Memoerr), (QStringList{"****** ERROR *******", "boom"}));
    ASSERT_TRUE(Run->Memoerr->actions().contains(Run->CopyErrorTrace));
    ASSERT_TRUE(Run->CopyErrorTrace->isEnabled());
    Run->CopyErrorTrace->trigger();
    const QString trace = QApplication::clipboard()->text();
    EXPECT_TRUE(trace.startsWith("boom\n    while executing\n\"error boom\"\n"
                                 "    (procedure \"fails\" line 3)"))
        << trace.toStdString();
    EXPECT_TRUE(
        trace.endsWith(QStringLiteral("(file \"%1\" line 6)").arg(Main->Document().FileName())));
    RunScript({"set ok 1"});
    EXPECT_FALSE(Run->CopyErrorTrace->isEnabled());
}

TEST_F(RunWindow, ErrorLineOfASyntaxErrorAndOnlyTheReportLeadsThere) {
    RunScript({"puts stderr first", "", "", "puts [lindex {a b}", "set c 3"});
    EXPECT_EQ(PaneLines(Run->Memoerr),
              (QStringList{"first", "", "****** ERROR *******", "missing close-bracket"}));
    EXPECT_EQ(Run->ErrorLine(), 4);
    Main->Editor()->SetCaret(0);
    const int spacing = Run->Memoerr->fontMetrics().lineSpacing();
    QTest::mouseDClick(Run->Memoerr->viewport(), Qt::LeftButton, {}, QPoint(5, 2));
    EXPECT_EQ(Main->Editor()->CaretPos(), QPoint(0, 0)); // the script's own output
    QTest::mouseDClick(Run->Memoerr->viewport(), Qt::LeftButton, {}, QPoint(5, 3 * spacing + 2));
    EXPECT_EQ(Main->Editor()->CaretPos(), QPoint(0, 3));
}

TEST_F(RunWindow, NoErrorLineAfterSuccessOrStop) {
    RunScript({"error first"});
    EXPECT_EQ(Run->ErrorLine(), 1);
    RunScript({"set ok 1"});
    EXPECT_EQ(Run->ErrorLine(), 0);
    WhenRunning([this] { Run->ButtonStopClick(); });
    RunScript({"", "while 1 {incr i}"});
    EXPECT_EQ(Run->ErrorLine(), 0);
    Main->Editor()->SetCaret(0);
    Run->ShowErrorLine();
    EXPECT_EQ(Main->Editor()->CaretPos(), QPoint(0, 0));
}

TEST_F(RunWindow, APaneKeepsItsLimitOfLinesSaysHowManyWentAndSavesWhatItHolds) {
    EXPECT_EQ(TLineStore::DefaultMaxLines, 1000000);
    Run->Memoout->SetLimits(100, 1 << 20);
    RunScript({"for {set i 0} {$i < 1000} {incr i} {puts $i}"});
    const QStringList lines = PaneLines(Run->Memoout);
    ASSERT_LE(lines.size(), 100);
    EXPECT_EQ(lines.last(), "Done.");
    EXPECT_EQ(lines[lines.size() - 3], "999");
    const qsizetype dropped = Run->Memoout->DroppedLines();
    EXPECT_EQ(dropped + lines.size(), 2001);
    EXPECT_EQ(Run->GroupBox1->title(),
              QStringLiteral("Output Window (%1 earlier lines dropped)").arg(dropped));
    EXPECT_EQ(Run->GroupBox3->title(), "Error Window");

    Seam.AnswerSaveFile(WorkDir.FilePath("kept"));
    Run->Button3Click();
    QFile saved(WorkDir.FilePath("kept.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), lines.join("\r\n").toUtf8() + "\r\n");

    RunScript({"puts again"});
    EXPECT_EQ(Run->GroupBox1->title(), "Output Window");
}

TEST_F(RunWindow, FileeventOnStandardInputFiresWhenALineIsTyped) {
    int firedBeforeTheLineEnded = -1;
    WhenRunning([&] {
        QTest::keyClicks(Run->Memoout, "hi");
        QCoreApplication::processEvents();
        QTest::qWait(50);
        firedBeforeTheLineEnded = PaneLines(Run->Memoout).contains("fired") ? 1 : 0;
        QTest::keyClick(Run->Memoout, Qt::Key_Return);
    });
    RunScript({"puts waiting",
               "fileevent stdin readable {puts fired; set got [gets stdin]; fileevent stdin "
               "readable {}}",
               "vwait got", "puts \"<$got>\""});
    EXPECT_EQ(firedBeforeTheLineEnded, 0);
    EXPECT_EQ(PaneLines(Run->Memoout),
              (QStringList{"waiting", "", "fired", "hi", "<hi>", "", "Done."}));
}

TEST_F(RunWindow, FileeventOnStandardInputSeesALineTypedBeforeTheRun) {
    QTest::keyClicks(Run->Memoout, "early");
    QTest::keyClick(Run->Memoout, Qt::Key_Return);
    RunScript({"fileevent stdin readable {set got [gets stdin]; fileevent stdin readable {}}",
               "vwait got", "puts \"<$got>\""});
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"early", "<early>", "", "Done."}));
}

TEST_F(RunWindow, ChildProcessesWriteToThePanes) {
    RunScript({"puts before", "exec sh -c {echo out; echo err >&2} >@stdout 2>@stderr",
               "puts after", "puts stderr later"});
    EXPECT_EQ(PaneLines(Run->Memoout),
              (QStringList{"before", "", "out", "", "after", "", "Done."}));
    EXPECT_EQ(PaneLines(Run->Memoerr), (QStringList{"err", "", "later", "", ""}));
}

TEST_F(RunWindow, AChildThatWritesMoreThanAPipeHoldsNeitherBlocksNorLosesOrder) {
    RunScript({"exec seq 1 400000 >@stdout", "puts after"});
    const QStringList lines = PaneLines(Run->Memoout);
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines.first(), "1");
    EXPECT_EQ(lines[lines.size() - 5], "400000");
    EXPECT_EQ(lines[lines.size() - 3], "after");
    EXPECT_EQ(Run->Memoout->DroppedLines() + lines.size(), 400000 + 4);
}

TEST_F(RunWindow, F6OrAClickPutsTheFocusOnTheConsoleWhileTypedKeysStillGoToTheScript) {
    Run->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Run.get()));
    Run->Memoout->setFocus();
    QTest::keyClick(Run->Memoout, Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), Run->ConsoleLine);
    QTest::keyClicks(Run->ConsoleLine, "set z 3");
    QTest::keyClick(Run->ConsoleLine, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([this] { return PaneLines(Run->Memoout).contains("3"); }));
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"% set z 3", "3"}));

    QTest::mouseClick(Run->Memoout->viewport(), Qt::LeftButton);
    QTest::keyClicks(QApplication::focusWidget(), "typed");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    RunScript({"puts <[gets stdin]>"});
    EXPECT_EQ(PaneLines(Run->Memoout).mid(0, 2), (QStringList{"typed", "<typed>"}));
    QTest::mouseClick(Run->ConsoleLine->viewport(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), Run->ConsoleLine);
}

// Every key of the editor and of the Run window does one thing.
TEST_F(RunWindow, NoKeyIsTakenTwice) {
    QMap<QString, QString> taken;
    QStringList twice;
    const auto take = [&](const QKeySequence& key, const QString& what) {
        if (key.isEmpty())
            return;
        const QString text = key.toString();
        if (taken.contains(text) && taken[text] != what)
            twice << text + ": " + taken[text] + " and " + what;
        taken[text] = what;
    };
    for (QWidget* window : {static_cast<QWidget*>(Main.get()), static_cast<QWidget*>(Run.get())}) {
        for (QAction* action : window->findChildren<QAction*>())
            for (const QKeySequence& key : action->shortcuts())
                take(key, action->objectName() + action->text());
        for (QShortcut* shortcut : window->findChildren<QShortcut*>())
            take(shortcut->key(), shortcut->objectName() + shortcut->whatsThis() +
                                      QString::number(reinterpret_cast<quintptr>(shortcut)));
    }
    EXPECT_TRUE(taken.contains("F6"));
    EXPECT_EQ(twice, QStringList{});
}

TEST_F(RunWindow, TheDebuggerKeysStepAndTheWindowSaysWhereTheScriptIsPaused) {
    Seam.AnswerSaveFile(WorkDir.FilePath("debugged.tcl"));
    Main->Editor()->SetLines({"proc square {x} {", "    return [expr {$x * $x}]", "}",
                              "set a [square 3]", "set b [square 4]", "set c done"});
    ASSERT_TRUE(Main->FileSaveAs());
    std::set<int> told;
    Run->BreakpointsChanged = [&](const std::set<int>& lines) { told = lines; };
    Run->SetBreakpoints({4});
    Run->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Run.get()));
    Run->Button1Click();
    const auto pausedAt = [this](int line) {
        return QTest::qWaitFor([this, line] {
            return Run->Engine()->IsPaused() &&
                   Run->LabelTime->text() == QStringLiteral("Paused at line %1").arg(line);
        });
    };
    ASSERT_TRUE(pausedAt(4));
    EXPECT_TRUE(Run->DebugPanel->isVisible());
    EXPECT_EQ(Run->DebugPanel->Source->CurrentLine(), 4);
    QTest::keyClick(Run.get(), Qt::Key_F11);
    EXPECT_TRUE(pausedAt(2));
    QTest::keyClick(Run.get(), Qt::Key_F11, Qt::ShiftModifier);
    EXPECT_TRUE(pausedAt(5));
    QTest::keyClick(Run.get(), Qt::Key_F10);
    EXPECT_TRUE(pausedAt(6));

    // A click in the margin toggles a breakpoint; on a line without a command it goes to the next.
    TSourceView* source = Run->DebugPanel->Source;
    const auto click = [source](int line) {
        QTest::mouseClick(source->Margin(), Qt::LeftButton, {}, source->MarkPoint(line));
    };
    click(4);
    EXPECT_EQ(told, std::set<int>{});
    click(3);
    EXPECT_EQ(told, std::set<int>{4});
    click(5);
    EXPECT_EQ(told, (std::set<int>{4, 5}));
    QTest::keyClick(Run.get(), Qt::Key_F5);
    WaitForRunEnd(Run.get());
    EXPECT_EQ(PaneLines(Run->Memoout), QStringList{"Done."});
    EXPECT_FALSE(Run->Engine()->IsPaused());
}

TEST_F(RunWindow, TheEditorsBreakpointsPauseTheRunAndTheEditorShowsAndHoldsThePausedLine) {
    Main->Editor()->SetLines({"proc twice {x} {", "    set y [expr {$x * 2}]", "    return $y", "}",
                              "set r [twice 5]", "puts $r"});
    Main->Editor()->SetReadOnly(false);
    TBreakpoints& editorMarks = Main->Breakpoints();
    editorMarks.Toggle(4); // a closing brace: the next command line takes it
    editorMarks.Toggle(2);
    EXPECT_EQ(editorMarks.Lines(), (std::set<int>{2, 5}));
    Main->findChild<QAction*>("BreakOnError1")->trigger();
    EXPECT_TRUE(Run->DebugPanel->BreakOnError->isChecked());
    Run->DebugPanel->BreakOnError->setChecked(false);
    EXPECT_FALSE(editorMarks.BreakOnError());

    Run->Button1Click();
    const auto editorPausedAt = [&](int line) {
        return QTest::qWaitFor(
            [&] { return Run->Engine()->IsPaused() && Main->Editor()->CurrentLine() == line; });
    };
    ASSERT_TRUE(editorPausedAt(5));
    EXPECT_TRUE(Main->Editor()->ReadOnly());
    EXPECT_EQ(Main->Editor()->CaretPos().y(), 4);
    Run->DebugPanel->StepIntoButton->click();
    ASSERT_TRUE(editorPausedAt(2));
    TSourceView* source = Run->DebugPanel->Source;
    QTest::mouseClick(source->Margin(), Qt::LeftButton, {}, source->MarkPoint(3));
    EXPECT_EQ(editorMarks.Lines(), (std::set<int>{2, 3, 5}));
    Run->DebugPanel->ContinueButton->click();
    ASSERT_TRUE(editorPausedAt(3));
    Run->DebugPanel->ContinueButton->click();
    WaitForRunEnd(Run.get());
    EXPECT_EQ(PaneLines(Run->Memoout), (QStringList{"10", "", "Done."}));
    EXPECT_EQ(Main->Editor()->CurrentLine(), 0);
    EXPECT_FALSE(Main->Editor()->ReadOnly());
}
