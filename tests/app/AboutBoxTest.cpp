// The About box: its title line with the Tcl library in use, the memory figures as the locale
// groups them, and how it is shown and closed.

#include "AboutBox.h"
#include "AppTitle.h"
#include "ScriptedModalSeam.h"
#include "TclLibraryVersion.h"
#include "sysinfo/MemoryFigures.h"
#include "sysinfo/MemoryStatus.h"
#include "tslc/TclTk.h"

#include "TestPrinters.h"
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;
constexpr std::uint64_t GiB = 1024 * MiB;

// Sets the default locale for one test and puts the previous one back.
class TLocaleScope {
public:
    explicit TLocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~TLocaleScope() { QLocale::setDefault(Saved); }
    TLocaleScope(const TLocaleScope&) = delete;
    TLocaleScope& operator=(const TLocaleScope&) = delete;

private:
    QLocale Saved;
};

// Names a parameterised case after its row's Name field.
struct TRowName {
    template <typename TRow>
    std::string operator()(const testing::TestParamInfo<TRow>& info) const {
        return info.param.Name;
    }
};

} // namespace

TEST(AboutBox, TitleLineNamesTheTclLibraryInUse) {
    ASSERT_FALSE(tslc::TclLoaded());
    {
        TAboutBox box;
        EXPECT_EQ(box.windowTitle(), "About RichEdit");
        EXPECT_EQ(box.Label1->text(), ApplicationTitle());
        EXPECT_TRUE(box.Label1->font().bold());
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
    ASSERT_TRUE(QRegularExpression("^\\d+\\.\\d+[.ab]\\d+$").match(patchLevel).hasMatch())
        << patchLevel.toStdString();
    {
        TAboutBox box;
        EXPECT_EQ(box.Label1->text(), ApplicationTitle() + " with Tcl " + patchLevel);
    }
    // A library too old to tell its patch level gives its major and minor version.
    const auto getVersion = std::exchange(tslc::Tcl.GetVersion, nullptr);
    TAboutBox oldLibraryBox;
    tslc::Tcl.GetVersion = getVersion;
    EXPECT_EQ(oldLibraryBox.Label1->text(), ApplicationTitle() + QStringLiteral(" with Tcl %1.%2")
                                                                     .arg(tslc::TclMajorVersion)
                                                                     .arg(tslc::TclMinorVersion));
}

struct TVersionRow {
    std::string Name;
    int Major;
    int Minor;
    int PatchLevel;
    int ReleaseType;
    QString Text;
};

class VersionText : public testing::TestWithParam<TVersionRow> {};

TEST_P(VersionText, AsTclWritesIt) {
    const TVersionRow& row = GetParam();
    EXPECT_EQ(TclVersionText(row.Major, row.Minor, row.PatchLevel, row.ReleaseType), row.Text);
}

INSTANTIATE_TEST_SUITE_P(AboutBox, VersionText,
                         testing::Values(TVersionRow{"final", 8, 6, 13, TCL_FINAL_RELEASE,
                                                     "8.6.13"},
                                         TVersionRow{"alpha", 8, 7, 5, TCL_ALPHA_RELEASE, "8.7a5"},
                                         TVersionRow{"beta", 9, 0, 1, TCL_BETA_RELEASE, "9.0b1"}),
                         TRowName());

TEST(AboutBox, FiguresAreNeverCutShort) {
    TLocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    TAboutBox box;
    box.ShowMemoryStatus({1024 * GiB, 100});
    EXPECT_EQ(box.height(), 165);
    EXPECT_GE(box.width(), 394);
    EXPECT_GE(box.PhysMem->width(), box.PhysMem->sizeHint().width());
    EXPECT_FALSE(box.PhysMem->geometry().intersects(box.Label3->geometry()));
    EXPECT_TRUE(box.rect().contains(box.PhysMem->geometry()));
    EXPECT_GE(box.Label3->width(), box.Label3->sizeHint().width());
}

struct TMemoryRow {
    std::string Name;
    QLocale Locale;
    std::uint64_t Bytes;
    int Load;
    QString PhysMem;
    QString FreeRes;
};

class MemoryFiguresShown : public testing::TestWithParam<TMemoryRow> {};

TEST_P(MemoryFiguresShown, UseTheLocalesSeparator) {
    const TMemoryRow& row = GetParam();
    TLocaleScope scope(row.Locale);
    TAboutBox box;
    box.ShowMemoryStatus({row.Bytes, row.Load});
    EXPECT_EQ(box.PhysMem->text(), row.PhysMem);
    EXPECT_EQ(box.FreeRes->text(), row.FreeRes);
}

INSTANTIATE_TEST_SUITE_P(
    AboutBox, MemoryFiguresShown,
    testing::Values(TMemoryRow{"Of512MiB", QLocale(QLocale::English, QLocale::UnitedStates),
                               512 * MiB, 37, "524,288 KB", "37 %"},
                    TMemoryRow{"Above4GiB", QLocale(QLocale::English, QLocale::UnitedStates),
                               6 * GiB, 100, "6,291,456 KB", "100 %"},
                    TMemoryRow{"German", QLocale(QLocale::German, QLocale::Germany), 512 * MiB, 0,
                               "524.288 KB", "0 %"}),
    TRowName());

TEST(AboutBox, FiguresAreThoseOfThisMachine) {
    TAboutBox box;
    const TMemoryStatus status = QueryMemoryStatus();
    EXPECT_EQ(box.PhysMem->text(),
              FormatKilobytes(status.TotalPhysicalBytes, QLocale().groupSeparator()));
    EXPECT_TRUE(QRegularExpression("^\\d{1,3} %$").match(box.FreeRes->text()).hasMatch())
        << box.FreeRes->text().toStdString();
}

struct TCloseRow {
    std::string Name;
    int Result;
};

class AboutBoxCloses : public testing::TestWithParam<TCloseRow> {};

TEST_P(AboutBoxCloses, WithOkEscapeAndEnter) {
    const TCloseRow& row = GetParam();
    TAboutBox box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    if (row.Name == "OK")
        QTest::mouseClick(box.OKButton, Qt::LeftButton);
    else if (row.Name == "Escape")
        QTest::keyClick(&box, Qt::Key_Escape);
    else
        QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), row.Result);
}

INSTANTIATE_TEST_SUITE_P(AboutBox, AboutBoxCloses,
                         testing::Values(TCloseRow{"OK", QDialog::Accepted},
                                         TCloseRow{"Escape", QDialog::Rejected},
                                         TCloseRow{"Enter", QDialog::Accepted}),
                         TRowName());

TEST(AboutBox, ShownModallyAndDestroyedAfterwards) {
    TScriptedModalSeam seam;
    seam.AnswerModal(QDialog::Accepted);
    QWidget owner;
    ShowAboutBox(&owner);
    ASSERT_EQ(seam.Asked().size(), 1u);
    const TScriptedModalSeam::TQuestion& shown = seam.Asked()[0];
    EXPECT_EQ(shown.Kind, TScriptedModalSeam::TKind::Modal);
    EXPECT_TRUE(shown.Answered);
    EXPECT_EQ(shown.Caption, "About RichEdit");
    EXPECT_EQ(shown.Parent.data(), &owner);
    EXPECT_TRUE(shown.Window.isNull());
    EXPECT_TRUE(owner.findChildren<TAboutBox*>().isEmpty());
}
