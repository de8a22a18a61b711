#include "QtNotifier.h"

#include "tslc/TclTk.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <climits>

using namespace tslc;

namespace {

TQtNotifier* TheNotifier = nullptr;

extern "C" {

// Tcl asks to be called back at a time while no event loop of its own runs. Scripts' events run
// only while a script waits in Tcl's own loop, which computes its block time afresh each pass.
void SetTimerProc(const Tcl_Time*) {}

int WaitForEventProc(const Tcl_Time* timePtr) {
    return TQtNotifier::Instance()->WaitForEvent(timePtr);
}

void CreateFileHandlerProc(int fd, int mask, Tcl_FileProc* proc, ClientData clientData) {
    TQtNotifier::Instance()->CreateFileHandler(fd, mask, proc, clientData);
}

void DeleteFileHandlerProc(int fd) {
    TQtNotifier::Instance()->DeleteFileHandler(fd);
}

ClientData InitNotifierProc() {
    return TQtNotifier::Instance();
}

void FinalizeNotifierProc(ClientData) {
    TQtNotifier::Instance()->Finalize();
}

// May come from another thread (Tcl_ThreadAlert): waking the dispatcher is thread-safe.
void AlertNotifierProc(ClientData) {
    if (QCoreApplication* app = QCoreApplication::instance())
        if (QAbstractEventDispatcher* dispatcher =
                QAbstractEventDispatcher::instance(app->thread()))
            dispatcher->wakeUp();
}

void ServiceModeHookProc(int) {}

} // extern "C"

Tcl_NotifierProcs NotifierProcs{SetTimerProc,          WaitForEventProc,   CreateFileHandlerProc,
                                DeleteFileHandlerProc, InitNotifierProc,   FinalizeNotifierProc,
                                AlertNotifierProc,     ServiceModeHookProc};

void SetNotifierIntoTcl(void*) {
    if (Tcl.SetNotifier)
        Tcl.SetNotifier(&NotifierProcs);
}

} // namespace

void TQtNotifier::Install() {
    if (TheNotifier)
        return;
    TheNotifier = new TQtNotifier;
    TheNotifier->moveToThread(QCoreApplication::instance()->thread());
    AddLibraryNotify(SetNotifierIntoTcl, nullptr, leAfterLoad);
    if (TclLoaded())
        SetNotifierIntoTcl(nullptr);
}

TQtNotifier* TQtNotifier::Instance() {
    return TheNotifier;
}

void TQtNotifier::CreateFileHandler(int fd, int mask, Tcl_FileProc* proc, ClientData clientData) {
    std::unique_ptr<TFile>& slot = Files[fd];
    if (!slot)
        slot = std::make_unique<TFile>();
    TFile& file = *slot;
    file.Mask = mask;
    file.Proc = proc;
    file.Data = clientData;
    file.Ready &= mask;
    const auto watch = [this, fd](std::unique_ptr<QSocketNotifier>& notifier, bool wanted,
                                  QSocketNotifier::Type type, int condition) {
        if (!wanted) {
            notifier.reset();
            return;
        }
        if (notifier)
            return;
        notifier = std::make_unique<QSocketNotifier>(fd, type);
        connect(notifier.get(), &QSocketNotifier::activated, this,
                [this, fd, condition] { Activated(fd, condition); });
    };
    watch(file.Read, mask & TCL_READABLE, QSocketNotifier::Read, TCL_READABLE);
    watch(file.Write, mask & TCL_WRITABLE, QSocketNotifier::Write, TCL_WRITABLE);
    watch(file.Exception, mask & TCL_EXCEPTION, QSocketNotifier::Exception, TCL_EXCEPTION);
    Enable(file);
}

void TQtNotifier::DeleteFileHandler(int fd) {
    // A queued event for the file finds no handler and is dropped.
    Files.erase(fd);
}

// A ready file stays ready until Tcl reads or writes it: its notifier rests until Tcl has had
// the event, or an idle editor would spin on a file nobody services.
void TQtNotifier::Activated(int fd, int condition) {
    auto found = Files.find(fd);
    if (found == Files.end())
        return;
    TFile& file = *found->second;
    file.Ready |= condition;
    for (auto* notifier : {file.Read.get(), file.Write.get(), file.Exception.get()})
        if (notifier)
            notifier->setEnabled(false);
    if (file.Queued || !Tcl.QueueEvent)
        return;
    file.Queued = true;
    auto* event = reinterpret_cast<TFileEvent*>(Tcl.Alloc(sizeof(TFileEvent)));
    event->Header.proc = FileEventProc;
    event->Header.nextPtr = nullptr;
    event->Fd = fd;
    Tcl.QueueEvent(&event->Header, TCL_QUEUE_TAIL);
}

int TQtNotifier::FileEventProc(Tcl_Event* event, int flags) {
    if (!(flags & TCL_FILE_EVENTS))
        return 0;
    if (TheNotifier)
        TheNotifier->ServiceFile(reinterpret_cast<TFileEvent*>(event)->Fd);
    return 1;
}

void TQtNotifier::ServiceFile(int fd) {
    auto found = Files.find(fd);
    if (found == Files.end())
        return;
    TFile& file = *found->second;
    const int mask = file.Ready & file.Mask;
    file.Ready = 0;
    file.Queued = false;
    Enable(file);
    // The handler may delete this file's entry: nothing of it is used afterwards.
    if (mask && file.Proc)
        file.Proc(file.Data, mask);
}

void TQtNotifier::Enable(TFile& file) {
    for (auto* notifier : {file.Read.get(), file.Write.get(), file.Exception.get()})
        if (notifier)
            notifier->setEnabled(true);
}

int TQtNotifier::WaitForEvent(const Tcl_Time* timePtr) {
    if (timePtr && timePtr->sec == 0 && timePtr->usec == 0) {
        // A poll (update, or an event loop told not to wait): Tcl goes on while it finds work,
        // so only its own events count as found.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return 0;
    }
    QTimer timeout;
    if (timePtr) {
        const qint64 ms = qint64(timePtr->sec) * 1000 + (timePtr->usec + 999) / 1000;
        timeout.setSingleShot(true);
        timeout.setTimerType(Qt::PreciseTimer);
        timeout.start(int(qBound<qint64>(1, ms, qint64(INT_MAX))));
    }
    // Returns once Qt handled something: that may have changed what the script waits for (a
    // typed key, a Stop), so Tcl looks again.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return 1;
}

void TQtNotifier::Finalize() {
    Files.clear();
}
