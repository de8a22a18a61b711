#include "TclLibraryVersion.h"

#include "tslc/TclTk.h"

QString TclVersionText(int major, int minor, int patchLevel, int releaseType) {
    QChar separator = u'.';
    if (releaseType == TCL_ALPHA_RELEASE)
        separator = u'a';
    else if (releaseType == TCL_BETA_RELEASE)
        separator = u'b';
    return QStringLiteral("%1.%2%3%4").arg(major).arg(minor).arg(separator).arg(patchLevel);
}

QString LoadedTclVersion() {
    if (!tslc::TclLoaded())
        return {};
    if (!tslc::Tcl.GetVersion)
        return QStringLiteral("%1.%2").arg(tslc::TclMajorVersion).arg(tslc::TclMinorVersion);
    int major = 0;
    int minor = 0;
    int patchLevel = 0;
    int releaseType = TCL_FINAL_RELEASE;
    tslc::Tcl.GetVersion(&major, &minor, &patchLevel, &releaseType);
    return TclVersionText(major, minor, patchLevel, releaseType);
}
