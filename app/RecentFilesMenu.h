#pragma once
// The recent files service of the File menu: the last files opened or saved, newest first, kept
// in the settings file and listed as numbered entries at the end of the menu. Choosing an entry
// asks the window to open it; an entry whose file is gone is offered for removal instead.

#include <QList>
#include <QObject>
#include <QStringList>
#include <optional>

class QAction;
class QMenu;
class QWidget;

class TRecentFilesMenu : public QObject {
    Q_OBJECT
public:
    // The entries go at the end of menu (borrowed), after a separator shown only when there are
    // entries; questions are asked over window. The list is read from settingsFile.
    TRecentFilesMenu(QMenu* menu, QWidget* window, const QString& settingsFile);

    // Reads the list from settingsFile, where it is kept from now on.
    void SetSettingsFile(const QString& settingsFile);
    const QStringList& Files() const { return List; }
    // Puts fileName (made absolute) first.
    void Remember(const QString& fileName);
    // The file of the entry at index (from 0) to open. When it no longer exists the user is asked
    // whether to remove it from the list, and there is none.
    std::optional<QString> FileToOpen(int index);

signals:
    // The entry at index (from 0) was chosen.
    void OpenRequested(int index);

private:
    QMenu* Menu;
    QWidget* Window;
    QAction* Separator;
    QList<QAction*> Items;
    QStringList List;
    QString SettingsFile;

    void Forget(const QString& fileName);
    void SetFiles(const QStringList& list);
    void RebuildEntries();
};
