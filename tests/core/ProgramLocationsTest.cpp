// Where the program's files are (a build run in place, a quillet.ini beside the executable, an
// installed program), where the file dialogs start, and the command line.

#include "settings/ProgramLocations.h"
#include "CommandLine.h"
#include "document/DialogStartFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>
#include <set>

void PrintTo(const TProgramLocations& where, std::ostream* out) {
    *out << "{InPlace " << where.InPlace << ", settings " << where.SettingsFile.toStdString()
         << ", startup " << where.StartupScript.toStdString() << ", trace "
         << where.TraceFolder.toStdString() << ", data " << where.DataFolder.toStdString()
         << ", help " << where.HelpIndexFile.toStdString() << ", words "
         << where.CommandWordFiles.join(u',').toStdString() << "}";
}

namespace {

struct TLocationCase {
    const char* Name;
    TLocationFacts Facts;
    TProgramLocations Expected;
};

// Everything beside the executable in folder.
TProgramLocations InPlace(const QString& folder) {
    return {true,   folder + "/quillet.ini", folder + "/http.tcl", folder,
            folder, folder + "/tcl.hlp",     {"cmds.dat"}};
}

// Settings in config, the log in state, data in data: the locations of an installed program.
TProgramLocations Installed(const QString& config, const QString& state, const QString& data) {
    return {false,
            config + "/quillet/quillet.ini",
            config + "/quillet/http.tcl",
            state + "/quillet",
            data,
            data + "/tcl.hlp",
            {"cmds.dat", data + "/cmds.dat"}};
}

class ProgramLocations : public testing::TestWithParam<TLocationCase> {};

TEST_P(ProgramLocations, FollowTheRule) {
    const TProgramLocations where = ResolveProgramLocations(GetParam().Facts);
    EXPECT_EQ(where, GetParam().Expected);
    // Whatever the case, the start-up script never depends on the current directory.
    EXPECT_TRUE(QDir::isAbsolutePath(where.StartupScript));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramLocations,
    testing::Values(
        TLocationCase{"BuildTree",
                      {"/work/build/bin", false, true, "/x/config", "/x/state", "/home/ann"},
                      InPlace("/work/build/bin")},
        TLocationCase{"SettingsBesideTheExecutable",
                      {"/opt/quillet/", true, false, "", "", "/home/ann"},
                      InPlace("/opt/quillet")},
        TLocationCase{
            "InstalledWithoutXdgVariables",
            {"/usr/bin", false, false, "", "", "/home/ann"},
            Installed("/home/ann/.config", "/home/ann/.local/state", "/usr/share/quillet")},
        TLocationCase{"InstalledWithXdgVariables",
                      {"/tmp/q22/bin", false, false, "/x/config/", "/x/state", "/home/ann"},
                      Installed("/x/config", "/x/state", "/tmp/q22/share/quillet")},
        // Relative XDG values are ignored, as freedesktop.org says.
        TLocationCase{
            "InstalledWithRelativeXdgVariables",
            {"/usr/local/bin", false, false, "config", "./state", "/home/ann"},
            Installed("/home/ann/.config", "/home/ann/.local/state", "/usr/local/share/quillet")}),
    [](const testing::TestParamInfo<TLocationCase>& param) { return param.param.Name; });

TEST(ProgramLocationsOfThisProcess, AreThoseOfAnInstalledProgramAndFindTheFirstFileThere) {
    // The test program is no build of the editor: no marker, no quillet.ini beside it.
    const TLocationFacts facts = GatherLocationFacts();
    EXPECT_FALSE(facts.BuildTree || facts.SettingsBesideExecutable);
    EXPECT_EQ(DetectProgramLocations().DataFolder,
              QDir::cleanPath(facts.ExecutableFolder + "/../share/quillet"));
    QTemporaryDir dir;
    QFile present(dir.filePath("cmds.dat"));
    ASSERT_TRUE(present.open(QIODevice::WriteOnly));
    const QString missing = dir.filePath("none.dat");
    EXPECT_EQ(FirstExistingFile({missing, present.fileName()}), present.fileName());
    // None there: the first, whose reading then says that it is missing.
    EXPECT_EQ(FirstExistingFile({missing, dir.filePath("other.dat")}), missing);
}

struct TDialogCase {
    const char* Name;
    QString DocumentFile;
    QString LastUsedFolder;
    QString Expected;
};

class DialogFolder : public testing::TestWithParam<TDialogCase> {};

TEST_P(DialogFolder, IsTheDocumentsElseTheLastUsedElseHome) {
    const std::set<QString> folders{"/home/ann/project", "/home/ann/last"};
    const auto isFolder = [&](const QString& folder) { return folders.count(folder) > 0; };
    EXPECT_EQ(DialogStartFolder(GetParam().DocumentFile, GetParam().LastUsedFolder, "/home/ann",
                                isFolder),
              GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogFolder,
    testing::Values(TDialogCase{"Document", "/home/ann/project/a.tcl", "/home/ann/last",
                                "/home/ann/project"},
                    TDialogCase{"UntitledAfterAFile", "", "/home/ann/last", "/home/ann/last"},
                    TDialogCase{"Nothing", "", "", "/home/ann"},
                    TDialogCase{"DocumentsFolderGone", "/home/ann/gone/a.tcl", "/home/ann/last",
                                "/home/ann/last"},
                    TDialogCase{"BothGone", "/home/ann/gone/a.tcl", "/home/ann/gone", "/home/ann"}),
    [](const testing::TestParamInfo<TDialogCase>& param) { return param.param.Name; });

struct TCommandLineCase {
    const char* Name;
    QStringList Arguments;
    TCommandLine::TAction Action;
    QStringList Files;
    QString TextStart; // of the help, the version or the refusal
};

class CommandLine : public testing::TestWithParam<TCommandLineCase> {};

TEST_P(CommandLine, IsReadAsTheProgramReadsIt) {
    const TCommandLine line = ParseCommandLine(QStringList{"quillet"} + GetParam().Arguments);
    EXPECT_EQ(line.Action, GetParam().Action);
    EXPECT_EQ(line.Files, GetParam().Files);
    EXPECT_TRUE(line.Text.startsWith(GetParam().TextStart)) << line.Text.toStdString();
    EXPECT_EQ(line.Text.isEmpty(), GetParam().TextStart.isEmpty());
}

const QString Usage = QStringLiteral("Usage: ");
const QString Version = QStringLiteral("Quillet " QUILLET_PROJECT_VERSION "\n");
const QString Unknown = QStringLiteral("Unknown option");
using TAction = TCommandLine::TAction;
INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    testing::Values(
        TCommandLineCase{"Nothing", {}, TAction::Start, {}, {}},
        TCommandLineCase{"File", {"a.tcl"}, TAction::Start, {"a.tcl"}, {}},
        TCommandLineCase{
            "FileThatLooksLikeAnOption", {"--", "-odd.tcl"}, TAction::Start, {"-odd.tcl"}, {}},
        TCommandLineCase{"Help", {"--help"}, TAction::ShowHelp, {}, Usage},
        TCommandLineCase{"ShortHelp", {"-h", "a.tcl"}, TAction::ShowHelp, {}, Usage},
        TCommandLineCase{"Version", {"--version"}, TAction::ShowVersion, {}, Version},
        TCommandLineCase{"ShortVersion", {"-v"}, TAction::ShowVersion, {}, Version},
        // Before the application object has taken out Qt's own options.
        TCommandLineCase{"VersionAfterQtOptions",
                         {"-platform", "offscreen", "--version"},
                         TAction::ShowVersion,
                         {},
                         Version},
        // A Qt option whose letters hold a v is no --version.
        TCommandLineCase{"QtOptionWithAV", {"-reverse"}, TAction::Fail, {}, Unknown},
        TCommandLineCase{"UnknownOption", {"--bogus", "a.tcl"}, TAction::Fail, {}, Unknown}),
    [](const testing::TestParamInfo<TCommandLineCase>& param) { return param.param.Name; });

} // namespace
