// Where the program's files are (a build run in place, a quillet.ini beside the executable, an
// installed program), where the file dialogs start, and the command line.

#include "settings/ProgramLocations.h"
#include "AppTitle.h"
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
        // The XDG base directory specification: relative values are ignored.
        TLocationCase{
            "InstalledWithRelativeXdgVariables",
            {"/usr/local/bin", false, false, "config", "./state", "/home/ann"},
            Installed("/home/ann/.config", "/home/ann/.local/state", "/usr/local/share/quillet")}),
    [](const testing::TestParamInfo<TLocationCase>& param) { return param.param.Name; });

TEST(ProgramLocationsOfThisProcess, AnInstalledProgramFindsItsDataInShareBesideBin) {
    const TLocationFacts facts = GatherLocationFacts();
    // The test program is no build of the editor: no marker, no quillet.ini beside it.
    EXPECT_FALSE(facts.BuildTree);
    EXPECT_FALSE(facts.SettingsBesideExecutable);
    const TProgramLocations where = DetectProgramLocations();
    EXPECT_EQ(where.DataFolder, QDir::cleanPath(facts.ExecutableFolder + "/../share/quillet"));
    EXPECT_EQ(ProgramSettingsPath(), where.SettingsFile);
}

TEST(ProgramLocationsOfThisProcess, FirstExistingFileIsTheOneRead) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("cmds.dat");
    const QString present = dir.filePath("data/cmds.dat");
    ASSERT_TRUE(QDir(dir.path()).mkdir("data"));
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(FirstExistingFile({missing, present}), present);
    EXPECT_EQ(FirstExistingFile({present, missing}), present);
    // None there: the first, whose reading then says that it is missing.
    EXPECT_EQ(FirstExistingFile({missing, dir.filePath("other.dat")}), missing);
    EXPECT_EQ(FirstExistingFile({}), QString());
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
};

class CommandLine : public testing::TestWithParam<TCommandLineCase> {};

TEST_P(CommandLine, IsReadAsTheProgramReadsIt) {
    const TCommandLine line = ParseCommandLine(QStringList{"quillet"} + GetParam().Arguments);
    EXPECT_EQ(line.Action, GetParam().Action);
    EXPECT_EQ(line.Files, GetParam().Files);
    switch (line.Action) {
    case TCommandLine::TAction::ShowHelp:
        EXPECT_TRUE(line.Text.contains("[options] [file]")) << line.Text.toStdString();
        EXPECT_TRUE(line.Text.contains("-v, --version")) << line.Text.toStdString();
        break;
    case TCommandLine::TAction::ShowVersion:
        EXPECT_EQ(line.Text, "Quillet " + ApplicationVersion() + "\n");
        break;
    case TCommandLine::TAction::Fail:
        EXPECT_TRUE(line.Text.startsWith("Unknown option")) << line.Text.toStdString();
        break;
    case TCommandLine::TAction::Start:
        EXPECT_TRUE(line.Text.isEmpty());
        break;
    }
}

using TAction = TCommandLine::TAction;
INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    testing::Values(TCommandLineCase{"Nothing", {}, TAction::Start, {}},
                    TCommandLineCase{"File", {"a.tcl"}, TAction::Start, {"a.tcl"}},
                    TCommandLineCase{"FileThatLooksLikeAnOption",
                                     {"--", "-odd.tcl"},
                                     TAction::Start,
                                     {"-odd.tcl"}},
                    TCommandLineCase{"Help", {"--help"}, TAction::ShowHelp, {}},
                    TCommandLineCase{"ShortHelp", {"-h", "a.tcl"}, TAction::ShowHelp, {}},
                    TCommandLineCase{"Version", {"--version"}, TAction::ShowVersion, {}},
                    TCommandLineCase{"ShortVersion", {"-v"}, TAction::ShowVersion, {}},
                    // Before the application object has taken out Qt's own options.
                    TCommandLineCase{"VersionAfterQtOptions",
                                     {"-platform", "offscreen", "--version"},
                                     TAction::ShowVersion,
                                     {}},
                    // A Qt option whose letters hold a v is no --version.
                    TCommandLineCase{"QtOptionWithAV", {"-reverse"}, TAction::Fail, {}},
                    TCommandLineCase{"UnknownOption", {"--bogus", "a.tcl"}, TAction::Fail, {}}),
    [](const testing::TestParamInfo<TCommandLineCase>& param) { return param.param.Name; });

} // namespace
