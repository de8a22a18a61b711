#include "Document.h"

#include "CommandGuard.h"
#include "ModalSeam.h"
#include "RichEdit.h"
#include "document/DialogStartFolder.h"
#include "document/DocumentFile.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {

const QString Untitled = QStringLiteral("Untitled");
const QString FileFilter = QStringLiteral("Tcl Files (*.tcl *.TCL);;All Files (*)");
const QString Confirm = QStringLiteral("Confirm");

} // namespace

TDocument::TDocument(TRichEdit& text, QWidget* window)
    : QObject(window)
    , Text(text)
    , Window(window)
    , Watcher(new QFileSystemWatcher(this))
    , OutsideChangeTimer(new QTimer(this)) {
    connect(&Text, &TRichEdit::ModifiedChanged, this, &TDocument::ModifiedChanged);
    // A program that replaces the file (writes a new one and renames it over the old) sends
    // several signals in a row; one question answers them all.
    OutsideChangeTimer->setSingleShot(true);
    OutsideChangeTimer->setInterval(50);
    connect(Watcher, &QFileSystemWatcher::fileChanged, OutsideChangeTimer,
            qOverload<>(&QTimer::start));
    connect(Watcher, &QFileSystemWatcher::directoryChanged, OutsideChangeTimer,
            qOverload<>(&QTimer::start));
    connect(OutsideChangeTimer, &QTimer::timeout, this,
            [this] { RunCommand(Window, [this] { CheckOutsideChange(); }); });
}

TDocument::~TDocument() = default;

QString TDocument::DocumentName() const {
    return File.isEmpty() ? Untitled : File;
}

bool TDocument::IsModified() const {
    return Text.Modified();
}

void TDocument::SetModified(bool modified) {
    Text.SetModified(modified);
}

QString TDocument::ScriptText() const {
    QString script;
    for (const QString& line : Text.Lines())
        script += line + QStringLiteral("\r\n");
    return script;
}

void TDocument::SetFileName(const QString& fileName) {
    File = fileName.isEmpty() ? QString() : QFileInfo(fileName).absoluteFilePath();
    emit NameChanged(DocumentName());
}

// What is on disk at fileName (as stamp tells) is now the document's own text.
void TDocument::FileIsNowTheDocument(const QString& fileName, const TDiskStamp& stamp) {
    DiskStamp = stamp;
    DeclinedStamp.reset();
    LastFolder = QFileInfo(fileName).absolutePath();
    emit FileUsed(fileName);
}

void TDocument::Clear() {
    SetFileName({});
    Text.Clear();
    TextEncoding = TTextEncoding::Utf8;
    DiskStamp = {};
    DeclinedStamp.reset();
    Watch();
    SetModified(false);
}

void TDocument::Load(const QString& fileName) {
    // Taken before reading: a change made while the file is read is then seen as one.
    const TDiskStamp stamp = TDiskStamp::Take(fileName);
    const TDocumentText document = TDocumentFile::Read(fileName);
    // Redrawing waits until every line is coloured.
    Text.SetRedraw(false);
    Text.SetLines(document.Lines, document.FinalLineBreak);
    Text.SetRedraw(true);
    TextEncoding = document.Encoding;
    SetFileName(fileName);
    Text.SetCaret(0);
    SetModified(false);
    Watch();
    FileIsNowTheDocument(fileName, stamp);
    emit Loaded();
}

void TDocument::StartNew(const QString& fileName) {
    Clear();
    SetFileName(fileName);
    Watch();
}

QString TDocument::DialogFolder() const {
    return DialogStartFolder(File, LastFolder, QDir::homePath(),
                             [](const QString& folder) { return QFileInfo(folder).isDir(); });
}

bool TDocument::Open() {
    const QString fileName = Modal().GetOpenFileName(Window, DialogFolder(), FileFilter);
    if (fileName.isEmpty())
        return false;
    Load(fileName);
    return true;
}

bool TDocument::QuerySaveChanges() {
    if (!IsModified())
        return true;
    const QMessageBox::StandardButton answer =
        Modal().MessageBox(Window, QMessageBox::Question, Confirm,
                           QStringLiteral("Save changes to %1?").arg(DocumentName()),
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    // A save that did not happen, also a cancelled Save As dialog, keeps the text.
    return answer == QMessageBox::Yes && Save();
}

bool TDocument::Save() {
    if (File.isEmpty())
        return SaveAs();
    if (!ConfirmSaveOverOutsideChange() || !Write(File))
        return false;
    SetModified(false);
    return true;
}

bool TDocument::SaveAs() {
    const QString fileName = Modal().GetSaveFileName(Window, DialogFolder(), FileFilter);
    if (fileName.isEmpty())
        return false;
    if (QFileInfo::exists(fileName) &&
        Modal().MessageBox(Window, QMessageBox::Question, Confirm,
                           QStringLiteral("OK to overwrite %1").arg(fileName),
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) !=
            QMessageBox::Yes)
        return false;
    if (!Write(fileName))
        return false;
    SetFileName(fileName);
    Watch();
    SetModified(false);
    return true;
}

bool TDocument::Write(const QString& fileName) {
    TDocumentText document{Text.Lines(), TextEncoding};
    // Refusing would leave the text unsavable under any name; UTF-8 holds every character.
    if (!CanEncode(document.Lines, document.Encoding)) {
        if (Modal().MessageBox(Window, QMessageBox::Question, Confirm,
                               QStringLiteral("The text holds characters that an 8-bit file "
                                              "cannot store. Save %1 as UTF-8?")
                                   .arg(fileName),
                               QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return false;
        document.Encoding = TTextEncoding::Utf8;
    }
    TDocumentFile::Write(fileName, document);
    TextEncoding = document.Encoding;
    FileIsNowTheDocument(fileName, TDiskStamp::Take(fileName));
    return true;
}

// --- changes made by other programs -----------------------------------------------------------

void TDocument::Watch() {
    if (const QStringList watched = Watcher->files() + Watcher->directories(); !watched.isEmpty())
        Watcher->removePaths(watched);
    if (File.isEmpty())
        return;
    // The folder too: a file replaced by renaming another over it is no longer the file
    // watched, and only the folder tells when the new one arrives.
    const QFileInfo info(File);
    if (QFileInfo(info.absolutePath()).isDir())
        Watcher->addPath(info.absolutePath());
    if (info.isFile())
        Watcher->addPath(info.absoluteFilePath());
}

void TDocument::CheckOutsideChange() {
    if (File.isEmpty() || AskingAboutOutsideChange)
        return;
    const QFileInfo info(File);
    if (info.isFile() && !Watcher->files().contains(info.absoluteFilePath()))
        Watcher->addPath(info.absoluteFilePath());
    // A removed file has nothing to reload; saving writes it again.
    if (!info.isFile() || !DiskStamp.ChangedOnDisk(File))
        return;
    if (DeclinedStamp && !DeclinedStamp->ChangedOnDisk(File))
        return;
    const bool modified = IsModified();
    const QString text =
        modified ? QStringLiteral("%1 has been changed by another program, and the text here has "
                                  "unsaved changes. Reload the file and lose those changes?")
                 : QStringLiteral("%1 has been changed by another program. Reload it?");
    AskingAboutOutsideChange = true;
    const QMessageBox::StandardButton answer = Modal().Question(
        Window, modified ? QMessageBox::Warning : QMessageBox::Question, Confirm, text.arg(File),
        QMessageBox::Yes | QMessageBox::No, modified ? QMessageBox::No : QMessageBox::Yes);
    AskingAboutOutsideChange = false;
    if (answer != QMessageBox::Yes) {
        DeclinedStamp = TDiskStamp::Take(File);
        return;
    }
    const int line = Text.CaretPos().y() + 1;
    Load(File);
    Text.GoToLine(line);
}

bool TDocument::ConfirmSaveOverOutsideChange() {
    if (!QFileInfo(File).isFile() || !DiskStamp.ChangedOnDisk(File))
        return true;
    return Modal().Question(Window, QMessageBox::Warning, Confirm,
                            QStringLiteral("%1 has been changed by another program since it was "
                                           "opened or saved here. Save over it?")
                                .arg(File),
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) == QMessageBox::Yes;
}
