#include "QuilletApplication.h"

#include "AppTitle.h"

TQuilletApplication::TQuilletApplication(int& argc, char** argv)
    : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillet"));
    setApplicationVersion(ApplicationVersion());
}
