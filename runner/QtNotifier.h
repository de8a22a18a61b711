#pragma once
// Tcl's notifier on top of Qt's event loop. While a script waits in Tcl's event loop (vwait,
// update, after with a script, fileevent, a server socket) Tcl asks its notifier to wait; this
// one waits by running Qt's event loop, so the windows stay live, and it watches Tcl's files
// with socket notifiers. Tcl's events are handled only where Tcl itself asks for them: a file
// that becomes ready while no script waits only queues its event, so nothing of a script runs
// while the editor is idle.

#include <QObject>

#include <map>
#include <memory>

#include <tcl.h>

#include <QSocketNotifier>

class TQtNotifier : public QObject {
    Q_OBJECT
public:
    // Installs the notifier into the loaded Tcl library, and into every library loaded later.
    // Does nothing when the library lacks Tcl_SetNotifier. Call from the GUI thread.
    static void Install();
    // The notifier in use, null before Install.
    static TQtNotifier* Instance();

    // The number of files Tcl watches: for tests.
    std::size_t WatchedFileCount() const { return Files.size(); }

    // Tcl's notifier procedures.
    void CreateFileHandler(int fd, int mask, Tcl_FileProc* proc, ClientData clientData);
    void DeleteFileHandler(int fd);
    int WaitForEvent(const Tcl_Time* timePtr);
    void Finalize();

private:
    struct TFile {
        int Mask = 0;
        int Ready = 0; // conditions seen and not yet handed to Tcl
        bool Queued = false;
        Tcl_FileProc* Proc = nullptr;
        ClientData Data = nullptr;
        std::unique_ptr<QSocketNotifier> Read, Write, Exception;
    };
    struct TFileEvent {
        Tcl_Event Header;
        int Fd;
    };

    TQtNotifier() = default;
    void Activated(int fd, int condition);
    static int FileEventProc(Tcl_Event* event, int flags);
    void ServiceFile(int fd);
    void Enable(TFile& file);

    std::map<int, std::unique_ptr<TFile>> Files;
};
