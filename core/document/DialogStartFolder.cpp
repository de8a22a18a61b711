#include "DialogStartFolder.h"

#include <QFileInfo>

QString DialogStartFolder(const QString& documentFile, const QString& lastUsedFolder,
                          const QString& homeFolder,
                          const std::function<bool(const QString&)>& isFolder) {
    const QString documentFolder =
        documentFile.isEmpty() ? QString() : QFileInfo(documentFile).path();
    for (const QString& folder : {documentFolder, lastUsedFolder})
        if (!folder.isEmpty() && isFolder(folder))
            return folder;
    return homeFolder;
}
