#pragma once
// A Tcl manual page (troff source with the man macros and Tcl's own macros) as plain text for
// the help viewer: headings, indented paragraphs and code excerpts kept, fonts dropped.

#include <QString>

QString ManPageText(const QString& troff);
