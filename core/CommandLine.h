#pragma once
// The program's command line: --help, --version and the file to open. Qt's own options (such as
// -platform) are taken out by the application object before the rest is read here.

#include <QString>
#include <QStringList>

struct TCommandLine {
    enum class TAction { Start, ShowHelp, ShowVersion, Fail };

    TAction Action = TAction::Start;
    // For standard output (help, version) or standard error (why the line was refused).
    QString Text;
    // The files to open, as given.
    QStringList Files;
};

// arguments as main got them, the program's name first. Help and version win over a mistake
// elsewhere on the line, so that they answer also before Qt's options have been taken out.
TCommandLine ParseCommandLine(const QStringList& arguments);
