#pragma once
#include <QString>

namespace model {

// Why a file could not be read or written, in the terms the operator can act on.
enum class FileProblem {
    FolderNotWritable, // the folder refuses new files (permissions, a read-only disk)
    FileReadOnly,      // the file itself may not be replaced
    DiskFull,
    FolderMissing,     // a folder of the path does not exist or is a file
    IsFolder,          // a folder has the file's name
    IsFile,            // a file has the name of the folder to make
    NotFound,          // the file to read does not exist
    NotReadable,       // the file to read may not be read
    BrokenLink,        // a symbolic link of the path leads nowhere (or round in a loop)
    IsLink,            // the name to write is a symbolic link, which is never written through
    Unreadable,        // the content is not what it claims to be, or is damaged
    TooLarge,          // more than the program reads from such a file (a pipe's endless stream)
    Other,
};

struct FileFailure {
    FileProblem problem = FileProblem::Other;
    QString path;
};

// Classifies a failed write of `path` from the system error number of the failing call (0 when
// unknown) and from what the file system shows now.
FileFailure writeFailure(const QString& path, int systemError);
// The same for a failed read.
FileFailure readFailure(const QString& path, int systemError);

// The reason in the operator's words, for example "保存先フォルダに書き込めません".
QString problemText(FileProblem problem);

// The second line of a message about a file: the path as the system shows it and the reason.
QString failureLine(const FileFailure& failure);

} // namespace model
