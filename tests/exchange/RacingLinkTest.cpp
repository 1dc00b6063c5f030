// The exports while another user's loop keeps planting a link on the name being written and
// taking it away again: the file the link points to is never written.
#include "ImportedSheet.h"
#include "RacingLink.h"

#include "exchange/SheetFormat.h"
#include "model/SheetRecord.h"
#include "spreadsheet/Error.h"

#include <gtest/gtest.h>

namespace {

model::SheetStore oneSheet()
{
    model::SheetStore store;
    store.resize(1, false, model::AppSettings::defaults(), 0, 0);
    store[0] = test_support::importedSheet(QStringLiteral("外径"), {"K001,9.8,10.0,10.2", "K002,10.1,10.0,9.9"});
    return store;
}

// One export: true when it wrote its files, false when it refused (a link at the name).
bool exported(const exchange::SheetFormat& format, const QString& target, const model::SheetStore& store)
{
    try {
        format.write(target, {.store = store, .headingLine = QStringLiteral("ﾛｯﾄ№,N1,N2,N3")});
        return true;
    } catch (const spreadsheet::Error&) {
        return false;
    }
}

} // namespace

TEST(RacingLink, TheCsvFolderExportNeverWritesThroughIt)
{
    test_support::RacingLink race;
    const model::SheetStore store = oneSheet();
    race.race(QStringLiteral("Sheet1.csv"), [&] { return exported(exchange::csvFormat(), race.folder(), store); });
}

TEST(RacingLink, TheWorkbookExportNeverWritesThroughIt)
{
    test_support::RacingLink race;
    const model::SheetStore store = oneSheet();
    race.race(QStringLiteral("book.xlsx"), [&] { return exported(exchange::xlsxFormat(), race.path(QStringLiteral("book.xlsx")), store); });
}
