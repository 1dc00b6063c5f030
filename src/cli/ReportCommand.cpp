#include "cli/ReportCommand.h"

#include "cli/SheetFile.h"
#include "cli/SheetJudgement.h"
#include "cli/SheetWorkers.h"
#include "model/FileFailure.h"
#include "model/NumberText.h"
#include "chartmodel/ChartModel.h"
#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
#include "reports/ResultReport.h"
#include "reports/ReportFiles.h"
#include "spreadsheet/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <memory>
#include <optional>

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

// One sheet judged and its report's data built, ready to be written.
struct PreparedSheet {
    bool judged = false; // the capability judgement gave a result
    std::optional<chartmodel::ChartModel> model;
    std::unique_ptr<JudgedView> view; // the result workbook's grids point into it
    QString problem;                  // a text that did not convert
};

PreparedSheet prepare(const ReportCommand& command, const ReportSheet& sheet, const QDateTime& when)
{
    PreparedSheet p;
    auto judged = std::make_unique<JudgedView>(judgeView(sheet.record, command.options, sheet.afterEntry));
    // As the report buttons: without a capability result there is nothing to report.
    p.judged = !judged->view.capabilityResult.isEmpty();
    if (!p.judged) return p;
    p.model = chartmodel::buildChartModel(judged->view, command.classes, when);
    if (command.kind == ReportKind::Control && p.model->control.error) p.problem = p.model->control.error->message();
    // Only the result workbook writes the view's grids; the others let it go here.
    if (command.kind == ReportKind::Result) p.view = std::move(judged);
    return p;
}

// Fills the report of a prepared sheet and returns the path; the session hands nothing over:
// the workbook stays where it was saved.
QString write(const PreparedSheet& p, ReportKind kind, const QString& tag, const reports::ReportFolders& folders, const QDateTime& when)
{
    reports::ExcelSession session;
    QString path;
    try {
        switch (kind) {
        case ReportKind::Control: path = reports::fillControlChart(session, folders, when, *p.model, tag); break;
        case ReportKind::Histogram: path = reports::fillHistogram(session, folders, when, *p.model, tag); break;
        case ReportKind::Result: {
            reports::ResultGrids grids = reports::resultGrids(p.view->view, p.view->record, *p.model);
            grids.fileTag = tag;
            path = reports::writeResultWorkbook(session, folders, when, grids);
            break;
        }
        }
    } catch (...) {
        session.endClosing();
        reports::rethrowReportError(session); // saying so when the failed fill removed its copy
    }
    session.endClosing(); // saved already: closing keeps the file as it is
    return path;
}

void checkFolder(const ReportCommand& command)
{
    const QFileInfo folder(command.folder);
    if (!folder.exists()) throw FileError(command.folder, QStringLiteral("出力先のフォルダがありません"));
    if (!folder.isDir()) throw FileError(command.folder, QStringLiteral("出力先がフォルダではありません"));
}

} // namespace

ReportRun writeReports(const ReportCommand& command, const QString& programFolder)
{
    checkFolder(command);
    const std::vector<model::SheetRecord> records = readSheetFile(command.file);
    const std::vector<int> numbers = chosenSheets(int(records.size()), command.options.sheet, command.file);
    std::vector<ReportSheet> sheets;
    for (int number : numbers)
        // "03_": the reports of a run sort by sheet number in the folder.
        sheets.push_back({records[size_t(number - 1)], QStringLiteral("シート%1").arg(number),
                          QStringLiteral("%1_").arg(number, 2, 10, QChar(u'0')), {}});
    return writeSheetReports(command, programFolder, sheets, command.options.sheet.has_value());
}

ReportRun writeSheetReports(const ReportCommand& command, const QString& programFolder, const std::vector<ReportSheet>& sheets,
                            bool eachRequired)
{
    checkFolder(command);
    // Judging and building are independent per sheet; the workbooks are written one after the
    // other, each sheet's data let go once its workbook is written.
    const QDateTime when = QDateTime::currentDateTime();
    std::vector<PreparedSheet> prepared(sheets.size());
    forEachSheet(int(sheets.size()), [&](int i) { prepared[size_t(i)] = prepare(command, sheets[size_t(i)], when); });

    const reports::ReportFolders folders{programFolder + QStringLiteral("/Form Files"), command.folder};
    ReportRun run;
    for (size_t i = 0; i < sheets.size(); ++i) {
        const QString sheet = sheets[i].name + QStringLiteral(": ");
        PreparedSheet& p = prepared[i];
        if (!p.judged) {
            if (eachRequired) run.problems << sheet + QStringLiteral("判定結果がないため帳票を作成できません");
            continue;
        }
        if (!p.problem.isEmpty()) {
            run.problems << sheet + p.problem;
            continue;
        }
        try {
            run.written << write(p, command.kind, sheets[i].tag, folders, when);
        } catch (const spreadsheet::Error& e) {
            run.problems << sheet + problemOf(e);
        } catch (const model::ConvertError& e) {
            run.problems << sheet + e.message();
        }
        p = PreparedSheet{};
    }
    if (run.written.isEmpty() && run.problems.isEmpty())
        run.problems << QStringLiteral("判定結果のあるシートがないため帳票を作成できません");
    return run;
}

} // namespace cli
