#pragma once
// Reading and writing a document file. A failed write never harms the file that was there: the
// text goes to a temporary file beside it that replaces the old one only once fully written.
// Only where no file can be created beside it (a folder the user may not write to) is the file
// written in place, as other editors do, rather than not at all.

#include "TextFileCodec.h"

#include <QString>
#include <QStringList>

struct TDocumentText {
    QStringList Lines;
    TTextEncoding Encoding = TTextEncoding::Utf8;
    // Whether the last line ended with a line break, so that the editor offers the empty line
    // after it only then. Writing ends every line with CR LF either way.
    bool FinalLineBreak = true;
};

class TDocumentFile {
public:
    // Reads a file as rich text when it holds rich text, else as plain text. Raises EEditorError
    // with a message that names the file and the system's reason.
    static TDocumentText Read(const QString& fileName);

    // Writes every line followed by CR LF. Raises EEditorError, leaving any existing file as it
    // was.
    static void Write(const QString& fileName, const TDocumentText& document);
};
