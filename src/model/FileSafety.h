#pragma once
#include "model/FileFailure.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <optional>

// The rules every file the program writes follows, so that whoever can add names to a folder we
// write into cannot make us write anywhere else: a link at the name we write is refused, a name is
// free only when no entry of any kind has it, and a file meant to be new is created exclusively.
namespace model {

// True when a directory entry of that name exists, whatever it is: a file, a folder or a link,
// a link to nothing included (QFileInfo::exists follows links and calls a dangling link free).
bool entryExists(const QString& path);

// True when the last component of the path is a symbolic link (on Windows also a junction).
// Links higher up the path, a linked home folder for one, are the user's own arrangement.
bool isLink(const QString& path);

// The path itself when no entry has its name, otherwise the first free one of name_2.ext,
// name_3.ext, ...
QString freeName(const QString& path);

// Replaces the file at `path` with what `write` puts into the device, all or nothing: written
// to a temporary file beside it, unbuffered so that a failing write stops at once with the
// system's reason, and renamed over the name (which replaces a name and never follows it) only
// when `write` returned true and the last bytes were flushed; a link at the name is refused
// before anything is written. Returns why it failed, nothing when the file was saved. A `write`
// that fails on its own account returns false with errno set (0 when there is no system
// reason); when it throws, the name is left as it was and the exception goes on.
std::optional<FileFailure> saveFile(const QString& path, const std::function<bool(QIODevice&)>& write);

// Writes what `write` puts into the device into a new file under the first free name of `path`
// (see freeName), unbuffered as saveFile writes. The file is created exclusively, so an entry
// that appears between the search and the creation is never written through: the next free name
// is taken instead. Returns the path written, or why nothing was; a file that could not be
// written whole is removed. `write` reports a failure as saveFile's does.
struct NewFile {
    QString path;                       // the name written
    std::optional<FileFailure> failure; // why no file was written
};
NewFile writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& write);

// Creates the folder and each missing folder above it readable and writable by its owner only.
// True when the folder exists afterwards.
bool makePrivateFolder(const QString& path);

} // namespace model
