// Development aid, not a test: starts the main window on a file and saves a picture of the
// screen area it covers. Run it under Xvfb from the folder that holds cmds.dat (see README).
//   app_screenshot <picture.png> <file.tcl>
#include "AppTitle.h"
#include "MainForm.h"
#include "QuilletApplication.h"

#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    TQuilletApplication application(argc, argv);
    QApplication::setApplicationDisplayName(ApplicationTitle());
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: app_screenshot <picture.png> <file.tcl>\n");
        return 2;
    }
    TMainForm form(arguments.mid(2));
    MainForm = &form;
    form.show();
    int result = 1;
    QTimer::singleShot(1500, &form, [&] {
        const QRect area = form.frameGeometry();
        const QPixmap picture =
            form.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        result = picture.save(arguments[1]) ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    MainForm = nullptr;
    return result;
}
