// The main window's import and export commands: all sheets as CSV files or as one workbook,
// one CSV file into the shown sheet, a workbook replacing all sheets. The file work is in
// src/exchange; these handlers ask for the file, gather from the view, call it and apply the
// result.
#include "app/TMainForm.h"

#include "app/TSplashForm.h"
#include "exchange/CsvWriter.h"
#include "exchange/SheetFormat.h"
#include "exchange/UnencodableText.h"
#include "model/FileFailure.h"
#include "model/Text.h"
#include "model/UserFolders.h"
#include "sheetview/SheetEntry.h"
#include "spreadsheet/Error.h"
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
QString workbookFilter() { return exchange::nameFilter({&exchange::xlsFormat(), &exchange::xlsxFormat()}); }

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
        const int n = tabCtrl->count();
        exchange::csvFormat().write(folder, {.store = store_,
                                             .headingLine = exchange::csvHeadingLine(gridCtrl->cell(0, 0), headings),
                                             .beforeSheet = [&](int i, const QString& name) { busy.progress(name, i + 1, n); },
                                             .afterSheet = [this](int) { pauseKeepingWindowsPainted(csvFilePause); }});
        ui::showMessage(this, QDir::toNativeSeparators(folder) + QStringLiteral(" に保存されました。"), ui::kGuidanceCaption,
                        ui::MessageIcon::Warning);
    } catch (const exchange::UnencodableText& e) {
        // The files before this sheet's stay written; this one and the rest are not.
        warn(this, e.message());
    }
}

void TMainForm::mainMenuCsvImportClick()
{
    const exchange::SheetFormat& csv = exchange::csvFormat();
    const QString path = ui::interaction().openFileName(this, kOpenTitle, csv.nameFilter(), sampleFolder());
    if (path.isEmpty()) return;
    std::vector<sheetview::LimitFault> limitFaults;
    QString warning;
    {
        SplashGuard busy(splash_, QStringLiteral("CSVファイルを読み込み中です。"));
        exchange::SheetsRead read = csv.read(path);
        if (read.taken()) {
            // The shown sheet is replaced, not saved first; entering it again shows the file.
            const int index = tabCtrl->currentIndex();
            addLimitFaults(limitFaults, read.records.front(), index + 1);
            journalBeforeReplace(index);
            store_[index] = std::move(read.records.front());
            const QScopedValueRollback naming(importNamesLimits_, true);
            tabCtrlChange();
        }
        warning = read.warning(path); // shown once the busy window has closed
    }
    if (!warning.isEmpty()) warn(this, warning);
    else if (!limitFaults.empty()) warn(this, sheetview::unsuitableLimitsNotice(limitFaults).text);
}

void TMainForm::mainMenuXlsSaveClick()
{
    const exchange::SheetFormat& workbook = exchange::xlsxFormat();
    const QString path = ui::interaction().saveFileName(this, QStringLiteral("Excelブックに名前を付けて保存"), workbookFilter(),
                                                        saveFolder());
    if (path.isEmpty()) return;
    // Workbooks are written as .xlsx only: another name is written as .xlsx, which may be another
    // file of the operator's.
    const QString named = QFileInfo(path).absoluteFilePath();
    const QString target = workbook.writtenPath(named);
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
        const int n = store_.count();
        try {
            // Each sheet is written as entering it shows it; entering one with a value that is
            // not a number warns of it.
            written = workbook
                          .write(path, {.store = store_,
                                        .beforeSheet = [&](int i, const QString& name) { busy.progress(name, i + 1, n); },
                                        .unsuitableSheet =
                                            [&](int i, const sheetview::Notice& notice) {
                                                if (i != shown) warn(this, notice.text);
                                            }})
                          .value(0);
        } catch (const spreadsheet::Error& e) {
            // Reported below, once the busy window has closed.
            failure = model::failureLine(e.fileFailure() ? *e.fileFailure() : model::FileFailure{model::FileProblem::Other, target});
        }
        selectTab(shown);
        tabCtrlChange();
        if (!written.isEmpty())
            ui::showMessage(this, QStringLiteral("正常にExcelブックへの保存が完了しました。\n") + QDir::toNativeSeparators(written),
                            ui::kGuidanceCaption, ui::MessageIcon::Warning);
    }
    if (written.isEmpty()) warn(this, workbook.writeFailureText() + u'\n' + failure);
}

void TMainForm::mainMenuXlsImportClick()
{
    const QString path = ui::interaction().openFileName(this, kOpenTitle, workbookFilter(), sampleFolder());
    if (path.isEmpty()) return;
    QString warning;
    std::vector<sheetview::LimitFault> limitFaults;
    {
        SplashGuard busy(splash_, QStringLiteral("Excelブックを読み込み中です。"));
        // Whatever its name, the file is read as a workbook, every worksheet.
        exchange::SheetsRead read = exchange::xlsxFormat().read(path);
        warning = read.warning(path);
        if (read.taken()) {
            // Every worksheet was read: only now are the sheets replaced.
            const int n = read.count;
            for (size_t i = 0; i < read.records.size(); ++i) addLimitFaults(limitFaults, read.records[i], int(i) + 1);
            journalBeforeReplace(-1);
            exchange::replaceSheets(store_, std::move(read.records));
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
