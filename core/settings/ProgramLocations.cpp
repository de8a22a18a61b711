#include "ProgramLocations.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString SettingsName = QStringLiteral("quillet.ini");
const QString StartupScriptName = QStringLiteral("http.tcl");
const QString HelpIndexName = QStringLiteral("tcl.hlp");
const QString CommandWordName = QStringLiteral("cmds.dat");
const QString ProgramFolderName = QStringLiteral("quillet");

// XDG base directories ignore a relative value, as freedesktop.org says: it would depend on the
// folder the program was started from.
QString XdgFolder(const QString& value, const QString& home, const QString& fallback) {
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(QDir(home).filePath(fallback));
}

QString In(const QString& folder, const QString& name) {
    return QDir::cleanPath(QDir(folder).filePath(name));
}

} // namespace

TProgramLocations ResolveProgramLocations(const TLocationFacts& facts) {
    TProgramLocations where;
    const QString exe = QDir::cleanPath(facts.ExecutableFolder);
    where.InPlace = facts.BuildTree || facts.SettingsBesideExecutable;
    if (where.InPlace) {
        where.SettingsFile = In(exe, SettingsName);
        where.TraceFolder = exe;
        where.DataFolder = exe;
        // As it always was: the command words only from the current directory.
        where.CommandWordFiles = {CommandWordName};
    } else {
        const QString config =
            In(XdgFolder(facts.XdgConfigHome, facts.HomeFolder, QStringLiteral(".config")),
               ProgramFolderName);
        where.SettingsFile = In(config, SettingsName);
        where.TraceFolder =
            In(XdgFolder(facts.XdgStateHome, facts.HomeFolder, QStringLiteral(".local/state")),
               ProgramFolderName);
        where.DataFolder = In(exe, QStringLiteral("../share/quillet"));
        where.CommandWordFiles = {CommandWordName, In(where.DataFolder, CommandWordName)};
    }
    where.StartupScript = In(QFileInfo(where.SettingsFile).path(), StartupScriptName);
    where.HelpIndexFile = In(where.DataFolder, HelpIndexName);
    return where;
}

TLocationFacts GatherLocationFacts() {
    TLocationFacts facts;
    // The running executable itself, also before an application object exists and when it was
    // started through a link: its data lies relative to where it really is.
    facts.ExecutableFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QDir exe(facts.ExecutableFolder);
    facts.SettingsBesideExecutable = QFileInfo::exists(exe.filePath(SettingsName));
    facts.BuildTree = QFileInfo::exists(exe.filePath(QStringLiteral(QUILLET_BUILD_TREE_MARKER)));
    facts.XdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    facts.XdgStateHome = qEnvironmentVariable("XDG_STATE_HOME");
    facts.HomeFolder = QDir::homePath();
    return facts;
}

TProgramLocations DetectProgramLocations() {
    return ResolveProgramLocations(GatherLocationFacts());
}

QString ProgramSettingsPath() {
    return DetectProgramLocations().SettingsFile;
}

QString FirstExistingFile(const QStringList& files) {
    for (const QString& file : files)
        if (QFileInfo(file).isFile())
            return file;
    return files.value(0);
}
