#include "model/UserFolders.h"

#include "model/FileSafety.h"
#include "model/FileSystemCalls.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace model {

bool isOwnWritableFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir() || !info.isWritable()) return false;
    // Writable alone says little for the administrator, who may write everywhere.
    return fs::pathEntry(info.canonicalFilePath()).ownedByUser;
}

QString userSaveFilesFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return QDir::cleanPath(documents + QStringLiteral("/Quorvane/Save Files"));
}

QString saveFilesFolder(const QString& programFolder)
{
    const QString beside = QDir::cleanPath(programFolder + QStringLiteral("/Save Files"));
    if (isOwnWritableFolder(programFolder) && (!entryExists(beside) || (!isLink(beside) && isOwnWritableFolder(beside))))
        return beside;
    return userSaveFilesFolder();
}

} // namespace model
