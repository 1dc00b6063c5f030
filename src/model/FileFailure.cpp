#include "model/FileFailure.h"

#include "model/FileSafety.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>

namespace model {

namespace {

bool isDiskFull(int e)
{
    if (e == ENOSPC || e == EFBIG) return true;
#ifdef EDQUOT
    if (e == EDQUOT) return true;
#endif
    return false;
}

bool isPermission(int e)
{
    if (e == EACCES || e == EPERM) return true;
#ifdef EROFS
    if (e == EROFS) return true;
#endif
    return false;
}

} // namespace

FileFailure writeFailure(const QString& path, int systemError)
{
    FileFailure f{FileProblem::Other, path};
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (isLink(path)) {
        f.problem = FileProblem::IsLink;
    } else if (target.isDir()) {
        f.problem = FileProblem::IsFolder;
    } else if (systemError == EEXIST && target.exists()) {
        f.problem = FileProblem::IsFile; // a folder was to be made there
    } else if (!folder.isDir()) {
        f.problem = FileProblem::FolderMissing;
    } else if (target.exists() && !target.isWritable()) {
        f.problem = FileProblem::FileReadOnly;
    } else if (isDiskFull(systemError)) {
        f.problem = FileProblem::DiskFull;
    } else if (isPermission(systemError) || !folder.isWritable()) {
        f.problem = FileProblem::FolderNotWritable;
#ifdef ELOOP
    } else if (systemError == ELOOP) {
        f.problem = FileProblem::BrokenLink;
#endif
    } else if (systemError == ENOENT || systemError == ENOTDIR) {
        f.problem = FileProblem::FolderMissing;
    } else if (QStorageInfo(folder.absoluteFilePath()).bytesAvailable() == 0) {
        f.problem = FileProblem::DiskFull;
    }
    return f;
}

FileFailure readFailure(const QString& path, int systemError)
{
    FileFailure f{FileProblem::Other, path};
    const QFileInfo target(path);
    if (target.isDir()) {
        f.problem = FileProblem::IsFolder;
    } else if (!QFileInfo(target.absolutePath()).isDir()) {
        f.problem = FileProblem::FolderMissing;
    } else if (target.isSymLink() && !target.exists()) {
        f.problem = FileProblem::BrokenLink;
    } else if (!target.exists()) {
        f.problem = FileProblem::NotFound;
    } else if (isPermission(systemError) || !target.isReadable()) {
        f.problem = FileProblem::NotReadable;
    }
    return f;
}

QString problemText(FileProblem problem)
{
    switch (problem) {
    case FileProblem::FolderNotWritable: return QStringLiteral("保存先フォルダに書き込めません");
    case FileProblem::FileReadOnly: return QStringLiteral("ファイルが読み取り専用のため置き換えられません");
    case FileProblem::DiskFull: return QStringLiteral("空き容量が足りません");
    case FileProblem::FolderMissing: return QStringLiteral("フォルダが見つかりません");
    case FileProblem::IsFolder: return QStringLiteral("同じ名前のフォルダがあります");
    case FileProblem::IsFile: return QStringLiteral("同じ名前のファイルがあります");
    case FileProblem::NotFound: return QStringLiteral("ファイルが見つかりません");
    case FileProblem::NotReadable: return QStringLiteral("ファイルを読み取る権限がありません");
    case FileProblem::BrokenLink: return QStringLiteral("リンク先がたどれません");
    case FileProblem::IsLink: return QStringLiteral("シンボリックリンクです。リンク先には書き込みません");
    case FileProblem::TooLarge: return QStringLiteral("ファイルが大きすぎます");
    case FileProblem::Unreadable: return QStringLiteral("ファイルの内容を読み取れません（壊れているか、対応していない形式です）");
    case FileProblem::Other: break;
    }
    return QStringLiteral("ファイルを読み書きできません");
}

QString failureLine(const FileFailure& failure)
{
    return QStringLiteral("%1：%2").arg(QDir::toNativeSeparators(failure.path), problemText(failure.problem));
}

} // namespace model
