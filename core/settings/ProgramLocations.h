#pragma once
// Where the program keeps and finds its files. A build run where it was built, or any copy with
// a quillet.ini beside its executable, keeps everything beside the executable. An installed
// program cannot write there: it keeps the user's settings and its log where Linux keeps them
// (the XDG base directories) and finds what it ships under <prefix>/share/quillet.

#include <QString>
#include <QStringList>

// What the rule depends on, as the running process finds it.
struct TLocationFacts {
    QString ExecutableFolder;              // absolute
    bool SettingsBesideExecutable = false; // a quillet.ini sits in ExecutableFolder
    bool BuildTree = false;                // the build's marker file sits in ExecutableFolder
    QString XdgConfigHome;                 // the environment's values, empty when unset
    QString XdgStateHome;
    QString HomeFolder;
};

struct TProgramLocations {
    // Everything beside the executable.
    bool InPlace = false;
    // The settings file (colours, line numbers, recent files, console history).
    QString SettingsFile;
    // The optional script the Run window's interpreter evaluates when it opens: always an
    // absolute path, in the settings file's folder, so that the folder the program is started
    // from cannot slip a script in.
    QString StartupScript;
    // Where the component library's trace log goes.
    QString TraceFolder;
    // What the program ships: the help index and the command words.
    QString DataFolder;
    QString HelpIndexFile;
    // The command word files to try, in order; a relative name means the current directory.
    QStringList CommandWordFiles;

    bool operator==(const TProgramLocations&) const = default;
};

// The one rule that decides where each file is.
TProgramLocations ResolveProgramLocations(const TLocationFacts& facts);

// The facts of this process: its executable, the files beside it, its environment.
TLocationFacts GatherLocationFacts();
// ResolveProgramLocations of GatherLocationFacts.
TProgramLocations DetectProgramLocations();
// The settings file of this process.
QString ProgramSettingsPath();

// The first of files that exists, else the first of them (whose reading then reports it
// missing); empty when files is.
QString FirstExistingFile(const QStringList& files);
