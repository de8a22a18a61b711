// The About box: its title line with the Tcl library in use, the memory figures as the locale
// groups them, and how it is shown and closed.

#include "AboutBox.h"
#include "AppTitle.h"
#include "ModalSeam.h"
#include "TclLibraryVersion.h"
#include "sysinfo/MemoryFigures.h"
#include "sysinfo/MemoryStatus.h"
#include "tslc/TclTk.h"

#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <utility>

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;
constexpr std::uint64_t GiB = 1024 * MiB;

// Records the modal window it is asked to show and closes it with OK.
class TTestSeam final : public TModalSeam {
public:
    QPointer<QDialog> Shown;
    QString ShownTitle;
    QWidget* ShownParent = nullptr;

    QString GetOpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QMessageBox::StandardButton MessageBox(QWidget*, QMessageBox::Icon, const QString&,
                                           const QString&, QMessageBox::StandardButtons) override {
        return QMessageBox::Ok;
    }
    std::optional<QColor> PickColor(QWidget*, const QColor&) override { return std::nullopt; }
    bool ConfirmPrint(QWidget*, QPrinter&) override { return false; }
    int ExecModal(QDialog& dialog) override {
        Shown = &dialog;
        ShownTitle = dialog.windowTitle();
        ShownParent = dialog.parentWidget();
        return QDialog::Accepted;
    }
};

// Sets the default locale for one test and puts the previous one back.
class TLocaleScope {
public:
    explicit TLocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~TLocaleScope() { QLocale::setDefault(Saved); }

private:
    QLocale Saved;
};

} // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT
private slots:
    void titleLineNamesTheTclLibraryInUse() {
        QVERIFY(!tslc::TclLoaded());
        {
            TAboutBox box;
            QCOMPARE(box.windowTitle(), "About RichEdit");
            QCOMPARE(box.Label1->text(), ApplicationTitle());
            QVERIFY(box.Label1->font().bold());
        }
        tslc::LoadTcl();
        struct TUnload {
            ~TUnload() { tslc::UnloadTcl(); }
        } unload;
        // The library's own word for its version, asked of an interpreter.
        Tcl_Interp* interp = tslc::Tcl.CreateInterp();
        const QString patchLevel =
            QString::fromUtf8(tslc::Tcl.GetVar(interp, "tcl_patchLevel", TCL_GLOBAL_ONLY));
        tslc::Tcl.DeleteInterp(interp);
        QVERIFY(QRegularExpression("^\\d+\\.\\d+[.ab]\\d+$").match(patchLevel).hasMatch());
        {
            TAboutBox box;
            QCOMPARE(box.Label1->text(), ApplicationTitle() + " with Tcl " + patchLevel);
        }
        // A library too old to tell its patch level gives its major and minor version.
        const auto getVersion = std::exchange(tslc::Tcl.GetVersion, nullptr);
        TAboutBox oldLibraryBox;
        tslc::Tcl.GetVersion = getVersion;
        QCOMPARE(oldLibraryBox.Label1->text(),
                 ApplicationTitle() + QStringLiteral(" with Tcl %1.%2")
                                          .arg(tslc::TclMajorVersion)
                                          .arg(tslc::TclMinorVersion));
    }

    void versionTextAsTclWritesIt_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("patchLevel");
        QTest::addColumn<int>("releaseType");
        QTest::addColumn<QString>("text");
        QTest::newRow("final") << 8 << 6 << 13 << int(TCL_FINAL_RELEASE) << "8.6.13";
        QTest::newRow("alpha") << 8 << 7 << 5 << int(TCL_ALPHA_RELEASE) << "8.7a5";
        QTest::newRow("beta") << 9 << 0 << 1 << int(TCL_BETA_RELEASE) << "9.0b1";
    }

    void versionTextAsTclWritesIt() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, patchLevel);
        QFETCH(int, releaseType);
        QTEST(TclVersionText(major, minor, patchLevel, releaseType), "text");
    }

    void figuresAreNeverCutShort() {
        TLocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
        TAboutBox box;
        box.ShowMemoryStatus({1024 * GiB, 100});
        QCOMPARE(box.height(), 165);
        QVERIFY(box.width() >= 394);
        QVERIFY(box.PhysMem->width() >= box.PhysMem->sizeHint().width());
        QVERIFY(!box.PhysMem->geometry().intersects(box.Label3->geometry()));
        QVERIFY(box.rect().contains(box.PhysMem->geometry()));
        QVERIFY(box.Label3->width() >= box.Label3->sizeHint().width());
    }

    void memoryFiguresUseTheLocalesSeparator_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<int>("load");
        QTest::addColumn<QString>("physMem");
        QTest::addColumn<QString>("freeRes");
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("512 MiB") << english << quint64(512 * MiB) << 37 << "524,288 KB"
                                 << "37 %";
        QTest::newRow("above 4 GiB") << english << quint64(6 * GiB) << 100 << "6,291,456 KB"
                                     << "100 %";
        QTest::newRow("German") << german << quint64(512 * MiB) << 0 << "524.288 KB"
                                << "0 %";
    }

    void memoryFiguresUseTheLocalesSeparator() {
        QFETCH(QLocale, locale);
        QFETCH(quint64, bytes);
        QFETCH(int, load);
        TLocaleScope scope(locale);
        TAboutBox box;
        box.ShowMemoryStatus({bytes, load});
        QTEST(box.PhysMem->text(), "physMem");
        QTEST(box.FreeRes->text(), "freeRes");
    }

    void figuresAreThoseOfThisMachine() {
        TAboutBox box;
        const TMemoryStatus status = QueryMemoryStatus();
        QCOMPARE(box.PhysMem->text(),
                 FormatKilobytes(status.TotalPhysicalBytes, QLocale().groupSeparator()));
        QVERIFY(QRegularExpression("^\\d{1,3} %$").match(box.FreeRes->text()).hasMatch());
    }

    void okEscapeAndEnterCloseIt_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "OK";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("Enter") << "Enter";
    }

    void okEscapeAndEnterCloseIt() {
        QFETCH(QString, how);
        TAboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        if (how == "OK")
            QTest::mouseClick(box.OKButton, Qt::LeftButton);
        else if (how == "Escape")
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            QTest::keyClick(&box, Qt::Key_Return);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), how == "Escape" ? int(QDialog::Rejected) : int(QDialog::Accepted));
    }

    void shownModallyAndDestroyedAfterwards() {
        TTestSeam seam;
        SetModalSeam(&seam);
        QWidget owner;
        ShowAboutBox(&owner);
        SetModalSeam(nullptr);
        QCOMPARE(seam.ShownTitle, "About RichEdit");
        QCOMPARE(seam.ShownParent, &owner);
        QVERIFY(seam.Shown.isNull());
        QVERIFY(owner.findChildren<TAboutBox*>().isEmpty());
    }
};

QTEST_MAIN(AboutBoxTest)
#include "test_about_box.moc"
