#include "spreadsheet/InputFile.h"

#include "spreadsheet/Error.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace spreadsheet {

namespace {

QString shown(const QFile& file) { return QDir::toNativeSeparators(file.fileName()); }

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

QByteArray readToEnd(QFile& file, qint64 limit)
{
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, qint64(sizeof chunk));
        if (n < 0) throw Error(QStringLiteral("The file %1 cannot be read: %2").arg(shown(file), file.errorString()));
        if (n == 0) break;
        if (bytes.size() + n > limit) throw Error(QStringLiteral("The file %1 is larger than %2 bytes.").arg(shown(file)).arg(limit));
        bytes.append(chunk, n);
    }
    return bytes;
}

} // namespace spreadsheet
