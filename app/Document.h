#pragma once
// The document the main window shows, as KTextEditor's document is to its views: the file it
// belongs to (none while it is untitled), the file's encoding, the modified flag, loading, saving
// and reloading, and the watch on its file for changes made by other programs. Its text lives in
// the editor control it is given; it says through signals when its name or modified state
// changes, and knows nothing of windows but the one its questions are asked over (through the
// modal seam). Failures raise (EditorError.h).

#include "document/DiskStamp.h"
#include "document/TextFileCodec.h"

#include <QObject>
#include <QString>
#include <optional>

class QFileSystemWatcher;
class QTimer;
class QWidget;
class TRichEdit;

class TDocument : public QObject {
    Q_OBJECT
public:
    // text holds the document's lines and its modified flag; window is the parent of the
    // document's questions. Both are borrowed and outlive the document.
    TDocument(TRichEdit& text, QWidget* window);
    ~TDocument() override;

    // The file's absolute name (a script's run changes the working directory); empty while the
    // document is untitled.
    QString FileName() const { return File; }
    // The name that captions, questions and print jobs show: the file name, or "Untitled".
    QString DocumentName() const;
    TTextEncoding Encoding() const { return TextEncoding; }
    bool IsModified() const;
    void SetModified(bool modified);
    // Every line followed by CR LF: the text the Run window evaluates.
    QString ScriptText() const;

    // Makes the document untitled and empty. Asks nothing: whoever calls asks first.
    void Clear();
    // Reads fileName as the document. Raises, and changes nothing, when it cannot be read.
    void Load(const QString& fileName);
    // Makes the document empty and gives it fileName, a file that does not exist yet, as editors
    // do with a new file named on their command line: Save writes it there. Asks nothing.
    void StartNew(const QString& fileName);
    // Shows the open dialog and loads the chosen file; false when the dialog was cancelled.
    bool Open();
    // Writes the document to its file, or runs SaveAs while it is untitled. False when the user
    // cancelled a question; raises, changing nothing, when the file cannot be written.
    bool Save();
    // Asks for a file name (and whether to overwrite an existing file), then writes the document
    // there and takes that name. False and raises as Save.
    bool SaveAs();
    // Asks whether to save a modified document. False when the asking command must stop: the
    // user cancelled (also the Save As dialog after Yes). Raises when the save failed.
    bool QuerySaveChanges();

    // Where the open and save dialogs start: the document's folder, else the folder last used,
    // else the home folder.
    QString DialogFolder() const;
    // The folder last used before this run (that of the newest recent file, say).
    void SetLastUsedFolder(const QString& folder) { LastFolder = folder; }

    // Asks whether to reload the document when another program changed its file since it was
    // read or written here. The file's watcher calls it; it is public so that a check can also
    // be made on demand.
    void CheckOutsideChange();

signals:
    // DocumentName() changed.
    void NameChanged(const QString& documentName);
    void ModifiedChanged(bool modified);
    // A file was read as the document (also on a reload).
    void Loaded();
    // The document was read from or written to fileName.
    void FileUsed(const QString& fileName);

private:
    TRichEdit& Text;
    QWidget* Window;
    QString LastFolder;
    QString File;
    TTextEncoding TextEncoding = TTextEncoding::Utf8;
    QFileSystemWatcher* Watcher;
    QTimer* OutsideChangeTimer;
    TDiskStamp DiskStamp;
    // The state of the file on disk the user chose not to reload.
    std::optional<TDiskStamp> DeclinedStamp;
    bool AskingAboutOutsideChange = false;

    void SetFileName(const QString& fileName);
    void FileIsNowTheDocument(const QString& fileName, const TDiskStamp& stamp);
    void Watch();
    bool ConfirmSaveOverOutsideChange();
    // Writes the text in the document's encoding, or in UTF-8 when the user agrees to it because
    // the encoding cannot hold the text; false when the user does not.
    bool Write(const QString& fileName);
};
