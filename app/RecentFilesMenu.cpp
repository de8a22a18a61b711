#include "RecentFilesMenu.h"

#include "ModalSeam.h"
#include "settings/IniFile.h"
#include "tools/RecentFiles.h"

#include <QFileInfo>
#include <QMenu>

TRecentFilesMenu::TRecentFilesMenu(QMenu* menu, QWidget* window, const QString& settingsFile)
    : QObject(menu)
    , Menu(menu)
    , Window(window)
    , Separator(menu->addSeparator()) {
    Separator->setVisible(false);
    SetSettingsFile(settingsFile);
}

void TRecentFilesMenu::SetSettingsFile(const QString& settingsFile) {
    SettingsFile = settingsFile;
    List = ReadRecentFiles(TIniFile(SettingsFile));
    RebuildEntries();
}

void TRecentFilesMenu::Remember(const QString& fileName) {
    SetFiles(WithRecentFile(List, QFileInfo(fileName).absoluteFilePath()));
}

void TRecentFilesMenu::Forget(const QString& fileName) {
    SetFiles(WithoutRecentFile(List, fileName));
}

std::optional<QString> TRecentFilesMenu::FileToOpen(int index) {
    if (index < 0 || index >= List.size())
        return std::nullopt;
    const QString fileName = List[index];
    if (QFileInfo(fileName).isFile())
        return fileName;
    if (Modal().Question(Window, QMessageBox::Question, QStringLiteral("Confirm"),
                         QStringLiteral("%1 no longer exists. Remove it from the list of recent "
                                        "files?")
                             .arg(fileName),
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes)
        Forget(fileName);
    return std::nullopt;
}

void TRecentFilesMenu::SetFiles(const QStringList& list) {
    List = list;
    RebuildEntries();
    // A list that cannot be stored still serves this run; that is no reason to interrupt the
    // user.
    TIniFile file(SettingsFile);
    WriteRecentFiles(file, List);
}

void TRecentFilesMenu::RebuildEntries() {
    for (QAction* item : Items) {
        Menu->removeAction(item);
        item->deleteLater();
    }
    Items.clear();
    for (int i = 0; i < List.size(); ++i) {
        auto* item = new QAction(RecentFileCaption(i, List[i]), Menu);
        item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        item->setStatusTip(List[i]);
        connect(item, &QAction::triggered, this, [this, i] { emit OpenRequested(i); });
        Menu->addAction(item);
        Items.append(item);
    }
    Separator->setVisible(!List.isEmpty());
}
