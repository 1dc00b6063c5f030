#pragma once
// LibreOffice headless as the benchmarks' yardstick: conversions with a private profile that
// is created before the first measured run.
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class LibreOfficeConverter {
public:
    LibreOfficeConverter()
    {
        // The first start creates the profile; not part of any measurement.
        QFile warm(dir_.path() + QStringLiteral("/warm.csv"));
        warm.open(QIODevice::WriteOnly);
        warm.write("1\r\n");
        warm.close();
        convert(warm.fileName(), QStringLiteral("csv"));
    }

    // Converts a file into `format` ("csv", "xlsx") in a folder of the converter's own.
    bool convert(const QString& file, const QString& format)
    {
        QProcess p;
        p.start(QStringLiteral("soffice"), {QStringLiteral("-env:UserInstallation=file://") + dir_.path() + QStringLiteral("/profile"),
                                            "--headless", "--norestore", "--convert-to", format, "--outdir",
                                            dir_.path() + QStringLiteral("/out"), file});
        return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

private:
    QTemporaryDir dir_;
};
