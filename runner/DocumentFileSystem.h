#pragma once
// Lets Tcl evaluate the editor's text as the document's file: a filesystem of Tcl's that answers
// for the document's file name alone, and only until Tcl has opened it once, with the text held
// in memory. Tcl's own evaluation of a file then applies (info script, the file's line numbers
// in errors and info frame, procedures that know where they were defined), while the script's
// later use of its file name reaches the file on disk. Script thread only.

#include "TclExtras.h"

#include <string>

class TDocumentFileSystem {
public:
    explicit TDocumentFileSystem(const TTclExtras& tcl);
    ~TDocumentFileSystem();
    TDocumentFileSystem(const TDocumentFileSystem&) = delete;
    TDocumentFileSystem& operator=(const TDocumentFileSystem&) = delete;

    // The next opening of fileName (absolute) reads text (UTF-8) instead of the file.
    void Serve(const std::string& fileName, std::string text);
    // Forgets the text if Tcl has not opened it.
    void Withdraw();

private:
    friend struct TDocumentFileSystemProcs;
    const TTclExtras& Extras;
    bool Registered = false;
};
