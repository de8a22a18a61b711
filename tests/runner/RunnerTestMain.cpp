// GoogleTest with a QApplication: the Run window's tests need widgets and an event loop.

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A death test's child starts the program afresh rather than forking a process that already
    // runs Qt's and Tcl's threads, and it starts without the Tcl library that earlier tests loaded.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
