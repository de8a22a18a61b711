#include "DocumentFileSystem.h"

#include "tslc/TclTk.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

using tslc::Tcl;

namespace {

// Tcl's filesystem procedures carry no data of their own: one document is served at a time.
struct TServed {
    const TTclExtras* Extras = nullptr;
    bool Serving = false;
    std::string FileName;
    std::string Text;
} Served;

bool IsServed(Tcl_Obj* path) {
    return Served.Serving && StringOf(path) == Served.FileName;
}

// Cached answers of which filesystem holds a path are dropped when the text has been taken.
void StopServing() {
    Served.Serving = false;
    Served.Text.clear();
    Served.Text.shrink_to_fit();
    if (Served.Extras)
        Served.Extras->FSMountsChanged(nullptr);
}

// An in-memory file that Tcl reads as a native one.
int TextFile(const std::string& text) {
    const int fd = memfd_create("quillet-document", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += std::size_t(n);
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

} // namespace

struct TDocumentFileSystemProcs {
    static int PathIn(Tcl_Obj* path, ClientData*) { return IsServed(path) ? TCL_OK : -1; }

    static int Stat(Tcl_Obj* path, Tcl_StatBuf* buffer) {
        if (!IsServed(path)) {
            errno = ENOENT;
            return -1;
        }
        std::memset(buffer, 0, sizeof *buffer);
        buffer->st_mode = S_IFREG | 0644;
        buffer->st_nlink = 1;
        buffer->st_size = static_cast<off_t>(Served.Text.size());
        buffer->st_mtime = std::time(nullptr);
        return 0;
    }

    static int Access(Tcl_Obj* path, int mode) {
        if (!IsServed(path) || (mode & W_OK)) {
            errno = EACCES;
            return -1;
        }
        return 0;
    }

    static Tcl_Channel Open(Tcl_Interp* interp, Tcl_Obj* path, int mode, int) {
        if (!IsServed(path) || (mode & (O_WRONLY | O_RDWR))) {
            errno = EACCES;
            return nullptr;
        }
        const int fd = TextFile(Served.Text);
        if (fd < 0)
            return nullptr;
        Tcl_Channel channel = Served.Extras->MakeFileChannel(
            reinterpret_cast<ClientData>(static_cast<std::intptr_t>(fd)), TCL_READABLE);
        if (!channel) {
            close(fd);
            return nullptr;
        }
        // The editor's text is Unicode, whatever the locale says.
        Tcl.SetChannelOption(interp, channel, "-encoding", "utf-8");
        StopServing();
        return channel;
    }

    static const Tcl_Filesystem Procs;
};

const Tcl_Filesystem TDocumentFileSystemProcs::Procs = [] {
    Tcl_Filesystem fs{};
    fs.typeName = "quillet-document";
    fs.structureLength = sizeof(Tcl_Filesystem);
    fs.version = TCL_FILESYSTEM_VERSION_1;
    fs.pathInFilesystemProc = &TDocumentFileSystemProcs::PathIn;
    fs.statProc = &TDocumentFileSystemProcs::Stat;
    fs.lstatProc = &TDocumentFileSystemProcs::Stat;
    fs.accessProc = &TDocumentFileSystemProcs::Access;
    fs.openFileChannelProc = &TDocumentFileSystemProcs::Open;
    return fs;
}();

TDocumentFileSystem::TDocumentFileSystem(const TTclExtras& tcl)
    : Extras(tcl) {
    Served.Extras = &Extras;
    Registered = Extras.FSRegister(nullptr, &TDocumentFileSystemProcs::Procs) == TCL_OK;
}

TDocumentFileSystem::~TDocumentFileSystem() {
    Withdraw();
    if (Registered)
        Extras.FSUnregister(&TDocumentFileSystemProcs::Procs);
    Served.Extras = nullptr;
}

void TDocumentFileSystem::Serve(const std::string& fileName, std::string text) {
    Served.FileName = fileName;
    Served.Text = std::move(text);
    Served.Serving = Registered;
    Extras.FSMountsChanged(nullptr);
}

void TDocumentFileSystem::Withdraw() {
    if (Served.Serving)
        StopServing();
}
