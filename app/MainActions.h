#pragma once
// The main window's commands as actions (captions, keys, hints, tool bar images), and the menus
// and the tool bar that offer them. Every action runs its handler through the slot guard. The
// actions are the window's children, under the names of its form.

#include "ToolbarImages.h"

#include <QKeySequence>
#include <QList>
#include <QString>
#include <optional>

class QAction;
class QMenu;
class QToolBar;
class TMainForm;

class TMainActions {
public:
    // Creates the actions, the menus and the tool bar of window.
    explicit TMainActions(TMainForm& window);

    QMenu* FileMenu = nullptr;
    QToolBar* StandardToolBar = nullptr;
    QAction* FileNewCmd = nullptr;
    QAction* FileOpenCmd = nullptr;
    QAction* FileOpenButton = nullptr;
    QAction* FileSaveCmd = nullptr;
    QAction* FileSaveAsCmd = nullptr;
    QAction* FilePrintCmd = nullptr;
    QAction* FileExitCmd = nullptr;
    QAction* EditUndoCmd = nullptr;
    QAction* EditCutCmd = nullptr;
    QAction* EditCopyCmd = nullptr;
    QAction* EditPasteCmd = nullptr;
    QAction* Run1 = nullptr;
    QAction* WordWrap1 = nullptr;
    QAction* ShowToolbar1 = nullptr;
    QAction* ShowStatusbar1 = nullptr;
    QAction* Options2 = nullptr;
    QAction* Help1 = nullptr;
    QAction* HelpAboutItem = nullptr;
    QAction* Action1 = nullptr;
    QAction* EditFindCmd = nullptr;
    QAction* EditFindNextCmd = nullptr;
    QAction* EditFindPreviousCmd = nullptr;
    QAction* EditReplaceCmd = nullptr;
    QAction* EditGoToLineCmd = nullptr;
    QAction* ShowLineNumbers1 = nullptr;
    QAction* ToggleBreakpoint1 = nullptr;
    QAction* ClearBreakpoints1 = nullptr;
    QAction* BreakOnError1 = nullptr;

private:
    TMainForm& Window;

    void CreateActions();
    void CreateToolActions();
    void CreateMenus();
    QMenu* AddMenu(const QString& title, const QList<QAction*>& entries);
    void CreateToolBar();
    QAction* NewAction(const char* name, const QString& text, const QString& hint,
                       const QList<QKeySequence>& keys = {},
                       std::optional<TToolbarImage> image = std::nullopt);
    // An action that runs slot of target (the window when not named) through the slot guard.
    template <typename Object, typename Slot>
    QAction* NewCommand(const char* name, const QString& text, const QString& hint, Object* target,
                        Slot slot, const QList<QKeySequence>& keys = {},
                        std::optional<TToolbarImage> image = std::nullopt);
    template <typename Slot>
    QAction* NewCommand(const char* name, const QString& text, const QString& hint, Slot slot,
                        const QList<QKeySequence>& keys = {},
                        std::optional<TToolbarImage> image = std::nullopt);
};
