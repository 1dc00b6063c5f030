// The file-system calls Qt does not offer, the system side of FileSafety: every name is taken
// relative to a folder opened once, and no call follows a link at the name it works on. The
// POSIX calls and their Windows counterparts live in FileSystemCalls.cpp only.
#pragma once
#include <QString>
#include <QtGlobal>

namespace model::fs {

// What a name holds, looked at without following a link.
enum class EntryType { None, File, Folder, Link, Other };

// Tells one file from another whatever names it has.
struct FileId {
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

struct Entry {
    EntryType type = EntryType::None;
    bool ownedByUser = false;
    bool writable = false;       // the user may write the file itself
    unsigned permissions = 0;    // POSIX mode bits (0777 and the special bits)
    qint64 modifiedSeconds = 0;  // since the epoch
    FileId id;
};

// A folder held open: names created, renamed and removed in it stay in it even when its path
// is changed meanwhile. Failures return the system's error number (0 for success).
class Folder {
public:
    explicit Folder(const QString& path);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // 0 when the folder is open, otherwise why it could not be opened.
    int error() const { return error_; }

    Entry entry(const QString& name) const;
    // Creates a file that no entry had the name of, never through a link, open for writing.
    // `ownerOnly` makes it readable by its owner alone, otherwise it gets the usual access.
    // Returns the open handle, or -1 with the reason in `error`.
    int createNew(const QString& name, bool ownerOnly, int& error) const;
    // Opens an existing file for reading, never through a link; -1 with the reason in `error`.
    int openToRead(const QString& name, int& error) const;
    // Renames over `to`: a link there is replaced, never followed.
    int replace(const QString& from, const QString& to) const;
    // Gives `from` the name `to` only when no entry has it: EEXIST when one has, ENOTSUP when
    // the file system can neither rename exclusively nor make a second name for a file.
    int moveToNew(const QString& from, const QString& to) const;
    int remove(const QString& name) const;
    // Makes the folder's entries durable.
    void sync() const;

private:
#ifdef _WIN32
    QString path_;
#else
    int fd_ = -1;
#endif
    int error_ = 0;
};

// On an open file handle (from Folder::createNew).
int syncFile(int handle);
int setPermissions(int handle, unsigned permissions);
FileId fileId(int handle);
// Copies what the file at `from` holds from its start into `to`.
int copyContent(int from, int to);
void closeFile(int handle);

// A path's last component looked at without following it (links above it are followed).
Entry pathEntry(const QString& path);

// Creates the folder readable and writable by the user alone when missing (one level), then
// checks it without following a link: a folder the user owns, which others may not enter
// (made so when they may). Returns 0, or EEXIST when something other than a folder has the
// name, EPERM when the folder is not the user's, another error number when it cannot be made.
int makeOwnPrivateFolder(const QString& path);
// Opens or creates the file without following a link and checks it: a plain file the user
// owns, readable and writable by them alone (made so when others may). Returns 0, EEXIST for
// a link or anything but a plain file at the name, EPERM for another user's file.
int makeOwnPrivateFile(const QString& path);

} // namespace model::fs
