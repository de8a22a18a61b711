#include "Startup.h"

#include "AboutBox.h"
#include "AppTitle.h"
#include "MainForm.h"
#include "OptionsForm.h"
#include "QuilletApplication.h"

#include <memory>

int RunQuillet(int argc, char* argv[]) {
    TQuilletApplication application(argc, argv);
    QApplication::setApplicationDisplayName(ApplicationTitle());

    auto mainForm = std::make_unique<TMainForm>(QApplication::arguments().mid(1));
    MainForm = mainForm.get();
    // The Options dialog follows the main window: creating it gives the editor its background
    // and default text colour. It belongs to the main window.
    OptionsForm = new TOptionsForm(MainForm, MainForm);
    MainForm->SetHighlightColorSource(OptionsForm);
    MainForm->OnOptionsDialog = [] { OptionsForm->show(); };
    MainForm->OnAboutBox = [] { ShowAboutBox(MainForm); };

    QObject::connect(mainForm.get(), &TMainForm::Closed, &application, &QApplication::quit);
    mainForm->show();
    const int exitCode = QApplication::exec();
    MainForm = nullptr;
    return exitCode;
}
