#include "UnwritableFolder.h"

#include <QDir>
#include <QFile>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool CanCreateFileIn(const QString& folder) {
    QFile probe(QDir(folder).filePath(QStringLiteral(".probe")));
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    probe.remove();
    return true;
}

// Sets whether the calling thread may override permissions. Only the effective set changes:
// the capability stays permitted and can be taken back.
bool SetPermissionOverride(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const unsigned bit = 1u << CAP_DAC_OVERRIDE;
    if (on)
        data[0].effective |= bit & data[0].permitted;
    else
        data[0].effective &= ~bit;
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

TUnwritableFolder::TUnwritableFolder(QString path)
    : Path(std::move(path))
    , Previous(QFile::permissions(Path)) {
    if (!QFile::setPermissions(Path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                         QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther))
        return;
    if (CanCreateFileIn(Path))
        OverrideDropped = SetPermissionOverride(false);
    IsArranged = !CanCreateFileIn(Path);
}

TUnwritableFolder::~TUnwritableFolder() {
    if (OverrideDropped)
        SetPermissionOverride(true);
    QFile::setPermissions(Path, Previous);
}
