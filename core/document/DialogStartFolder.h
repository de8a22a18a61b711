#pragma once
// Where the open and save dialogs start. On Linux the program's own folder is no place for
// documents (an installed program lives in /usr/bin).

#include <QString>
#include <functional>

// The current document's folder, else the folder a file was last opened from or saved to, else
// the home folder. A candidate that is empty or no longer a folder (isFolder says) is passed over.
QString DialogStartFolder(const QString& documentFile, const QString& lastUsedFolder,
                          const QString& homeFolder,
                          const std::function<bool(const QString&)>& isFolder);
