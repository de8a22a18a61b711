#include "AppTitle.h"

#include "QuilletVersion.h"

QString ApplicationVersion() {
    return QStringLiteral(QUILLET_VERSION);
}

QString ApplicationTitle() {
    return QStringLiteral("Quillet v%1    -    by the Quillet developers")
        .arg(ApplicationVersion());
}
