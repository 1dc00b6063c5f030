#include "model/FileSafety.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>

namespace model {

namespace {

const QString kTemporaryMark = QStringLiteral(".quorvane-");

// Leaves room for the mark and the random letters within the longest file name systems take.
constexpr qsizetype kLongestName = 255;

QString randomLetters()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString out;
    for (int i = 0; i < 6; ++i) out.append(QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]));
    return out;
}

QString temporaryNameFor(QString name)
{
    while (!name.isEmpty() && QFile::encodeName(u'.' + name + kTemporaryMark).size() + 6 > kLongestName) name.chop(1);
    return u'.' + name + kTemporaryMark + randomLetters();
}

// A temporary being written in the folder; removed unless it was given its name.
class Temporary {
public:
    Temporary(const fs::Folder& folder, const QString& name, bool ownerOnly)
        : folder_(folder)
    {
        // A taken random name (a leftover, or someone guessing) means another draw.
        for (int attempt = 0; attempt < 100; ++attempt) {
            name_ = temporaryNameFor(name);
            handle_ = folder.createNew(name_, ownerOnly, error_);
            created_ = handle_ >= 0;
            if (created_ || error_ != EEXIST) return;
        }
    }
    ~Temporary()
    {
        close();
        if (created_ && !named_) folder_.remove(name_);
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    int error() const { return error_; }
    bool created() const { return created_; }
    int handle() const { return handle_; }
    const QString& name() const { return name_; }
    void named() { named_ = true; }
    // Closed before it is renamed: some systems rename no open file.
    void close()
    {
        if (handle_ >= 0) fs::closeFile(handle_);
        handle_ = -1;
    }

    // Runs `write` on the file and makes what it wrote durable; the system's reason when that fails.
    std::optional<int> fill(const std::function<bool(QIODevice&)>& write)
    {
        QFile file;
        if (!file.open(handle_, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) return EIO;
        errno = 0;
        if (!write(file)) return errno;
        errno = 0;
        if (!file.flush()) return errno;
        file.close();
        if (const int e = fs::syncFile(handle_)) return e;
        return std::nullopt;
    }

private:
    const fs::Folder& folder_;
    QString name_;
    int handle_ = -1;
    int error_ = 0;
    bool created_ = false;
    bool named_ = false;
};

// Where the file system can neither rename exclusively nor link: the name is created
// exclusively and the temporary's content copied into it. IsFile when the name is taken.
NewFile copyToNewName(const fs::Folder& folder, const QString& temporary, const fs::FileId& id, const QString& candidate)
{
    const QString name = QFileInfo(candidate).fileName();
    int error = 0;
    const int source = folder.openToRead(temporary, error);
    if (source < 0) return {{}, writeFailure(candidate, error), {}};
    if (!(fs::fileId(source) == id)) { // not the file we wrote
        fs::closeFile(source);
        return {{}, FileFailure{FileProblem::Other, candidate}, {}};
    }
    const int target = folder.createNew(name, false, error);
    if (target < 0) {
        fs::closeFile(source);
        return {{}, error == EEXIST ? FileFailure{FileProblem::IsFile, candidate} : writeFailure(candidate, error), {}};
    }
    error = fs::copyContent(source, target);
    if (!error) error = fs::syncFile(target);
    const fs::FileId made = fs::fileId(target);
    fs::closeFile(target);
    fs::closeFile(source);
    if (error) {
        folder.remove(name);
        return {{}, writeFailure(candidate, error), {}};
    }
    folder.sync();
    return {candidate, std::nullopt, made};
}

} // namespace

bool entryExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink() || info.isJunction();
}

bool isLink(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() || info.isJunction();
}

QString numberedName(const QString& path, int n)
{
    if (n <= 1) return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = path.left(path.size() - (suffix.isEmpty() ? 0 : suffix.size() + 1));
    return stem + u'_' + QString::number(n) + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

bool isTemporaryName(const QString& fileName)
{
    static const QRegularExpression temporary(QStringLiteral("^\\..+\\.quorvane-[A-Za-z0-9]{6}$"));
    return temporary.match(fileName).hasMatch();
}

std::optional<FileFailure> saveFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const fs::Folder folder(info.absolutePath());
    if (folder.error()) return writeFailure(path, folder.error());
    const fs::Entry existing = folder.entry(name);
    switch (existing.type) {
    case fs::EntryType::Link: return FileFailure{FileProblem::IsLink, path};
    case fs::EntryType::Folder: return FileFailure{FileProblem::IsFolder, path};
    case fs::EntryType::Other: return FileFailure{FileProblem::Other, path};
    case fs::EntryType::File:
        if (!existing.writable) return FileFailure{FileProblem::FileReadOnly, path};
        break;
    case fs::EntryType::None: break;
    }

    // A file that replaces another is written for its owner alone and gets the other's access
    // at the end; a new one has the usual access from the start.
    const bool replacing = existing.type == fs::EntryType::File;
    Temporary temporary(folder, name, replacing);
    if (!temporary.created()) return writeFailure(path, temporary.error());
    if (const auto error = temporary.fill(write)) return writeFailure(path, *error);
    if (replacing) fs::setPermissions(temporary.handle(), existing.permissions);
    temporary.close();
    if (const int e = folder.replace(temporary.name(), name)) return writeFailure(path, e);
    temporary.named();
    folder.sync();
    return std::nullopt;
}

NewFile writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const QFileInfo info(path);
    const QString folderPath = info.absolutePath();
    const fs::Folder folder(folderPath);
    if (folder.error()) return {{}, writeFailure(path, folder.error()), {}};
    Temporary temporary(folder, info.fileName(), false);
    if (!temporary.created()) return {{}, writeFailure(path, temporary.error()), {}};
    if (const auto error = temporary.fill(write)) return {{}, writeFailure(path, *error), {}};
    const fs::FileId id = fs::fileId(temporary.handle());
    temporary.close();

    // Someone who keeps taking the names gets an error, not an endless loop.
    constexpr int kAttempts = 100;
    for (int n = 1; n <= kAttempts; ++n) {
        const QString candidate = numberedName(path, n);
        const QString name = QFileInfo(candidate).fileName();
        const int moved = folder.moveToNew(temporary.name(), name);
        if (moved == EEXIST) continue;
        if (moved == 0) {
            temporary.named();
            folder.sync();
            return {candidate, std::nullopt, id};
        }
        if (moved != ENOTSUP) return {{}, writeFailure(candidate, moved), {}};
        const NewFile copied = copyToNewName(folder, temporary.name(), id, candidate);
        if (copied.failure && copied.failure->problem == FileProblem::IsFile) continue; // taken meanwhile
        return copied;
    }
    return {{}, FileFailure{FileProblem::Other, path}, {}};
}

bool removeMadeFile(const NewFile& made)
{
    if (made.path.isEmpty() || made.failure) return false;
    const QFileInfo info(made.path);
    const fs::Folder folder(info.absolutePath());
    if (folder.error()) return false;
    const fs::Entry now = folder.entry(info.fileName());
    if (now.type != fs::EntryType::File || !(now.id == made.id)) return false;
    return folder.remove(info.fileName()) == 0;
}

void removeStaleTemporaries(const QString& folderPath)
{
    const fs::Folder folder(folderPath);
    if (folder.error()) return;
    const qint64 anHourAgo = QDateTime::currentSecsSinceEpoch() - 3600;
    const QStringList names = QDir(folderPath).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!isTemporaryName(name)) continue;
        const fs::Entry e = folder.entry(name);
        if (e.type == fs::EntryType::File && e.ownedByUser && e.modifiedSeconds <= anHourAgo) folder.remove(name);
    }
}

bool makePrivateFolder(const QString& path)
{
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(target).isDir()) return true;
    // The missing levels from the top down: each is created for its owner alone.
    QStringList missing;
    for (QString level = target; !QFileInfo(level).isDir();) {
        missing.prepend(level);
        const QString parent = QFileInfo(level).path();
        if (parent == level) break;
        level = parent;
    }
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const QString& level : missing)
        if (!QDir().mkdir(level, ownerOnly) && !QFileInfo(level).isDir()) return false;
    return QFileInfo(target).isDir();
}

bool makeOwnPrivateFolder(const QString& path)
{
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The levels above are made as any private folder; the last one is checked as it is.
    if (!makePrivateFolder(QFileInfo(target).path())) return false;
    return fs::makeOwnPrivateFolder(target) == 0;
}

bool makeOwnPrivateFile(const QString& path) { return fs::makeOwnPrivateFile(path) == 0; }

} // namespace model
