#include "Startup.h"

#include "AboutBox.h"
#include "CommandLine.h"
#include "EditorLink.h"
#include "ErrorBox.h"
#include "MainForm.h"
#include "ModalSeam.h"
#include "OptionsForm.h"
#include "QuilletApplication.h"
#include "RunForm.h"

#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"

#include <QThread>

#include <cstdlib>
#include <iostream>
#include <optional>

namespace {

QMessageBox::Icon IconOf(tslc::TTslcMessageKind kind) {
    switch (kind) {
    case tslc::mkInformation:
        return QMessageBox::Information;
    case tslc::mkConfirm:
        return QMessageBox::Question;
    case tslc::mkWarning:
        return QMessageBox::Warning;
    default:
        return QMessageBox::Critical;
    }
}

// The component library's message boxes, shown through the program's seam. The library may
// speak from the script's thread; boxes are shown by the window's thread, which answers.
void InstallLibraryMessageDisplay() {
    tslc::SetTslcMessageDisplay(
        [](const std::string& text, const std::string& caption, tslc::TTslcMessageKind kind) {
            const auto buttons = kind == tslc::mkConfirm
                                     ? QMessageBox::Ok | QMessageBox::Cancel
                                     : QMessageBox::StandardButtons(QMessageBox::Ok);
            const auto ask = [&] {
                return Modal().MessageBox(nullptr, IconOf(kind), QString::fromStdString(caption),
                                          QString::fromStdString(text), buttons);
            };
            if (QThread::currentThread() == qApp->thread())
                return ask() == QMessageBox::Ok;
            QMessageBox::StandardButton answer = QMessageBox::Ok;
            QMetaObject::invokeMethod(
                qApp, [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
            return answer == QMessageBox::Ok;
        });
}

// --help and --version answer before the application object exists, which needs a display:
// they work in a terminal without one, or in a package's check. Nothing, when neither is asked.
std::optional<int> AnswerWithoutWindows(int argc, char* argv[]) {
    const QCoreApplication probe(argc, argv);
    const TCommandLine line = ParseCommandLine(QCoreApplication::arguments());
    if (line.Action != TCommandLine::TAction::ShowHelp &&
        line.Action != TCommandLine::TAction::ShowVersion)
        return std::nullopt;
    std::cout << line.Text.toStdString() << std::flush;
    return EXIT_SUCCESS;
}

// A user whose Tcl library lives elsewhere names its file here, without rebuilding.
void ApplyTclLibraryFromEnvironment() {
    if (const char* name = std::getenv("QUILLET_TCL_LIBRARY"); name && *name)
        tslc::TclLibraryName = name;
}

} // namespace

bool CreateProgramWindows(const QStringList& files) {
    return CreateProgramWindows(files, DetectProgramLocations());
}

bool CreateProgramWindows(const QStringList& files, const TProgramLocations& locations) {
    InstallLibraryMessageDisplay();
    tslc::TraceFolder = locations.TraceFolder.toStdString();
    MainForm = new TMainForm(files, locations);
    OptionsForm = new TOptionsForm(MainForm, locations.SettingsFile, MainForm);
    MainForm->SetHighlightColorSource(OptionsForm);
    MainForm->OnOptionsDialog = [] { OptionsForm->show(); };
    MainForm->OnAboutBox = [] { ShowAboutBox(MainForm); };
    try {
        RunForm = new TRunForm(MainForm, locations.StartupScript);
        LinkRunWindowToEditor(*RunForm, *MainForm);
    } catch (const std::exception& e) {
        const QString message = QString::fromStdString(e.what());
        std::cerr << message.toStdString() << std::endl;
        ShowErrorBox(nullptr, message);
        DestroyProgramWindows();
        return false;
    }
    MainForm->OnRunWindow = [] { Modal().ExecModal(*RunForm); };
    return true;
}

void DestroyProgramWindows() {
    delete RunForm;
    RunForm = nullptr;
    delete MainForm; // owns the Options dialog
    MainForm = nullptr;
    OptionsForm = nullptr;
}

int StartQuillet(const QStringList& files) {
    ApplyTclLibraryFromEnvironment();
    if (!CreateProgramWindows(files))
        return EXIT_FAILURE;
    QObject::connect(MainForm, &TMainForm::Closed, qApp, &QApplication::quit);
    MainForm->show();
    const int exitCode = QApplication::exec();
    DestroyProgramWindows();
    return exitCode;
}

int RunQuillet(int argc, char* argv[]) {
    if (const std::optional<int> exitCode = AnswerWithoutWindows(argc, argv))
        return *exitCode;
    TQuilletApplication application(argc, argv);
    // Qt's own options are gone from the arguments now; anything else unknown is a mistake.
    const TCommandLine line = ParseCommandLine(QApplication::arguments());
    if (line.Action == TCommandLine::TAction::Fail) {
        std::cerr << line.Text.toStdString() << std::flush;
        return EXIT_FAILURE;
    }
    return StartQuillet(line.Files);
}
