#include "cli/Convert.h"

#include "cli/SheetFile.h"
#include "cli/SheetWorkers.h"
#include "exchange/CsvWriter.h"
#include "exchange/SheetGrids.h"
#include "exchange/SheetFormat.h"
#include "sheetview/SheetEntry.h"
#include "spreadsheet/Error.h"

#include <QFileInfo>

#include <memory>
#include <optional>

namespace cli {

namespace {

// "ﾛｯﾄ№,N1,N2,…": the headings of the sheet shown when the export starts, sheet 1 after a read.
QString headingLine(const sheetview::SheetView& shown)
{
    QStringList headings;
    for (int c = 0; c < shown.measurementColumns; ++c) headings.append(shown.cells.text(c, 0));
    return exchange::csvHeadingLine(shown.lots.text(0, 0), headings);
}

} // namespace

std::vector<ConvertedSheetNotice> convertSheets(const QString& input, const QString& output)
{
    const QFileInfo target(output);
    const bool folder = target.isDir();
    const exchange::SheetFormat& format = folder ? exchange::csvFormat() : exchange::xlsxFormat();
    if (!format.writesFolder() && !format.supportsFile(output))
        throw FileError(output, QStringLiteral("出力先には .xlsx のファイル名か、既存のフォルダを指定してください"));

    std::vector<model::SheetRecord> records = readSheetFile(input);
    const model::AppSettings app = model::AppSettings::defaults();
    model::SheetStore store;
    store.resize(int(records.size()), false, app, 0, 0);
    std::vector<std::optional<sheetview::Notice>> entering(records.size());
    // Entering a saved sheet again shows it as it was saved: the workbook takes the grids of
    // this one entering instead of entering every sheet a second time.
    std::vector<std::unique_ptr<exchange::SheetGrids>> grids(records.size());
    QString headings;
    forEachSheet(store.count(), [&](int i) {
        sheetview::EnteredSheet entered = sheetview::enterSheet(records[size_t(i)], app);
        records[size_t(i)] = {}; // read once; the saved record replaces it
        entering[size_t(i)] = entered.notice;
        if (i == 0) headings = headingLine(entered.view);
        sheetview::saveSheet(entered.view, store[i]);
        if (!folder) grids[size_t(i)] = std::make_unique<exchange::SheetGrids>(std::move(entered));
    });
    std::vector<ConvertedSheetNotice> notices;
    for (size_t i = 0; i < entering.size(); ++i)
        if (entering[i]) notices.push_back({int(i) + 1, *entering[i]});

    try {
        format.write(output, {.store = store,
                              .headingLine = headings,
                              .gridsOf = [&grids](int i) { return std::move(grids[size_t(i)]); },
                              .forEach = forEachSheet});
    } catch (const spreadsheet::Error& e) {
        // The file that failed (a folder export writes several) and why.
        if (const auto& f = e.fileFailure())
            throw FileError(f->path, e.message().section(u'\n', 0, 0) + QStringLiteral(" (") + model::problemText(f->problem) + u')');
        throw FileError(output, e.message());
    }
    return notices;
}

} // namespace cli
