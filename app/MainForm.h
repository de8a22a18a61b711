#pragma once
// The main window: it shows the one document (the editor control and the document object that
// owns the file), and holds the menus, the tool bar and the status bar. It starts the colouring
// of the text, opens the find bar, and opens the Run window, the Options dialog and the About box
// through handlers the start-up sets.

#include "QtColor.h"
#include "highlight/CommandWords.h"
#include "settings/ProgramLocations.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QUrl;
class TBreakpoints;
class TDocument;
class TEditorStatusBar;
class TFindBar;
class TMainActions;
class THelpSystem;
class THelpViewer;
class TRecentFilesMenu;
class TRichEdit;
class TTclHighlighter;

class TMainForm : public QMainWindow, public TEditorColorTarget {
    Q_OBJECT
public:
    // arguments: the files named on the command line; the first one is opened as the window is
    // first shown (an empty document of that name when no such file exists yet). The program's
    // files are where locations says, or where this process finds them (ProgramLocations.h).
    explicit TMainForm(const QStringList& arguments = {}, QWidget* parent = nullptr);
    TMainForm(const QStringList& arguments, const TProgramLocations& locations,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    TRichEdit* Editor() const { return EditorControl; }
    TDocument& Document() const { return *Doc; }
    TFindBar* FindBar() const { return Finder; }
    TBreakpoints& Breakpoints() const { return *Breaks; }
    const QStringList& CommandWords() const { return Words; }

    void SetEditorColors(TColor background, TColor defaultText) override;
    // The colours of the highlight classes; null gives the default colours.
    void SetHighlightColorSource(const THighlightColorSource* source);
    // The help system for F1 and Ctrl+F1 (not owned); null restores the built-in help window.
    void SetHelpSystem(THelpSystem* help);

    // Set at start-up; a command whose handler is unset does nothing.
    std::function<void()> OnRunWindow;
    std::function<void()> OnOptionsDialog;
    std::function<void()> OnAboutBox;

    // The text of a status bar panel (0 caret position, 1 modified state, 2 empty).
    QString StatusPanelText(int panel) const;

    // Commands. Those that work on files raise what fails (EditorError.h); their menu entries
    // run them through the slot guard, which shows it.
    void FileNew();
    void FileOpen();
    // False when the user cancelled.
    bool FileSave();
    bool FileSaveAs();
    void FilePrint();
    void FileExit();
    void EditUndo();
    void EditCut();
    void EditCopy();
    void EditPaste();
    void Run1Click();
    void Options2Click();
    void HelpAbout();
    void Help1Click();
    void Action1Execute();
    // Opens the first of the dropped files after the save question.
    void WMDropFiles(const QList<QUrl>& urls);
    // Open the find bar, without or with its replace row.
    void EditFind();
    void EditReplace();
    void EditGoToLine();
    void ShowLineNumbers1Click();
    void ToggleBreakpoint1Click();
    void ClearBreakpoints1Click();
    void BreakOnError1Click();
    // Moves the caret to the start of line (from 1; kept within the document), shows it and
    // gives the editor the keyboard.
    void GoToLine(int line);

    // The settings file for line numbers and recent files, the program's own unless set here.
    // Setting it reads both from the new file.
    void SetSettingsFile(const QString& fileName);
    const QStringList& RecentFiles() const;
    const QString& SettingsFile() const { return SettingsFileName; }
    // Opens the recent file at index (from 0) after the save question; a file that no longer
    // exists is offered for removal from the list.
    void OpenRecentFile(int index);

signals:
    // The window closed after its close question: the program ends.
    void Closed();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The actions run the window's display toggles, which are not commands of their own.
    friend class TMainActions;

    TProgramLocations Locations;
    TRichEdit* EditorControl;
    TDocument* Doc;
    TFindBar* Finder;
    TBreakpoints* Breaks;
    TEditorStatusBar* Status;
    TRecentFilesMenu* Recent = nullptr;
    std::unique_ptr<TMainActions> Actions;
    std::unique_ptr<TTclHighlighter> Highlighter;
    QStringList Words;
    TCommandWords WordIndex;
    QStringList Arguments;
    QString SettingsFileName;
    bool Shown = false;
    const THighlightColorSource* ColorSource = nullptr;
    THelpSystem* HelpOverride = nullptr;
    THelpViewer* HelpWindow = nullptr;

    void CreateEditor();
    void ConnectEditor();
    void ConnectDocument();
    void FormCreate();
    void FormShow();

    void LoadCommandWords();
    void ShowDocumentName(const QString& name);
    void ShowCaretPosition();
    void SetTextMargins();
    void RichEditChange();
    void RecolorCaretLine();
    void UpdateEditCommands();
    void WordWrap1Click();
    void ShowToolbar1Click();
    void ShowStatusbar1Click();
    void ReadLineNumbersSetting();
    void ReadLastUsedFolder();
    void OpenCommandLineFile(const QString& fileName);
    // Loads fileName after the save question; the editor becomes editable.
    void OpenFile(const QString& fileName);

    THelpSystem& Help();
};

// The program's main window, set at start-up.
extern TMainForm* MainForm;
