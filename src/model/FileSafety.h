#pragma once
#include "model/FileFailure.h"
#include "model/FileSystemCalls.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <optional>

// The rules every file the program writes follows, so that whoever can add names to a folder we
// write into cannot make us write anywhere else. Nothing is written through a name: what is
// written goes into a temporary created exclusively, never through a link, in the target's
// folder, and only a finished, durable file is renamed into place; a rename replaces a link
// itself, never its target. A name that must be new is taken only when no entry has it.
namespace model {

// True when a directory entry of that name exists, whatever it is: a file, a folder or a link,
// a link to nothing included (QFileInfo::exists follows links and calls a dangling link free).
bool entryExists(const QString& path);

// True when the last component of the path is a symbolic link (on Windows also a junction).
// Links higher up the path, a linked home folder for one, are the user's own arrangement.
bool isLink(const QString& path);

// The n-th name a new file may take: the path itself for 1, otherwise name_n.ext.
QString numberedName(const QString& path, int n);

// Whether a file name is one of the temporaries the writes below make: ".<name>.quorvane-"
// and six letters or digits, a hidden name no user file has.
bool isTemporaryName(const QString& fileName);

// Replaces the file at `path` with what `write` puts into the device, all or nothing: written
// to a temporary beside it, unbuffered so that a failing write stops at once with the
// system's reason, flushed to the disk and renamed over the name only when `write` returned
// true. A link at the name is refused, and so is a file the user may not write; a replaced
// file's access is kept. Returns why it failed, nothing when the file was saved. A `write`
// that fails on its own account returns false with errno set (0 when there is no system
// reason); when it throws, the name is left as it was and the exception goes on.
std::optional<FileFailure> saveFile(const QString& path, const std::function<bool(QIODevice&)>& write);

// Writes what `write` puts into the device into a new file under the first free name of `path`
// (numberedName 1, 2, ...), written whole and made durable before it takes the name, which it
// takes only when no entry has it: an entry that appears meanwhile is never written through or
// replaced, the next name is taken instead. Where the file system can neither rename
// exclusively nor link, the name is created exclusively and the content copied into it.
// Returns the path written, or why nothing was. `write` reports a failure as saveFile's does.
struct NewFile {
    QString path;                       // the name written
    std::optional<FileFailure> failure; // why no file was written
    fs::FileId id;                      // the file made, to tell it from one put there later
};
NewFile writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& write);

// Removes a file writeNewFile made, as long as its name still holds that very file; never
// anything else. True when it was removed.
bool removeMadeFile(const NewFile& made);

// Removes what an interrupted write left in the folder: temporaries of the name above, plain
// files of the user's own, unchanged for an hour (a write still running is younger). Nothing
// else is touched.
void removeStaleTemporaries(const QString& folder);

// Creates the folder and each missing folder above it readable and writable by its owner only.
// True when the folder exists afterwards.
bool makePrivateFolder(const QString& path);

// As makePrivateFolder, and then the folder itself must be the user's own and closed to
// everyone else: not a link, not another user's folder; one of theirs that others may enter
// is closed. For folders other users must not plant names in (the journal, the lock).
bool makeOwnPrivateFolder(const QString& path);

// A file for another library to open by name (a database): created for the user alone when
// missing, never through a link; an existing one must be a plain file of the user's own.
bool makeOwnPrivateFile(const QString& path);

} // namespace model
