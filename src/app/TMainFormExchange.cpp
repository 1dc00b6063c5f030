// The main window's import and export commands: all sheets as CSV files or as one workbook,
// one CSV file into the shown sheet, a workbook replacing all sheets. The file work is in
// src/exchange; these handlers ask for the file, gather from the view, call it and apply the
// result.
#include "app/TMainForm.h"

#include "app/TSplashForm.h"
#include "exchange/CsvWriter.h"
#include "exchange/ImportedText.h"
#include "exchange/SheetGrids.h"
#include "exchange/UnencodableText.h"
#include "exchange/SheetReader.h"
#include "exchange/WorkbookExport.h"
#include "model/Text.h"
#include "model/UserFolders.h"
#include "sheetview/SheetEntry.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Error.h"
#include "model/FileFailure.h"
#include "ui/Interaction.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QEventLoop>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>

namespace {

const QString kOpenTitle = QStringLiteral("ファイルを開く");
const QString kWorkbookFilter = QStringLiteral("Excelブック (*.xls;*.xlsx)|*.xls;*.xlsx");

QString sampleFolder() { return TMainForm::programFolder() + QStringLiteral("/Sample Files/"); }
QString saveFolder() { return model::saveFilesFolder(TMainForm::programFolder()) + u'/'; }

void warn(QWidget* parent, const QString& text) { ui::showMessage(parent, text, ui::kWarningCaption, ui::MessageIcon::Warning); }

// The limits of imported records that are not numbers, each named with its sheet: the sheet
// number and, when it has one, the item its tab shows ("シート2（外径）").
void addLimitFaults(std::vector<sheetview::LimitFault>& faults, const model::SheetRecord& record, int sheetNumber)
{
    QString sheet = QStringLiteral("シート%1").arg(sheetNumber);
    if (!model::isBlank(record.item)) sheet += QStringLiteral("（") + record.item + QStringLiteral("）");
    for (sheetview::LimitFault& f : sheetview::limitFaults(record, sheet)) faults.push_back(std::move(f));
}

// The second line of an import warning: the file and why it could not be read.
QString readFailureLine(const QString& path, const std::exception& error)
{
    const auto* e = dynamic_cast<const spreadsheet::Error*>(&error);
    if (e && e->fileFailure()) return model::failureLine(*e->fileFailure());
    return model::failureLine({model::FileProblem::Unreadable, path});
}

// Waits without taking the operator's input (it waits in the queue until the export is done),
// while the busy window and the main window keep being painted.
void pauseKeepingWindowsPainted(int milliseconds)
{
    if (milliseconds <= 0) return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

void TMainForm::connectExchangeHandlers()
{
    on(mainMenuCsvSave, &QAction::triggered, &TMainForm::mainMenuCsvSaveClick);
    on(mainMenuCsvImport, &QAction::triggered, &TMainForm::mainMenuCsvImportClick);
    on(mainMenuXlsSave, &QAction::triggered, &TMainForm::mainMenuXlsSaveClick);
    on(mainMenuXlsImport, &QAction::triggered, &TMainForm::mainMenuXlsImportClick);
    for (QAction* a : {mainMenuCsvSave, mainMenuCsvImport, mainMenuXlsSave, mainMenuXlsImport}) a->setEnabled(true);
}

void TMainForm::mainMenuCsvSaveClick()
{
    const QString folder = ui::interaction().folderName(this, QStringLiteral("保存先フォルダの指定"), saveFolder());
    if (folder.isEmpty()) return;
    try {
        SplashGuard busy(splash_, QStringLiteral("CSVファイルに出力中です。"));
        SaveSheet(tabCtrl->currentIndex());
        // Every file gets the headings of the sheet shown now.
        QStringList headings;
        for (int c = 0; c < gridEdit->colCount(); ++c) headings.append(gridEdit->cell(c, 0));
        const QString headingLine = exchange::csvHeadingLine(gridCtrl->cell(0, 0), headings);
        exchange::RemoveStaleCsvTemporaries(folder);
        const int n = tabCtrl->count();
        for (int i = 0; i < n; ++i) {
            busy.progress(exchange::csvFileName(i + 1), i + 1, n);
            exchange::WriteSheetCsv(QDir(folder).filePath(exchange::csvFileName(i + 1)), store_[i], i + 1, headingLine);
            pauseKeepingWindowsPainted(csvFilePause);
        }
        ui::showMessage(this, QDir::toNativeSeparators(folder) + QStringLiteral(" に保存されました。"), ui::kGuidanceCaption,
                        ui::MessageIcon::Warning);
    } catch (const exchange::UnencodableText& e) {
        // The files before this sheet's stay written; this one and the rest are not.
        warn(this, e.message());
    }
}

void TMainForm::mainMenuCsvImportClick()
{
    const QString path = ui::interaction().openFileName(
        this, kOpenTitle, QStringLiteral("CSVファイル (カンマ区切り) (*.csv)|*.csv"), sampleFolder());
    if (path.isEmpty()) return;
    bool imported = false;
    std::vector<sheetview::LimitFault> limitFaults;
    QString refused;
    QString reason;
    {
        SplashGuard busy(splash_, QStringLiteral("CSVファイルを読み込み中です。"));
        try {
            exchange::ReadResult result = exchange::ReadSheets(exchange::ReadMode::Csv, path);
            if (const auto notHeld = exchange::fitToCp932(result.records))
                refused = exchange::notHeldImportMessage(*notHeld, exchange::ReadMode::Csv);
            else if (!result.records.empty()) {
                // The shown sheet is replaced, not saved first; entering it again shows the file.
                const int index = tabCtrl->currentIndex();
                addLimitFaults(limitFaults, result.records.front(), index + 1);
                journalBeforeReplace(index);
                store_[index] = std::move(result.records.front());
                const QScopedValueRollback naming(importNamesLimits_, true);
                tabCtrlChange();
                imported = true;
            }
        } catch (const std::exception& e) {
            reason = u'\n' + readFailureLine(path, e); // reported below, once the busy window has closed
        }
    }
    if (!refused.isEmpty()) warn(this, refused);
    else if (!imported) warn(this, QStringLiteral("CSVファイルのオープンに失敗しました。ファイルの内容を確認してください…。") + reason);
    else if (!limitFaults.empty()) warn(this, sheetview::unsuitableLimitsNotice(limitFaults).text);
}

void TMainForm::mainMenuXlsSaveClick()
{
    const QString path = ui::interaction().saveFileName(this, QStringLiteral("Excelブックに名前を付けて保存"), kWorkbookFilter,
                                                        saveFolder());
    if (path.isEmpty()) return;
    // The engine writes workbooks only: another name is written as .xlsx, which may be another
    // file of the operator's.
    const QString named = QFileInfo(path).absoluteFilePath();
    const QString target = spreadsheet::Workbook::savePathFor(named);
    if (target != named && QFileInfo::exists(target)
        && !ui::askYesNo(this,
                         QStringLiteral("ブックは「%1」として保存されます。\nこのファイルは既に存在します。置き換えますか？")
                             .arg(QDir::toNativeSeparators(target)),
                         ui::kWarningCaption, ui::MessageIcon::Warning))
        return;
    QString written;
    QString failure;
    {
        SplashGuard busy(splash_, QStringLiteral("Excelブックに出力中です。"));
        const int shown = tabCtrl->currentIndex();
        SaveSheet(shown);
        spreadsheet::Application application; // closes the workbook unsaved and quits on every way out
        const int n = store_.count();
        exchange::WorkbookSheets sheets = exchange::WriteWorkbookSheets(application, store_, [&](int i) {
            busy.progress(model::defaultSheetName(i + 1), i + 1, n);
            return std::make_unique<exchange::SheetGrids>(store_[i]);
        });
        // Each sheet is written as entering it shows it; entering one with a value that is not
        // a number warns of it.
        for (const exchange::WorkbookSheets::Warning& w : sheets.unsuitableSheets)
            if (w.sheet != shown) warn(this, w.notice.text);
        selectTab(shown);
        tabCtrlChange();
        try {
            written = sheets.workbook.saveAs(path);
        } catch (const spreadsheet::Error& e) {
            // Reported below, once the busy window has closed.
            failure = model::failureLine(e.fileFailure() ? *e.fileFailure() : model::FileFailure{model::FileProblem::Other, target});
        }
        if (!written.isEmpty())
            ui::showMessage(this, QStringLiteral("正常にExcelブックへの保存が完了しました。\n") + QDir::toNativeSeparators(written),
                            ui::kGuidanceCaption, ui::MessageIcon::Warning);
    }
    if (written.isEmpty()) warn(this, QStringLiteral("Excelブックの保存に失敗しました。保存先を確認してください…。\n") + failure);
}

void TMainForm::mainMenuXlsImportClick()
{
    const QString path = ui::interaction().openFileName(this, kOpenTitle, kWorkbookFilter, sampleFolder());
    if (path.isEmpty()) return;
    QString warning;
    std::vector<sheetview::LimitFault> limitFaults;
    {
        SplashGuard busy(splash_, QStringLiteral("Excelブックを読み込み中です。"));
        exchange::ReadResult result;
        try {
            result = exchange::ReadSheets(exchange::ReadMode::Workbook, path);
        } catch (const std::exception& e) {
            warning = QStringLiteral("Excelブックのオープンに失敗しました。拡張子がサポートされているか確認してください…。\n")
                    + readFailureLine(path, e);
        }
        if (warning.isEmpty() && result.count == 0)
            warning = QStringLiteral("Excelブックのオープンに失敗しました。ファイルの内容を確認してください…。");
        else if (warning.isEmpty() && result.tooManySheets())
            warning = QStringLiteral("シートの最大値を超えました。Excelファイルのシート数を確認してください…。");
        else if (warning.isEmpty()) {
            if (const auto notHeld = exchange::fitToCp932(result.records))
                warning = exchange::notHeldImportMessage(*notHeld, exchange::ReadMode::Workbook);
        }
        if (warning.isEmpty()) {
            // Every worksheet was read: only now are the sheets replaced.
            const int n = result.count;
            for (size_t i = 0; i < result.records.size(); ++i) addLimitFaults(limitFaults, result.records[i], int(i) + 1);
            journalBeforeReplace(-1);
            exchange::replaceSheets(store_, std::move(result.records));
            const QScopedValueRollback naming(importNamesLimits_, true);
            shownTab_ = -1; // the view belongs to no record until sheet 1 is entered
            {
                const QSignalBlocker block(spinTab);
                spinTab->setValue(n);
            }
            spinTabChange();
            selectTab(0);
            tabCtrlChange();
            for (int i = 0; i < n; ++i)
                if (tabCtrl->tabText(i) != store_[i].item) tabCtrl->setTabText(i, store_[i].item);
        }
    }
    if (!warning.isEmpty()) warn(this, warning);
    else if (!limitFaults.empty()) warn(this, sheetview::unsuitableLimitsNotice(limitFaults).text);
}
