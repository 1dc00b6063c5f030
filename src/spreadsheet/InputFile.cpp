#include "spreadsheet/InputFile.h"

#include "spreadsheet/Error.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace spreadsheet {

namespace {

const QString kOpenFailed = QStringLiteral("ファイルを開けませんでした。");

} // namespace

void openInputFile(QFile& file)
{
#ifdef Q_OS_UNIX
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile() && !info.isDir()) {
        // Opening a FIFO for reading waits for a writer; without O_NONBLOCK the open returns at
        // once, and blocking reads afterwards end at the writer's end (or at once without one).
        const int fd = ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            const int flags = ::fcntl(fd, F_GETFL);
            if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
                const int reason = errno;
                ::close(fd);
                throw fileError(kOpenFailed, model::readFailure(file.fileName(), reason));
            }
            if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
                ::close(fd);
                throw fileError(kOpenFailed, model::readFailure(file.fileName(), 0));
            }
            return;
        }
    }
#endif
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) throw fileError(kOpenFailed, model::readFailure(file.fileName(), errno));
}

QString inputName(const QString& path)
{
    for (const char* stdinPath : {"/dev/stdin", "/dev/fd/0", "/proc/self/fd/0"})
        if (path == QLatin1StringView(stdinPath)) return QStringLiteral("標準入力");
    return QDir::toNativeSeparators(path);
}

QByteArray readHead(QFile& file, qint64 n)
{
    QByteArray head(n, Qt::Uninitialized);
    qint64 got = 0;
    while (got < n) {
        const qint64 r = file.read(head.data() + got, n - got);
        if (r < 0) throw Error(QStringLiteral("The file cannot be read: %1").arg(file.errorString()));
        if (r == 0) break;
        got += r;
    }
    head.truncate(got);
    return head;
}

QByteArray readToEnd(QFile& file, qint64 limit, const QString& name, QByteArray bytes)
{
    // Grown in steps and never past the limit, so an endless stream holds at most limit + 1 bytes.
    constexpr qint64 kChunk = 1 << 20;
    for (;;) {
        const qint64 before = bytes.size();
        const qint64 want = std::min(kChunk, limit + 1 - before);
        if (want <= 0) break;
        bytes.resize(before + want);
        const qint64 n = file.read(bytes.data() + before, want);
        if (n < 0) throw Error(QStringLiteral("The file %1 cannot be read: %2").arg(name, file.errorString()));
        bytes.resize(before + n);
        if (n == 0) break;
    }
    if (bytes.size() > limit)
        throw fileError(QStringLiteral("%1 MB を超えるデータは読み込みません。").arg(limit >> 20), model::FileFailure{model::FileProblem::TooLarge, name});
    return bytes;
}

} // namespace spreadsheet
