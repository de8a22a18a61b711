// The Options dialog: loading and saving the colour settings, picking colours, and the error
// shown when the settings file cannot be written.

#include "AppTitle.h"
#include "ModalSeam.h"
#include "OptionsForm.h"
#include "widgets/ColorShape.h"
#include "widgets/SampleLabel.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace {

// Answers the colour picker from a queue and records every question.
class TTestSeam final : public TModalSeam {
public:
    std::deque<std::optional<QColor>> ColorAnswers;
    std::vector<QColor> PickerOpenedOn;
    struct TBox {
        QMessageBox::Icon Icon;
        QString Caption;
        QString Text;
    };
    std::vector<TBox> Boxes;

    QString GetOpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QMessageBox::StandardButton MessageBox(QWidget*, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text,
                                           QMessageBox::StandardButtons) override {
        Boxes.push_back({icon, caption, text});
        return QMessageBox::Ok;
    }
    std::optional<QColor> PickColor(QWidget*, const QColor& initial) override {
        PickerOpenedOn.push_back(initial);
        if (ColorAnswers.empty())
            return std::nullopt;
        const auto answer = ColorAnswers.front();
        ColorAnswers.pop_front();
        return answer;
    }
    bool ConfirmPrint(QWidget*, QPrinter&) override { return false; }
    int ExecModal(QDialog&) override { return 0; }
};

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

} // namespace

class OptionsFormTest : public QObject {
    Q_OBJECT
private:
    TTestSeam Seam;
    TEditorSpy Editor;
    std::unique_ptr<QTemporaryDir> Dir;

    QString IniPath() const { return Dir->filePath("quillet.ini"); }

    void ShowAndWait(QWidget& widget) {
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
    }

private slots:
    void init() {
        Seam = TTestSeam();
        Editor.Calls.clear();
        Dir = std::make_unique<QTemporaryDir>();
        SetModalSeam(&Seam);
    }
    void cleanup() { SetModalSeam(nullptr); }

    void firstStartWithoutFileGivesDefaultsAndWritesNothing() {
        TOptionsForm form(&Editor, IniPath());
        QCOMPARE(form.ColorSettings(), TColorSettings{});
        const THighlightColors colors = form.HighlightColors();
        QCOMPARE(colors.Commands, DefaultColor::Commands);
        QCOMPARE(colors.Comments, DefaultColor::Comments);
        QCOMPARE(colors.Variables, DefaultColor::Variables);
        QCOMPARE(colors.String, DefaultColor::String);
        QCOMPARE(Editor.Calls.size(), std::size_t(1));
        QCOMPARE(Editor.Calls[0], std::make_pair(DefaultColor::Background, DefaultColor::Default));
        QVERIFY(!QFile::exists(IniPath()));
        QVERIFY(Seam.Boxes.empty());
    }

    void loadAcceptsHexadecimalAndFallsBackOnGarbage() {
        QVERIFY(WriteFile(IniPath(), "[Colors]\nCommands=0x0000FF\nVariables=abc\n"
                                     "Background=$00FFFF\nDefault=8421504\n"));
        TOptionsForm form(&Editor, IniPath());
        QCOMPARE(form.HighlightColors().Commands, TColor(0x0000FF));
        QCOMPARE(ToQColor(form.HighlightColors().Commands), QColor(Qt::red));
        QCOMPARE(form.HighlightColors().Variables, DefaultColor::Variables);
        QCOMPARE(form.Shape1->FillColor(), TColor(0x00FFFF));
        QCOMPARE(Editor.Calls.size(), std::size_t(1));
        QCOMPARE(Editor.Calls[0], std::make_pair(TColor(0x00FFFF), TColor(8421504)));
        // The samples keep their white background whatever the background setting.
        QCOMPARE(form.Label3->BackgroundColor(), DefaultColor::Background);
    }

    void worksWithoutAnEditor() {
        TOptionsForm form(nullptr, IniPath());
        QCOMPARE(form.ColorSettings(), TColorSettings{});
    }

    void saveWritesAllSixKeysInDecimalAndCloses() {
        TOptionsForm form(&Editor, IniPath());
        ShowAndWait(form);
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QCOMPARE(ReadFile(IniPath()), DefaultsAsWritten);
        QVERIFY(!form.isVisible());
        QVERIFY(Seam.Boxes.empty());
    }

    void saveKeepsForeignSectionsAndComments() {
        const QByteArray before = "; Quillet's colours\r\n[Window]\r\nLeft=10\r\n\r\n"
                                  "[Colors]\r\n; picked by hand\r\nCommands=0x0000FF\r\n"
                                  "Bogus line\r\n\r\n[Tail]\r\nx=1\r\n";
        QVERIFY(WriteFile(IniPath(), before));
        TOptionsForm form(&Editor, IniPath());
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QCOMPARE(
            ReadFile(IniPath()),
            QByteArray("; Quillet's colours\r\n[Window]\r\nLeft=10\r\n\r\n"
                       "[Colors]\r\n; picked by hand\r\nCommands=255\r\nBackground=16777215\r\n"
                       "Comments=32768\r\nVariables=255\r\nString=16711935\r\nDefault=0\r\n"
                       "Bogus line\r\n\r\n[Tail]\r\nx=1\r\n"));
    }

    void eachSampleHoldsItsOwnSetting_data() {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("setting");
        QTest::newRow("Label3") << "Label3"
                                << "Commands";
        QTest::newRow("Label6") << "Label6"
                                << "Variables";
        QTest::newRow("Label4") << "Label4"
                                << "Comments";
        QTest::newRow("Label10") << "Label10"
                                 << "String";
        QTest::newRow("Label8") << "Label8"
                                << "Default";
    }

    void eachSampleHoldsItsOwnSetting() {
        QFETCH(QString, sample);
        QFETCH(QString, setting);
        TOptionsForm form(&Editor, IniPath());
        ShowAndWait(form);
        const std::map<QString, TSampleLabel*> samples{{"Label3", form.Label3},
                                                       {"Label6", form.Label6},
                                                       {"Label4", form.Label4},
                                                       {"Label10", form.Label10},
                                                       {"Label8", form.Label8}};
        const QColor chosen(12, 34, 56);
        Seam.ColorAnswers.push_back(chosen);
        QTest::mouseClick(samples.at(sample), Qt::LeftButton);

        TColorSettings expected;
        const std::map<QString, TColor TColorSettings::*> fields{
            {"Commands", &TColorSettings::Commands},
            {"Variables", &TColorSettings::Variables},
            {"Comments", &TColorSettings::Comments},
            {"String", &TColorSettings::String},
            {"Default", &TColorSettings::Default}};
        expected.*fields.at(setting) = ToTColor(chosen);
        QCOMPARE(form.ColorSettings(), expected);

        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QVERIFY(ReadFile(IniPath()).contains(setting.toLatin1() + "=3678732\n"));
    }

    void pickThenCancelLastsForTheRunOnly() {
        QVERIFY(WriteFile(IniPath(), DefaultsAsWritten));
        TOptionsForm form(&Editor, IniPath());
        ShowAndWait(form);
        const QColor teal(0, 128, 128);
        Seam.ColorAnswers.push_back(teal);
        QTest::mouseClick(form.Label3, Qt::LeftButton);
        QTest::mouseClick(form.Button2, Qt::LeftButton);

        QVERIFY(!form.isVisible());
        QCOMPARE(form.HighlightColors().Commands, ToTColor(teal));
        ShowAndWait(form);
        QCOMPARE(form.Label3->TextColor(), ToTColor(teal));
        QCOMPARE(ReadFile(IniPath()), DefaultsAsWritten);

        TOptionsForm restarted(&Editor, IniPath());
        QCOMPARE(restarted.HighlightColors().Commands, DefaultColor::Commands);
    }

    void cancelledPickerChangesNothing() {
        TOptionsForm form(&Editor, IniPath());
        ShowAndWait(form);
        Seam.ColorAnswers.push_back(std::nullopt);
        QTest::mouseClick(form.Label6, Qt::LeftButton);
        QCOMPARE(form.ColorSettings(), TColorSettings{});
        QCOMPARE(Seam.PickerOpenedOn.size(), std::size_t(1));
    }

    void pickerOpensOnTheColourLastChosen() {
        TOptionsForm form(&Editor, IniPath());
        ShowAndWait(form);
        const QColor first(200, 100, 50);
        Seam.ColorAnswers = {first, std::nullopt, QColor(1, 2, 3)};
        QTest::mouseClick(form.Label3, Qt::LeftButton);
        QTest::mouseClick(form.Label6, Qt::LeftButton);
        QTest::mousePress(form.Shape1, Qt::LeftButton);
        QTest::mouseClick(form.Label8, Qt::LeftButton);
        QCOMPARE(Seam.PickerOpenedOn,
                 (std::vector<QColor>{QColor(Qt::black), first, first, QColor(1, 2, 3)}));
    }

    void backgroundPickRepaintsTheSamplesButNotTheEditor() {
        TOptionsForm form(&Editor, IniPath());
        ShowAndWait(form);
        const QColor gray(192, 192, 192);
        Seam.ColorAnswers.push_back(gray);
        QTest::mousePress(form.Shape1, Qt::RightButton);

        QCOMPARE(form.Shape1->FillColor(), ToTColor(gray));
        for (TSampleLabel* sample :
             {form.Label3, form.Label6, form.Label4, form.Label10, form.Label8})
            QCOMPARE(sample->BackgroundColor(), ToTColor(gray));
        QCOMPARE(form.Label3->TextColor(), DefaultColor::Commands);
        QCOMPARE(Editor.Calls.size(), std::size_t(1));
    }

    void writeErrorIsShownAndTheDialogStaysOpen() {
        const QString path = Dir->filePath("write-protected/quillet.ini");
        TOptionsForm form(&Editor, path);
        ShowAndWait(form);
        QTest::mouseClick(form.Button1, Qt::LeftButton);

        QCOMPARE(Seam.Boxes.size(), std::size_t(1));
        QCOMPARE(Seam.Boxes[0].Icon, QMessageBox::Critical);
        QCOMPARE(Seam.Boxes[0].Caption, ApplicationTitle());
        QCOMPARE(Seam.Boxes[0].Text, "Unable to write to " + path + ".");
        QVERIFY(form.isVisible());
        QVERIFY(!QFile::exists(path));
    }

    void settingsFileIsFoundBesideTheExecutable() {
        const QString besideExe =
            QDir(QCoreApplication::applicationDirPath()).filePath("quillet.ini");
        QVERIFY2(!QFile::exists(besideExe), "a quillet.ini was left beside the test executable");
        QVERIFY(WriteFile(besideExe, "[Colors]\nCommands=4227327\n"));
        QVERIFY(WriteFile(IniPath(), "[Colors]\nCommands=1\n"));
        const QString oldCurrent = QDir::currentPath();
        QDir::setCurrent(Dir->path());

        TOptionsForm form(&Editor);
        const THighlightColors colors = form.HighlightColors();
        const QString used = form.SettingsFileName();

        QDir::setCurrent(oldCurrent);
        QFile::remove(besideExe);
        QCOMPARE(used, besideExe);
        QCOMPARE(colors.Commands, TColor(4227327));
    }

    void enterAloneNeitherSavesNorCloses() {
        TOptionsForm form(&Editor, IniPath());
        ShowAndWait(form);
        QTest::keyClick(&form, Qt::Key_Return);
        QVERIFY(form.isVisible());
        QVERIFY(!QFile::exists(IniPath()));
    }

    void layoutAndCaptions() {
        TOptionsForm form(&Editor, IniPath());
        QCOMPARE(form.windowTitle(), "Options");
        QCOMPARE(form.GroupBox1->title(), "Colors");
        QCOMPARE(form.Button1->text(), "Save");
        QCOMPARE(form.Button2->text(), "Cancel");
        QCOMPARE(form.Label3->text(), "Commands");
        QCOMPARE(form.Label6->text(), "variable");
        QCOMPARE(form.Label4->text(), "comment");
        QCOMPARE(form.Label10->text(), "Default");
        QCOMPARE(form.Label8->text(), "Default");
        QCOMPARE(form.Shape1->size(), QSize(113, 17));
        for (TSampleLabel* sample :
             {form.Label3, form.Label6, form.Label4, form.Label10, form.Label8}) {
            QCOMPARE(sample->size(), QSize(113, 16));
            QVERIFY(sample->font().bold());
            QCOMPARE(sample->font().pointSize(), 10);
            QCOMPARE(sample->alignment(), Qt::Alignment(Qt::AlignCenter));
            QCOMPARE(sample->BackgroundColor(), DefaultColor::Background);
        }
        QCOMPARE(form.font().pointSize(), 8);
        QVERIFY(!form.isModal());
    }

    void globalPointerIsClearedWhenTheDialogGoes() {
        OptionsForm = new TOptionsForm(&Editor, IniPath());
        delete OptionsForm;
        QVERIFY(OptionsForm == nullptr);
    }
};

QTEST_MAIN(OptionsFormTest)
#include "test_options_form.moc"
