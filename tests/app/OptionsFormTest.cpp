// The Options dialog: loading and saving the colour settings, picking colours, and the error
// shown when the settings file cannot be written.

#include "OptionsForm.h"

#include "AppTitle.h"
#include "ScriptedModalSeam.h"
#include "widgets/ColorShape.h"
#include "widgets/SampleLabel.h"

#include "TestPrinters.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

using TKind = TScriptedModalSeam::TKind;

class TEditorSpy final : public TEditorColorTarget {
public:
    std::vector<std::pair<TColor, TColor>> Calls;
    void SetEditorColors(TColor background, TColor defaultText) override {
        Calls.emplace_back(background, defaultText);
    }
};

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

const QByteArray DefaultsAsWritten = "[Colors]\nBackground=16777215\nCommands=16711680\n"
                                     "Comments=32768\nVariables=255\nString=16711935\nDefault=0\n";

class OptionsFormTest : public testing::Test {
protected:
    TScriptedModalSeam Seam;
    TEditorSpy Editor;
    QTemporaryDir Dir;

    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

    QString IniPath() const { return Dir.filePath("quillet.ini"); }

    static bool ShowAndWait(QWidget& widget) {
        widget.show();
        return QTest::qWaitForWindowExposed(&widget);
    }

    // The colour each picker opened so far started from.
    std::vector<QColor> PickerOpenedOn() const {
        std::vector<QColor> initial;
        for (const TScriptedModalSeam::TQuestion& question : Seam.AskedOfKind(TKind::Color))
            initial.push_back(question.Initial);
        return initial;
    }
};

} // namespace

TEST_F(OptionsFormTest, FirstStartWithoutFileGivesDefaultsAndWritesNothing) {
    TOptionsForm form(&Editor, IniPath());
    EXPECT_EQ(form.ColorSettings(), TColorSettings{});
    const THighlightColors colors = form.HighlightColors();
    EXPECT_EQ(colors.Commands, DefaultColor::Commands);
    EXPECT_EQ(colors.Comments, DefaultColor::Comments);
    EXPECT_EQ(colors.Variables, DefaultColor::Variables);
    EXPECT_EQ(colors.String, DefaultColor::String);
    ASSERT_EQ(Editor.Calls.size(), 1u);
    EXPECT_EQ(Editor.Calls[0], std::make_pair(DefaultColor::Background, DefaultColor::Default));
    EXPECT_FALSE(QFile::exists(IniPath()));
    EXPECT_TRUE(Seam.AskedOfKind(TKind::Message).empty());
}

TEST_F(OptionsFormTest, LoadAcceptsHexadecimalAndFallsBackOnGarbage) {
    ASSERT_TRUE(WriteFile(IniPath(), "[Colors]\nCommands=0x0000FF\nVariables=abc\n"
                                     "Background=$00FFFF\nDefault=8421504\n"));
    TOptionsForm form(&Editor, IniPath());
    EXPECT_EQ(form.HighlightColors().Commands, TColor(0x0000FF));
    EXPECT_EQ(ToQColor(form.HighlightColors().Commands), QColor(Qt::red));
    EXPECT_EQ(form.HighlightColors().Variables, DefaultColor::Variables);
    EXPECT_EQ(form.Shape1->FillColor(), TColor(0x00FFFF));
    ASSERT_EQ(Editor.Calls.size(), 1u);
    EXPECT_EQ(Editor.Calls[0], std::make_pair(TColor(0x00FFFF), TColor(8421504)));
    // The samples keep their white background whatever the background setting.
    EXPECT_EQ(form.Label3->BackgroundColor(), DefaultColor::Background);
}

TEST_F(OptionsFormTest, WorksWithoutAnEditor) {
    TOptionsForm form(nullptr, IniPath());
    EXPECT_EQ(form.ColorSettings(), TColorSettings{});
}

TEST_F(OptionsFormTest, SaveWritesAllSixKeysInDecimalAndCloses) {
    TOptionsForm form(&Editor, IniPath());
    ASSERT_TRUE(ShowAndWait(form));
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_EQ(ReadFile(IniPath()), DefaultsAsWritten);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(Seam.AskedOfKind(TKind::Message).empty());
}

TEST_F(OptionsFormTest, SaveKeepsForeignSectionsAndComments) {
    const QByteArray before = "; Quillet's colours\r\n[Window]\r\nLeft=10\r\n\r\n"
                              "[Colors]\r\n; picked by hand\r\nCommands=0x0000FF\r\n"
                              "Bogus line\r\n\r\n[Tail]\r\nx=1\r\n";
    ASSERT_TRUE(WriteFile(IniPath(), before));
    TOptionsForm form(&Editor, IniPath());
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_EQ(ReadFile(IniPath()),
              QByteArray("; Quillet's colours\r\n[Window]\r\nLeft=10\r\n\r\n"
                         "[Colors]\r\n; picked by hand\r\nCommands=255\r\nBackground=16777215\r\n"
                         "Comments=32768\r\nVariables=255\r\nString=16711935\r\nDefault=0\r\n"
                         "Bogus line\r\n\r\n[Tail]\r\nx=1\r\n"));
}

namespace {

struct TSampleRow {
    std::string Sample;
    TSampleLabel* TOptionsForm::*Label;
    std::string Setting;
    TColor TColorSettings::*Field;
};

class OptionsFormSample : public OptionsFormTest, public testing::WithParamInterface<TSampleRow> {};

} // namespace

TEST_P(OptionsFormSample, HoldsItsOwnSetting) {
    const TSampleRow& row = GetParam();
    TOptionsForm form(&Editor, IniPath());
    ASSERT_TRUE(ShowAndWait(form));
    const QColor chosen(12, 34, 56);
    Seam.AnswerColor(chosen);
    QTest::mouseClick(form.*row.Label, Qt::LeftButton);

    TColorSettings expected;
    expected.*row.Field = ToTColor(chosen);
    EXPECT_EQ(form.ColorSettings(), expected);

    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_TRUE(ReadFile(IniPath()).contains(QByteArray::fromStdString(row.Setting) + "=3678732\n"))
        << ReadFile(IniPath()).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    OptionsForm, OptionsFormSample,
    testing::Values(
        TSampleRow{"Label3", &TOptionsForm::Label3, "Commands", &TColorSettings::Commands},
        TSampleRow{"Label6", &TOptionsForm::Label6, "Variables", &TColorSettings::Variables},
        TSampleRow{"Label4", &TOptionsForm::Label4, "Comments", &TColorSettings::Comments},
        TSampleRow{"Label10", &TOptionsForm::Label10, "String", &TColorSettings::String},
        TSampleRow{"Label8", &TOptionsForm::Label8, "Default", &TColorSettings::Default}),
    [](const testing::TestParamInfo<TSampleRow>& row) { return row.param.Sample; });

TEST_F(OptionsFormTest, PickThenCancelLastsForTheRunOnly) {
    ASSERT_TRUE(WriteFile(IniPath(), DefaultsAsWritten));
    TOptionsForm form(&Editor, IniPath());
    ASSERT_TRUE(ShowAndWait(form));
    const QColor teal(0, 128, 128);
    Seam.AnswerColor(teal);
    QTest::mouseClick(form.Label3, Qt::LeftButton);
    QTest::mouseClick(form.Button2, Qt::LeftButton);

    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.HighlightColors().Commands, ToTColor(teal));
    ASSERT_TRUE(ShowAndWait(form));
    EXPECT_EQ(form.Label3->TextColor(), ToTColor(teal));
    EXPECT_EQ(ReadFile(IniPath()), DefaultsAsWritten);

    TOptionsForm restarted(&Editor, IniPath());
    EXPECT_EQ(restarted.HighlightColors().Commands, DefaultColor::Commands);
}

TEST_F(OptionsFormTest, CancelledPickerChangesNothing) {
    TOptionsForm form(&Editor, IniPath());
    ASSERT_TRUE(ShowAndWait(form));
    Seam.AnswerColor(std::nullopt);
    QTest::mouseClick(form.Label6, Qt::LeftButton);
    EXPECT_EQ(form.ColorSettings(), TColorSettings{});
    EXPECT_EQ(PickerOpenedOn().size(), 1u);
}

TEST_F(OptionsFormTest, PickerOpensOnTheColourLastChosen) {
    TOptionsForm form(&Editor, IniPath());
    ASSERT_TRUE(ShowAndWait(form));
    const QColor first(200, 100, 50);
    Seam.AnswerColor(first);
    Seam.AnswerColor(std::nullopt);
    Seam.AnswerColor(QColor(1, 2, 3));
    QTest::mouseClick(form.Label3, Qt::LeftButton);
    QTest::mouseClick(form.Label6, Qt::LeftButton);
    QTest::mousePress(form.Shape1, Qt::LeftButton);
    QTest::mouseClick(form.Label8, Qt::LeftButton);
    EXPECT_EQ(PickerOpenedOn(),
              (std::vector<QColor>{QColor(Qt::black), first, first, QColor(1, 2, 3)}));
}

TEST_F(OptionsFormTest, BackgroundPickRepaintsTheSamplesButNotTheEditor) {
    TOptionsForm form(&Editor, IniPath());
    ASSERT_TRUE(ShowAndWait(form));
    const QColor gray(192, 192, 192);
    Seam.AnswerColor(gray);
    QTest::mousePress(form.Shape1, Qt::RightButton);

    EXPECT_EQ(form.Shape1->FillColor(), ToTColor(gray));
    for (TSampleLabel* sample : {form.Label3, form.Label6, form.Label4, form.Label10, form.Label8})
        EXPECT_EQ(sample->BackgroundColor(), ToTColor(gray)) << sample->text().toStdString();
    EXPECT_EQ(form.Label3->TextColor(), DefaultColor::Commands);
    EXPECT_EQ(Editor.Calls.size(), 1u);
}

TEST_F(OptionsFormTest, WriteErrorIsShownAndTheDialogStaysOpen) {
    // A file where the settings folder should be: no folder can be made there.
    ASSERT_TRUE(WriteFile(Dir.filePath("not-a-folder"), ""));
    const QString path = Dir.filePath("not-a-folder/quillet.ini");
    TOptionsForm form(&Editor, path);
    ASSERT_TRUE(ShowAndWait(form));
    Seam.AnswerMessage(QMessageBox::Ok);
    QTest::mouseClick(form.Button1, Qt::LeftButton);

    const std::vector<TScriptedModalSeam::TQuestion> boxes = Seam.AskedOfKind(TKind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].Caption, ApplicationTitle());
    EXPECT_EQ(boxes[0].Text, "Unable to write to " + path + ".");
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(OptionsFormTest, SettingsFileIsFoundBesideTheExecutable) {
    const QString besideExe = QDir(QCoreApplication::applicationDirPath()).filePath("quillet.ini");
    ASSERT_FALSE(QFile::exists(besideExe)) << "a quillet.ini was left beside the test executable";
    ASSERT_TRUE(WriteFile(besideExe, "[Colors]\nCommands=4227327\n"));
    ASSERT_TRUE(WriteFile(IniPath(), "[Colors]\nCommands=1\n"));
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(Dir.path());

    TOptionsForm form(&Editor);
    const THighlightColors colors = form.HighlightColors();
    const QString used = form.SettingsFileName();

    QDir::setCurrent(oldCurrent);
    QFile::remove(besideExe);
    EXPECT_EQ(used, besideExe);
    EXPECT_EQ(colors.Commands, TColor(4227327));
}

TEST_F(OptionsFormTest, EnterAloneNeitherSavesNorCloses) {
    TOptionsForm form(&Editor, IniPath());
    ASSERT_TRUE(ShowAndWait(form));
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(QFile::exists(IniPath()));
}

TEST_F(OptionsFormTest, LayoutAndCaptions) {
    TOptionsForm form(&Editor, IniPath());
    EXPECT_EQ(form.windowTitle(), "Options");
    EXPECT_EQ(form.GroupBox1->title(), "Colors");
    EXPECT_EQ(form.Button1->text(), "Save");
    EXPECT_EQ(form.Button2->text(), "Cancel");
    EXPECT_EQ(form.Label3->text(), "Commands");
    EXPECT_EQ(form.Label6->text(), "variable");
    EXPECT_EQ(form.Label4->text(), "comment");
    EXPECT_EQ(form.Label10->text(), "Default");
    EXPECT_EQ(form.Label8->text(), "Default");
    EXPECT_EQ(form.Shape1->size(), QSize(113, 17));
    for (TSampleLabel* sample :
         {form.Label3, form.Label6, form.Label4, form.Label10, form.Label8}) {
        SCOPED_TRACE(sample->objectName().toStdString() + " " + sample->text().toStdString());
        EXPECT_EQ(sample->size(), QSize(113, 16));
        EXPECT_TRUE(sample->font().bold());
        EXPECT_EQ(sample->font().pointSize(), 10);
        EXPECT_EQ(sample->alignment(), Qt::Alignment(Qt::AlignCenter));
        EXPECT_EQ(sample->BackgroundColor(), DefaultColor::Background);
    }
    EXPECT_EQ(form.font().pointSize(), 8);
    EXPECT_FALSE(form.isModal());
}

TEST_F(OptionsFormTest, GlobalPointerIsClearedWhenTheDialogGoes) {
    OptionsForm = new TOptionsForm(&Editor, IniPath());
    delete OptionsForm;
    EXPECT_EQ(OptionsForm, nullptr);
}
