// The main of every window test program. Window tests run offscreen under the program's own
// application object, so that exceptions escaping event handlers reach its error box as they do
// in the program.
#include "QuilletApplication.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A test program is no build of the editor run in place, so windows made without a settings
    // file of the test's own would use the user's: they get folders of the run's own instead.
    const QTemporaryDir userFolders;
    qputenv("XDG_CONFIG_HOME", userFolders.filePath("config").toLocal8Bit());
    qputenv("XDG_STATE_HOME", userFolders.filePath("state").toLocal8Bit());
    TQuilletApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    // A death test's child starts the program afresh rather than forking a process that already
    // runs Qt's and Tcl's threads, and it starts without the Tcl library that earlier tests loaded.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
