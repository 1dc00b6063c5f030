#include "TestSupport.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/Zip.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testing_support {

Parts unpack(const QByteArray& package)
{
    Parts parts;
    for (auto& e : spreadsheet::readZip(package)) parts[e.name] = e.data;
    return parts;
}

QByteArray pack(const Parts& parts, int level)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    spreadsheet::ZipWriter zip(buffer, level);
    for (const auto& [name, data] : parts) zip.add(name, data);
    zip.finish();
    return buffer.data();
}

Parts newWorkbookParts() { return unpack(spreadsheet::Book::createNew(1)->toBytes()); }

QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(30000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return {};
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " timed out";
        return {};
    }
    const QByteArray err = p.readAllStandardError();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << " failed: " << err.toStdString();
        return {};
    }
    return p.readAllStandardOutput();
}

QString python()
{
    // Debian's interpreter carries python3-openpyxl; a user-installed python3 on PATH may not.
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
}

QByteArray soffice(const QStringList& arguments)
{
    static QTemporaryDir profile;
    QStringList args{QStringLiteral("-env:UserInstallation=file://") + profile.path(), QStringLiteral("--headless"),
                     QStringLiteral("--norestore")};
    args += arguments;
    return run(QStringLiteral("soffice"), args, 180000);
}

QString toolsFolder() { return QStringLiteral(QUORVANE_SOURCE_DIR) + QStringLiteral("/tools"); }

ProbeResult probe(const QString& path, int addressLimitMiB)
{
    QStringList args{path};
    if (addressLimitMiB > 0) args << QString::number(addressLimitMiB);
    const QString out = QString::fromUtf8(run(QStringLiteral(QUORVANE_SPREADSHEET_PROBE), args));
    ProbeResult r;
    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(QStringLiteral("ok "))) r.opened = true;
        else if (line.startsWith(QStringLiteral("error "))) r.message = line.mid(6);
        else if (line.startsWith(QStringLiteral("peak_kib "))) r.peakKiB = line.mid(9).toLongLong();
    }
    if (!r.opened && r.message.isEmpty()) ADD_FAILURE() << "the probe said nothing about " << path.toStdString() << ": " << out.toStdString();
    return r;
}

long long probeBaselineKiB()
{
    static const long long baseline = [] {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/tiny.xlsx");
        spreadsheet::Book::createNew(1)->save(path);
        return probe(path).peakKiB;
    }();
    return baseline;
}

bool underSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

void expectPeakBelow(const ProbeResult& r, double mib, const std::string& label)
{
    const double extra = static_cast<double>(r.peakKiB - probeBaselineKiB()) / 1024.0;
    EXPECT_LT(extra, underSanitizer() ? mib * 4 : mib) << label << ": " << extra << " MiB above the baseline";
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.path() + u'/' + QString::fromUtf8(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

void expectRefused(const QByteArray& bytes, const char* fragment, const char* label)
{
    try {
        spreadsheet::Book::fromBytes(bytes, "x");
        ADD_FAILURE() << label << ": accepted";
    } catch (const spreadsheet::Error& e) {
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(fragment), Qt::CaseInsensitive)) << label << ": " << e.message().toStdString();
    }
}

} // namespace testing_support
