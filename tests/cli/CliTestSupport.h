// Runs the real quorvane-cli and writes the files it reads.
#pragma once
#include "ImportedSheet.h"
#include "TestSupport.h"

#include "exchange/CsvWriter.h"
#include "exchange/WorkbookExport.h"
#include "model/SheetRecord.h"
#include "spreadsheet/Application.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace cli_test {

inline QString q(const char* s) { return QString::fromUtf8(s); }

struct CliResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json() const
    {
        QJsonParseError error;
        const QJsonDocument d = QJsonDocument::fromJson(out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return d.object();
    }
};

inline CliResult runCli(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral(QUORVANE_CLI), arguments);
    CliResult r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "quorvane-cli did not finish: " << arguments.join(' ').toStdString();
        return r;
    }
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// A sheet as an import leaves it: tolerance 9.5 to 10.5, three decimals, the given data lines.
inline model::SheetRecord sheet(const QString& item, std::initializer_list<const char*> lines, int lots = 10,
                                int measurements = 3)
{
    return test_support::importedSheet(item, lines, lots, measurements);
}

inline void writeWorkbook(const QString& path, const std::vector<model::SheetRecord>& sheets)
{
    model::SheetStore store;
    store.resize(int(sheets.size()), false, model::AppSettings::defaults(), 0, 0);
    for (size_t i = 0; i < sheets.size(); ++i) store[int(i)] = sheets[i];
    spreadsheet::Application application;
    exchange::WriteWorkbookSheets(application, store).workbook.saveAs(path);
}

inline void writeCsv(const QString& path, const model::SheetRecord& sheet)
{
    QStringList headings;
    for (int c = 1; c <= sheet.measurementCount; ++c) headings.append(QStringLiteral("N%1").arg(c));
    exchange::WriteSheetCsv(path, sheet, 1, exchange::csvHeadingLine(q("ﾛｯﾄ№"), headings));
}

} // namespace cli_test
