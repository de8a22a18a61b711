#pragma once
// Takes away the right to create files in a folder while it lives, leaving the files in it as
// writable as they were. Clearing the folder's write bits is enough for an ordinary user; a
// process with the power to override file permissions (root in a container) also sets that
// power aside on the calling thread. Where neither works, Arranged() is false and the caller
// skips its test.

#include <QFileDevice>
#include <QString>

class TUnwritableFolder {
public:
    explicit TUnwritableFolder(QString path);
    ~TUnwritableFolder();
    TUnwritableFolder(const TUnwritableFolder&) = delete;
    TUnwritableFolder& operator=(const TUnwritableFolder&) = delete;

    bool Arranged() const { return IsArranged; }

private:
    QString Path;
    QFileDevice::Permissions Previous;
    bool OverrideDropped = false;
    bool IsArranged = false;
};
