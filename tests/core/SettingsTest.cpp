// The settings store and the colour settings kept in it: INI text edits, value parsing and the
// file on disk.

#include "settings/ColorSettings.h"
#include "settings/ColorValue.h"
#include "settings/IniFile.h"
#include "settings/IniText.h"

#include "UnwritableFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::string ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll().toStdString();
}

void WriteFile(const QString& path, const std::string& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content.data(), qint64(content.size()));
}

} // namespace

TEST(IniText, FindsValuesByCaseInsensitiveSectionAndKey) {
    const std::string ini = "[other]\nCommands=1\n[colors]\n  COMMANDS = 42 \nString=\"7\"\n";
    EXPECT_EQ(FindIniValue(ini, "Colors", "Commands"), "42");
    EXPECT_EQ(FindIniValue(ini, "Colors", "String"), "7");
    EXPECT_EQ(FindIniValue(ini, "Other", "Commands"), "1");
    EXPECT_EQ(FindIniValue(ini, "Colors", "Default"), std::nullopt);
    EXPECT_EQ(FindIniValue(ini, "Missing", "Commands"), std::nullopt);
    EXPECT_EQ(FindIniValue("", "Colors", "Commands"), std::nullopt);
}

TEST(IniText, IgnoresCommentsAndReadsAfterByteOrderMark) {
    EXPECT_EQ(FindIniValue("[Colors]\n;Commands=1\n", "Colors", "Commands"), std::nullopt);
    EXPECT_EQ(FindIniValue("\xEF\xBB\xBF[Colors]\r\nCommands=5\r\n", "Colors", "Commands"), "5");
    EXPECT_EQ(FindIniValue("[Colors]\nCommands=1\nCommands=2\n", "Colors", "Commands"), "1");
}

TEST(IniText, ReplacingAValueChangesOnlyThatLine) {
    const std::string ini = "; top\r\n[Colors]\r\n  commands = 0x0000FF\r\n; keep\r\n"
                            "Commands=2\r\n[Other]\r\nx = 1\r\n";
    EXPECT_EQ(SetIniValue(ini, "Colors", "Commands", "255"),
              "; top\r\n[Colors]\r\ncommands=255\r\n; keep\r\nCommands=2\r\n[Other]\r\nx = 1\r\n");
}

TEST(IniText, NewKeyGoesAfterTheSectionsLastEntry) {
    const std::string ini = "[Colors]\nCommands=1\n\n; about Other\n[Other]\nx=1\n";
    EXPECT_EQ(SetIniValue(ini, "Colors", "String", "9"),
              "[Colors]\nCommands=1\nString=9\n\n; about Other\n[Other]\nx=1\n");
    EXPECT_EQ(SetIniValue("[Colors]", "Colors", "String", "9"), "[Colors]\nString=9");
}

TEST(IniText, LastLineEndingInACarriageReturnKeepsItsValue) {
    // Lines end at LF only, so the CR belongs to the value; a line end added after it must not
    // pair with it into a CR LF that would take it away.
    const std::string lastLineCr = "[A]\nx=1\r";
    EXPECT_EQ(FindIniValue(SetIniValue(lastLineCr, "A", "y", "2"), "A", "x"), "1\r");
    EXPECT_EQ(FindIniValue(SetIniValue(lastLineCr, "B", "y", "2"), "A", "x"), "1\r");
    EXPECT_EQ(FindIniValue(SetIniValue(lastLineCr, "A", "y", "2"), "A", "y"), "2");
}

TEST(IniText, MissingSectionIsAppendedInTheFilesLineBreaks) {
    EXPECT_EQ(SetIniValue("", "Colors", "Default", "0"), "[Colors]\nDefault=0\n");
    EXPECT_EQ(SetIniValue("[Other]\r\nx=1", "Colors", "Default", "0"),
              "[Other]\r\nx=1\r\n[Colors]\r\nDefault=0\r\n");
}

struct TColorText {
    const char* Text;
    std::optional<TColor> Expected;
};

class ColorValueParsing : public testing::TestWithParam<TColorText> {};

TEST_P(ColorValueParsing, GivesTheColourOrNone) {
    EXPECT_EQ(ParseColorValue(GetParam().Text), GetParam().Expected) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(
    DecimalAndHexadecimal, ColorValueParsing,
    testing::Values(TColorText{"0", 0}, TColorText{"16711680", 16711680},
                    TColorText{"0x0000FF", 255}, TColorText{"0XfF", 255},
                    TColorText{"$00FF00", 0x00FF00}, TColorText{"16777215", 0xFFFFFF},
                    TColorText{"abc", std::nullopt}, TColorText{"", std::nullopt},
                    TColorText{"12abc", std::nullopt}, TColorText{"0x", std::nullopt},
                    TColorText{"$", std::nullopt}, TColorText{"0xGG", std::nullopt},
                    TColorText{"-1", std::nullopt}, TColorText{"+1", std::nullopt},
                    TColorText{"16777216", std::nullopt}, TColorText{"$1000000", std::nullopt},
                    TColorText{"99999999999999999999", std::nullopt},
                    TColorText{"1.5", std::nullopt}));

TEST(ColorValue, WritesDecimalAndFallsBackToTheDefault) {
    EXPECT_EQ(FormatColorValue(DefaultColor::Commands), "16711680");
    EXPECT_EQ(ColorValueOr("abc", DefaultColor::Commands), DefaultColor::Commands);
    EXPECT_EQ(ColorValueOr("0x0000FF", DefaultColor::Commands), 255u);
}

TEST(IniFile, ReadingAMissingFileFindsNothingAndCreatesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillet.ini");
    TIniFile file(path);
    EXPECT_EQ(file.ReadString("Colors", "Commands"), std::nullopt);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(IniFile, WriteCreatesTheFileAndKeepsItsOtherLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillet.ini");
    TIniFile file(path);
    ASSERT_TRUE(file.WriteString("Colors", "Commands", "1"));
    WriteFile(path, ReadFile(path) + "; mine\n");
    ASSERT_TRUE(file.WriteString("Colors", "Commands", "2"));
    EXPECT_EQ(ReadFile(path), "[Colors]\nCommands=2\n; mine\n");
    EXPECT_EQ(file.ReadString("Colors", "Commands"), "2");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"quillet.ini"});
}

TEST(IniFile, WriteIntoAMissingFolderMakesIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("config/quillet/quillet.ini");
    TIniFile file(path);
    ASSERT_TRUE(file.WriteString("Colors", "Commands", "1"));
    EXPECT_EQ(ReadFile(path), "[Colors]\nCommands=1\n");
}

TEST(IniFile, WriteWhereAFileStandsForTheFolderFails) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("config"), "not a folder");
    TIniFile file(dir.filePath("config/quillet/quillet.ini"));
    EXPECT_FALSE(file.WriteString("Colors", "Commands", "1"));
    EXPECT_EQ(ReadFile(dir.filePath("config")), "not a folder");
}

TEST(IniFile, AFileThatCannotBeReadIsNeitherReadNorReplaced) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillet.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("quillet.ini"));
    WriteFile(path + "/inside", "kept");
    TIniFile file(path);
    EXPECT_EQ(file.ReadString("Colors", "Commands"), std::nullopt);
    EXPECT_FALSE(file.WriteString("Colors", "Commands", "1"));
    EXPECT_EQ(ReadFile(path + "/inside"), "kept");
}

TEST(IniFile, FileInAFolderThatTakesNoNewFilesIsRewrittenInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillet.ini");
    WriteFile(path, "; mine\n[Colors]\nCommands=1\n");
    const TUnwritableFolder folder(dir.path());
    if (!folder.Arranged())
        GTEST_SKIP() << "cannot take away the right to create files in "
                     << dir.path().toStdString();
    TIniFile file(path);
    ASSERT_TRUE(file.WriteString("Colors", "Commands", "2"));
    EXPECT_EQ(ReadFile(path), "; mine\n[Colors]\nCommands=2\n");
    TColorSettings settings;
    settings.Default = 0x123456;
    ASSERT_TRUE(WriteColorSettings(file, settings));
    EXPECT_EQ(ReadColorSettings(file), settings);
    // A file that is not there still cannot be made.
    TIniFile missing(dir.filePath("other.ini"));
    EXPECT_FALSE(missing.WriteString("Colors", "Commands", "2"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"quillet.ini"});
}

TEST(IniFile, NameIsTheFullPath) {
    EXPECT_EQ(TIniFile("quillet.ini").FileName(), QDir::current().absoluteFilePath("quillet.ini"));
}

TEST(ColorSettings, PathIsQuilletIniInTheFolder) {
    EXPECT_EQ(ColorSettingsPath("/opt/quillet"), "/opt/quillet/quillet.ini");
    EXPECT_EQ(ColorSettingsPath("/opt/quillet/"), "/opt/quillet/quillet.ini");
}

TEST(ColorSettings, MissingFileGivesTheDefaults) {
    QTemporaryDir dir;
    const TColorSettings settings = ReadColorSettings(TIniFile(dir.filePath("quillet.ini")));
    EXPECT_EQ(settings, TColorSettings{});
    EXPECT_EQ(settings.Background, 16777215u);
    EXPECT_EQ(settings.Commands, 16711680u);
    EXPECT_EQ(settings.Comments, 32768u);
    EXPECT_EQ(settings.Variables, 255u);
    EXPECT_EQ(settings.String, 16711935u);
    EXPECT_EQ(settings.Default, 0u);
}

TEST(ColorSettings, EachKeyFallsBackOnItsOwn) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillet.ini");
    WriteFile(path, "[Colors]\nCommands=0x0000FF\nVariables=abc\nBackground=$00FF00\n"
                    "Default=\n[Other]\nString=0\n");
    const TColorSettings settings = ReadColorSettings(TIniFile(path));
    EXPECT_EQ(settings.Commands, 255u);
    EXPECT_EQ(settings.Variables, DefaultColor::Variables);
    EXPECT_EQ(settings.Background, 0x00FF00u);
    EXPECT_EQ(settings.Default, DefaultColor::Default);
    EXPECT_EQ(settings.String, DefaultColor::String);
    EXPECT_EQ(settings.Comments, DefaultColor::Comments);
}

TEST(ColorSettings, WritesAllSixKeysInDecimalAndInOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillet.ini");
    WriteFile(path, "; colours of Quillet\n[Window]\nLeft=10\n\n[Colors]\nCommands=0x0000FF\n");
    TIniFile file(path);
    TColorSettings settings;
    settings.Comments = 0x123456;
    ASSERT_TRUE(WriteColorSettings(file, settings));
    EXPECT_EQ(ReadFile(path), "; colours of Quillet\n[Window]\nLeft=10\n\n[Colors]\n"
                              "Commands=16711680\nBackground=16777215\nComments=1193046\n"
                              "Variables=255\nString=16711935\nDefault=0\n");
    EXPECT_EQ(ReadColorSettings(file), settings);
}

TEST(ColorSettings, WriteFailureIsReported) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("file"), "");
    TIniFile file(dir.filePath("file/quillet.ini"));
    EXPECT_FALSE(WriteColorSettings(file, TColorSettings{}));
}

TEST(IniFile, WriteKeepsTheFilesPermissionsAndFollowsALink) {
    QTemporaryDir dir;
    const QString target = dir.filePath("real.ini");
    const QString link = dir.filePath("quillet.ini");
    WriteFile(target, "[Colors]\n");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(target, permissions));
    ASSERT_TRUE(QFile::link(target, link));
    TIniFile file(link);
    ASSERT_TRUE(file.WriteString("Colors", "Default", "0"));
    EXPECT_EQ(ReadFile(target), "[Colors]\nDefault=0\n");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    // Owner, group and others; the "user" bits only echo the owner's for the current user.
    EXPECT_EQ(QFile::permissions(target) & QFileDevice::Permissions(0x7077), permissions);
}
