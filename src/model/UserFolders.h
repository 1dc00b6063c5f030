#pragma once
#include <QString>

// Where the program's own output goes ("Save Files": the reports, and the folder the export
// dialogs offer first). An installed program's folder is shared by every user of the machine and
// belongs to none of them, so it is never written into: each user gets a folder of their own.
namespace model {

// True when `path` is a folder that the user running the program owns and may write into.
bool isOwnWritableFolder(const QString& path);

// "Quorvane/Save Files" in the user's documents folder (the home folder when the desktop names
// no documents folder).
QString userSaveFilesFolder();

// "Save Files" beside the executable when the program's folder is the user's own and writable
// (a build tree, a copy of the program the user made) and that "Save Files", if it exists, is a
// folder of theirs too; otherwise userSaveFilesFolder(). Nothing is created.
QString saveFilesFolder(const QString& programFolder);

} // namespace model
