// Opens one file with the spreadsheet engine and reports what happened and the process's peak
// memory, so tests can bound the memory a hostile file costs from outside the process.
// Usage: spreadsheet_probe FILE [ADDRESS_SPACE_LIMIT_MIB]
// Output: "ok <worksheets>" or "error <message>", then "peak_kib <n>".
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

// The high-water mark of this program's own memory. On Linux the process's maximum resident size
// (getrusage) also counts the process it was started from, up to the moment of exec; the
// memory map's own mark does not.
long peakKiB()
{
    long peak = 0;
#ifdef Q_OS_LINUX
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
#endif
#ifdef Q_OS_UNIX
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    peak = u.ru_maxrss;
#endif
    return peak;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
#ifdef Q_OS_UNIX
    if (argc > 2) {
        const rlim_t limit = static_cast<rlim_t>(std::strtoull(argv[2], nullptr, 10)) << 20;
        rlimit r{limit, limit};
        setrlimit(RLIMIT_AS, &r);
    }
#endif
    try {
        auto book = spreadsheet::Book::open(QString::fromLocal8Bit(argv[1]));
        std::printf("ok %d\n", book->worksheetCount());
    } catch (const spreadsheet::Error& e) {
        std::printf("error %s\n", e.message().toUtf8().constData());
    }
    std::printf("peak_kib %ld\n", peakKiB());
    return 0;
}
