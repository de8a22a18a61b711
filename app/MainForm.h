#pragma once
// The main window: the one document (the editor control and its file name), the menus, the tool
// bar, the status bar and every file operation. It starts the colouring of the text and opens
// the Run window, the Options dialog and the About box through handlers the start-up sets.

#include "Colors.h"
#include "ToolbarImages.h"
#include "document/DiskStamp.h"
#include "document/TextFileCodec.h"
#include "highlight/CommandWords.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

class QAction;
class QFileSystemWatcher;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;
class QUrl;
class TFindBar;
class TRichEdit;
class TTclHighlighter;
class TTextSearch;
class THelpSystem;
class THelpViewer;

class TMainForm : public QMainWindow, public TEditorColorTarget {
    Q_OBJECT
public:
    // arguments: the command line without the program's name; the first one, when it names an
    // existing file, is opened as the window is first shown.
    explicit TMainForm(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    TRichEdit* Editor() const { return EditorControl; }
    QString DocumentName() const { return DocumentFileName; }
    // The document's absolute file name, empty while it has none.
    QString DocumentFilePath() const;
    const QStringList& CommandWords() const { return Words; }
    bool IsModified() const;

    // Every document line followed by CR LF: the text the Run window evaluates.
    QString ScriptText() const;

    // Asks whether to save a modified document. False when the asking command must stop: the
    // user cancelled (also the Save As dialog after Yes) or the save failed (reported).
    bool QuerySaveChanges();

    // Loads a file as the document and colours it; reports a failure and then changes nothing.
    bool LoadDocument(const QString& fileName);

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

    // Commands.
    void FileNew();
    void FileOpen();
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

    // Find and replace, go to line, line numbers.
    void EditFind();
    void EditReplace();
    void EditFindNext();
    void EditFindPrevious();
    void EditGoToLine();
    void ShowLineNumbers1Click();
    TFindBar* FindBar() const { return Finder; }
    // Moves the caret to the start of line (from 1; kept within the document) and shows it.
    void GoToLine(int line);

    // The settings file for line numbers and recent files, beside the program unless set here.
    // Setting it reads both from the new file.
    void SetSettingsFile(const QString& fileName);
    const QString& SettingsFile() const { return SettingsFileName; }
    const QStringList& RecentFiles() const { return RecentList; }
    // Opens the recent file at index (from 0) after the save question; a file that no longer
    // exists is offered for removal from the list.
    void OpenRecentFile(int index);

    // Asks whether to reload the document when another program changed its file. The file's
    // watcher calls it; it is public so that a check can also be made on demand.
    void CheckOutsideChange();

    // The backgrounds of a brace and its partner beside the caret, and of a brace without one.
    static QColor BraceMatchColor();
    static QColor BraceMismatchColor();

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
    enum class TSaveOutcome { Saved, Cancelled, Failed };

    TRichEdit* EditorControl;
    std::unique_ptr<TTclHighlighter> Highlighter;
    QStringList Words;
    TCommandWords WordIndex;
    QString DocumentFileName;
    TTextEncoding Encoding = TTextEncoding::Utf8;
    QString ProgramDir;
    QStringList Arguments;
    bool Shown = false;
    const THighlightColorSource* ColorSource = nullptr;
    THelpSystem* HelpOverride = nullptr;
    THelpViewer* HelpWindow = nullptr;

    QToolBar* StandardToolBar = nullptr;
    QLabel* Panels[3] = {};
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

    TFindBar* Finder = nullptr;
    QMenu* FileMenu = nullptr;
    QAction* RecentSeparator = nullptr;
    QList<QAction*> RecentItems;
    QStringList RecentList;
    QString SettingsFileName;

    QFileSystemWatcher* Watcher = nullptr;
    QTimer* OutsideChangeTimer = nullptr;
    QTimer* BraceMarksTimer = nullptr;
    TDiskStamp DiskStamp;
    // The state of the file on disk the user chose not to reload.
    std::optional<TDiskStamp> DeclinedStamp;
    bool AskingAboutOutsideChange = false;
    // Where the brace marks were last worked out: caret line and column, and text revision.
    std::tuple<int, int, int> BraceMarksFor{-1, -1, -1};

    void CreateEditor();
    void CreateActions();
    void CreateToolActions();
    void CreateFindBar();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ConnectEditor();
    void FormCreate();
    void FormShow();

    void LoadCommandWords();
    void SetDocumentName(const QString& name);
    void ShowModifiedState(bool modified);
    void ShowCaretPosition();
    void SetTextMargins();
    void ShowHint(const QString& hint);
    void RichEditChange();
    void RecolorCaretLine();
    void EditorKeyUp(int key, bool autoRepeat);
    void AutoIndentLine();
    void UpdateEditCommands();
    void WordWrap1Click();
    void ShowToolbar1Click();
    void ShowStatusbar1Click();

    void Search(bool backward);
    // Opens the find bar, with its replace row when asked, seeded with a one-line selection.
    void OpenFinder(bool withReplace);
    bool CanReplaceWith(const TTextSearch& search);
    void ReplaceCurrent();
    void ReplaceAllMatches();
    void ReportSearch(const QString& note, bool error = false);
    void CloseFindBar();
    void UpdateBraceMarks();

    void ReadToolSettings();
    void RememberFile(const QString& fileName);
    void SetRecentFiles(const QStringList& list);
    void RebuildRecentMenu();

    void WatchDocument();
    void OutsideChangeSignalled();
    bool ConfirmSaveOverOutsideChange();

    bool AskToSaveChanges(bool reportSaveFailure);
    TSaveOutcome SaveDocument(bool reportFailure);
    TSaveOutcome SaveDocumentAs(bool reportFailure);
    // Writes the text in the document's encoding, or in UTF-8 when the user agrees to it because
    // the encoding cannot hold the text.
    TSaveOutcome WriteDocument(const QString& fileName, bool reportFailure);
    THelpSystem& Help();
    QAction* NewAction(const char* name, const QString& text, const QString& hint);
    template <typename Slot>
    QAction* NewCommand(const char* name, const QString& text, const QString& hint, Slot slot,
                        const QList<QKeySequence>& keys = {},
                        std::optional<TToolbarImage> image = std::nullopt);
};

// The program's main window, set at start-up.
extern TMainForm* MainForm;
