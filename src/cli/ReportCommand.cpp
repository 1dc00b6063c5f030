#include "cli/ReportCommand.h"

#include "cli/SheetFile.h"
#include "cli/SheetJudgement.h"
#include "cli/SheetWorkers.h"
#include "model/FileFailure.h"
#include "model/NumberText.h"
#include "reports/ExcelSession.h"
#include "reports/ReportModel.h"
#include "spreadsheet/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <memory>

namespace cli {

namespace {

// One line for the operator: the error's first line and, for a file, which one and why.
QString problemOf(const spreadsheet::Error& e)
{
    const QString what = e.message().section(u'\n', 0, 0);
    if (const auto& f = e.fileFailure())
        return QStringLiteral("%1 (%2: %3)").arg(what, QDir::toNativeSeparators(f->path), model::problemText(f->problem));
    QString text = e.message();
    return text.replace(u'\n', u' ');
}

// Fills one report of a judged sheet and returns the path; the session hands nothing over:
// the workbook stays where it was saved.
QString writeReport(const ReportCommand& command, const JudgedView& judged, int number, const reports::ReportFolders& folders,
                    const QDateTime& when)
{
    reports::ExcelSession session;
    // "03_": sheets sort by number in the folder, one report of each beside the other.
    const QString tag = QStringLiteral("%1_").arg(number, 2, 10, QChar(u'0'));
    QString path;
    try {
        switch (command.kind) {
        case ReportKind::Control: {
            reports::ControlChartData data = reports::controlChartData(judged.view, when);
            data.fileTag = tag;
            path = reports::fillControlChart(session, folders, when, data);
            break;
        }
        case ReportKind::Histogram: {
            reports::HistogramData data = reports::histogramData(judged.view, command.classes, when);
            data.fileTag = tag;
            path = reports::fillHistogram(session, folders, when, data);
            break;
        }
        case ReportKind::Result: {
            reports::ResultGrids grids = reports::resultGrids(judged.view, judged.record, when);
            grids.fileTag = tag;
            path = reports::writeResultWorkbook(session, folders, when, grids);
            break;
        }
        }
    } catch (...) {
        session.endClosing();
        throw;
    }
    session.endClosing(); // saved already: closing keeps the file as it is
    return path;
}

} // namespace

ReportRun writeReports(const ReportCommand& command, const QString& programFolder)
{
    const QFileInfo folder(command.folder);
    if (!folder.exists()) throw FileError(command.folder, QStringLiteral("出力先のフォルダがありません"));
    if (!folder.isDir()) throw FileError(command.folder, QStringLiteral("出力先がフォルダではありません"));

    const std::vector<model::SheetRecord> records = readSheetFile(command.file);
    const JudgeOptions& o = command.options;
    if (o.sheet && *o.sheet > int(records.size()))
        throw FileError(command.file, QStringLiteral("シート %1 はありません (シート数 %2)").arg(*o.sheet).arg(records.size()));
    std::vector<int> numbers;
    for (int i = 1; i <= int(records.size()); ++i)
        if (!o.sheet || *o.sheet == i) numbers.push_back(i);

    // Judging is independent per sheet; the workbooks are written one after the other.
    std::vector<std::unique_ptr<JudgedView>> judged(numbers.size());
    forEachSheet(int(numbers.size()), [&](int i) {
        judged[size_t(i)] = std::make_unique<JudgedView>(judgeView(records[size_t(numbers[size_t(i)] - 1)], o));
    });

    const reports::ReportFolders folders{programFolder + QStringLiteral("/Form Files"), command.folder};
    const QDateTime when = QDateTime::currentDateTime();
    ReportRun run;
    for (size_t i = 0; i < numbers.size(); ++i) {
        const QString sheet = QStringLiteral("シート%1").arg(numbers[i]);
        // As the report buttons: without a capability result there is nothing to report.
        if (judged[i]->view.capabilityResult.isEmpty()) {
            if (o.sheet) run.problems << sheet + QStringLiteral(": 判定結果がないため帳票を作成できません");
            continue;
        }
        try {
            run.written << writeReport(command, *judged[i], numbers[i], folders, when);
        } catch (const spreadsheet::Error& e) {
            run.problems << sheet + QStringLiteral(": ") + problemOf(e);
        } catch (const model::ConvertError& e) {
            run.problems << sheet + QStringLiteral(": ") + e.message();
        }
        judged[i].reset();
    }
    if (run.written.isEmpty() && run.problems.isEmpty())
        run.problems << QStringLiteral("判定結果のあるシートがないため帳票を作成できません");
    return run;
}

} // namespace cli
