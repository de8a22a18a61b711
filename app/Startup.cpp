#include "Startup.h"

#include "AppTitle.h"
#include "MainForm.h"
#include "QuilletApplication.h"

#include <memory>

int RunQuillet(int argc, char* argv[]) {
    TQuilletApplication application(argc, argv);
    QApplication::setApplicationDisplayName(ApplicationTitle());

    auto mainForm = std::make_unique<TMainForm>(QApplication::arguments().mid(1));
    MainForm = mainForm.get();
    // The Options dialog is created here, after the main window: creating it gives the editor
    // its background and default text colour. The Run window follows it.

    QObject::connect(mainForm.get(), &TMainForm::Closed, &application, &QApplication::quit);
    mainForm->show();
    const int exitCode = QApplication::exec();
    MainForm = nullptr;
    return exitCode;
}
