#pragma once
// The version of the Tcl library the program runs on, as the About box names it.

#include <QString>

// Tcl's own way of writing a version: "8.6.13" for a final release, "8.7a5" and "8.7b1" for an
// alpha and a beta release; releaseType as Tcl_GetVersion gives it.
QString TclVersionText(int major, int minor, int patchLevel, int releaseType);

// The loaded library's version with its patch level ("8.6.13"); major and minor alone ("8.0")
// from a library too old to tell its patch level; empty while no Tcl library is loaded.
QString LoadedTclVersion();
