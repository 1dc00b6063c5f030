// The sheet file formats behind one interface: which files each takes, what its writer writes
// as read back by the format of the written name, and why a file is not taken.
#include "ExchangeTestSupport.h"

#include "exchange/SheetFormat.h"
#include "exchange/SheetLayout.h"
#include "model/DataLine.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/Workers.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace exchange;

namespace {

// Sheet n: item "Item<n>", lots "L<n>-1" and "L<n>-2" of two measurements.
model::SheetStore threeSheets()
{
    model::SheetStore store;
    store.resize(3, true, model::AppSettings::defaults(), 2, 2);
    for (int n = 1; n <= 3; ++n) {
        model::SheetRecord& r = store[n - 1];
        SheetLayout::setFields(r, {"P", "Press", "M1", QStringLiteral("Item%1").arg(n), "mm", "公差規格", "2", "10.50", "9.50"});
        r.lotCount = 2;
        r.measurementCount = 2;
        r.enableFlags = QStringList{"1", "1"};
        r.dataLines = QStringList{model::writeDataLine(QStringLiteral("L%1-1").arg(n), {"10.25", QStringLiteral("10.0%1").arg(n)}),
                                  model::writeDataLine(QStringLiteral("L%1-2").arg(n), {"9.75", "9.8"})};
    }
    return store;
}

// Item, lot numbers and the first two cells of the first two lots: what the operator entered.
QStringList entered(const model::SheetRecord& r)
{
    QStringList out{r.item};
    for (int lot = 0; lot < 2; ++lot) {
        const model::ParsedDataLine line = model::readDataLine(r.dataLines[lot]);
        out << line.lotNumber + u'|' + line.cells.mid(0, 2).join(u'|');
    }
    return out;
}

} // namespace

TEST(SheetFormat, EachFileIsTakenByTheFormatItsNameSays)
{
    EXPECT_EQ(&readingFormat("/in/Sheet1.CSV"), &csvFormat());
    EXPECT_EQ(&readingFormat("/in.csv/book.Xls"), &xlsFormat());
    EXPECT_EQ(&readingFormat("/in/book.csv.xlsx"), &xlsxFormat());
    // The engine tells a workbook's kind by its contents: any other name is read as one.
    EXPECT_EQ(&readingFormat("/in/data.txt"), &xlsxFormat());
    EXPECT_EQ(&readingFormat("/in/book"), &xlsxFormat());
    EXPECT_FALSE(csvFormat().supportsFile("/in/Sheet1.csv.bak"));

    // One dialog entry per description, the patterns in the order given.
    EXPECT_EQ(nameFilter({&csvFormat(), &xlsFormat(), &xlsxFormat()}),
              "CSVファイル (カンマ区切り) (*.csv)|*.csv|Excelブック (*.xls;*.xlsx)|*.xls;*.xlsx");
    EXPECT_EQ(xlsxFormat().nameFilter(), "Excelブック (*.xlsx)|*.xlsx");
}

TEST(SheetFormat, WhatEachWriterWritesIsReadBackByTheFormatOfTheWrittenName)
{
    QTemporaryDir dir;
    const model::SheetStore store = threeSheets();

    // CSV: a file per sheet in the folder, each announced before and after it is written.
    QStringList steps;
    const QStringList files = csvFormat().write(
        dir.path(), {.store = store,
                     .headingLine = QStringLiteral("ﾛｯﾄ№,N1,N2"),
                     .beforeSheet = [&](int i, const QString& name) { steps << QStringLiteral("%1 %2").arg(i).arg(name); },
                     .afterSheet = [&](int i) { steps << QString::number(i); }});
    EXPECT_EQ(steps, (QStringList{"0 Sheet1.csv", "0", "1 Sheet2.csv", "1", "2 Sheet3.csv", "2"}));
    ASSERT_EQ(files.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(files[i], QDir(dir.path()).filePath(QStringLiteral("Sheet%1.csv").arg(i + 1)));
        const SheetsRead back = readingFormat(files[i]).read(files[i]);
        ASSERT_TRUE(back.taken()) << back.warning(files[i]).toStdString();
        ASSERT_EQ(back.records.size(), 1u);
        EXPECT_EQ(entered(back.records[0]), entered(store[i]));
    }

    // Workbook: a name without a suffix gets the workbook's; a sheet that is not a number where
    // a measurement stands is reported as it is written.
    model::SheetStore withText = store;
    withText[1].dataLines[0] = model::writeDataLine("L2-1", {"10.25", "1O.5"});
    QList<int> unsuitable;
    const QString named = dir.filePath("book");
    EXPECT_EQ(xlsxFormat().writtenPath(named), named + ".xlsx");
    const QStringList book = xlsxFormat().write(
        named, {.store = withText, .unsuitableSheet = [&](int i, const sheetview::Notice&) { unsuitable << i; }});
    EXPECT_EQ(book, QStringList{named + ".xlsx"});
    EXPECT_EQ(unsuitable, QList<int>{1});
    EXPECT_FALSE(QFileInfo::exists(named));
    const SheetsRead back = readingFormat(book[0]).read(book[0]);
    ASSERT_TRUE(back.taken()) << back.warning(book[0]).toStdString();
    ASSERT_EQ(back.records.size(), 3u);
    EXPECT_EQ(back.count, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(entered(back.records[size_t(i)]), entered(withText[i]));

    // The legacy workbook is read only: a write to it names the workbook that would be written
    // and makes no file.
    EXPECT_FALSE(xlsFormat().hasWriter());
    EXPECT_EQ(xlsFormat().writtenPath(dir.filePath("old.xls")), dir.filePath("old.xlsx"));
    EXPECT_THROW(xlsFormat().write(dir.filePath("old.xls"), {.store = store}), spreadsheet::Error);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("old.xls")) || QFileInfo::exists(dir.filePath("old.xlsx")));
}

TEST(SheetFormat, AFileNotTakenSaysWhyAndHoldsNoRecord)
{
    QTemporaryDir dir;
    const QString gone = dir.filePath("gone.csv");
    const SheetsRead missing = csvFormat().read(gone);
    EXPECT_EQ(missing.failure, ReadFailure::Unreadable);
    EXPECT_TRUE(missing.records.empty());
    EXPECT_FALSE(missing.cause.isEmpty());
    EXPECT_EQ(missing.warning(gone), "CSVファイルのオープンに失敗しました。ファイルの内容を確認してください…。\n"
                                         + QDir::toNativeSeparators(gone) + "：ファイルが見つかりません");

    spreadsheet::Application app;
    // 101 worksheets: more than the window takes, counted before any is read.
    app.setSheetsInNewWorkbook(101);
    const QString many = app.addWorkbook().saveAs(dir.filePath("many.xlsx"));
    const SheetsRead tooMany = readingFormat(many).read(many);
    EXPECT_EQ(tooMany.failure, ReadFailure::TooManySheets);
    EXPECT_EQ(tooMany.count, 101);
    EXPECT_TRUE(tooMany.records.empty());
    EXPECT_EQ(tooMany.warning(many), "シートの最大値を超えました。Excelファイルのシート数を確認してください…。");

    // A character the sheet files cannot hold, in worksheet 2: nothing of the file is taken.
    app.setSheetsInNewWorkbook(2);
    spreadsheet::Workbook wb = app.addWorkbook();
    wb.worksheet(1).range("D2").setValue(QStringLiteral("外径"));
    wb.worksheet(2).range("E2").setValue(QStringLiteral("mm😀"));
    const QString micro = wb.saveAs(dir.filePath("micro.xlsx"));
    const SheetsRead notHeld = xlsxFormat().read(micro);
    EXPECT_EQ(notHeld.failure, ReadFailure::NotHeld);
    EXPECT_TRUE(notHeld.records.empty());
    EXPECT_TRUE(notHeld.message.contains("ワークシート2のセルE2")) << notHeld.message.toStdString();
    EXPECT_EQ(notHeld.warning(micro), notHeld.message);
}

TEST(SheetFormat, AWorkbookFilledOnEveryCoreIsTheOneALoopFills)
{
    // Sheets of every digits count (each adds a number format to the shared styles), a lot number
    // typing would change, and values that are not numbers (a warning for those sheets).
    model::SheetStore store;
    store.resize(12, true, model::AppSettings::defaults(), 2, 2);
    for (int n = 0; n < 12; ++n) {
        model::SheetRecord& r = store[n];
        SheetLayout::setFields(r, {"P", "Press", "M1", QStringLiteral("Item%1").arg(n), "mm", "公差規格", QString::number(n % 6), "10.5", "9.5"});
        r.lotCount = 2;
        r.measurementCount = 2;
        r.enableFlags = QStringList{"1", "1"};
        r.dataLines = QStringList{model::writeDataLine(QStringLiteral("00%1").arg(n), {"10.25", n % 5 == 2 ? "x" : "10.0"}),
                                  model::writeDataLine(QStringLiteral("L%1").arg(n), {"9.75", "9.8"})};
    }
    QTemporaryDir dir;
    const auto write = [&](const char* name, const ForEachWorksheet& forEach, std::vector<int>& warned) {
        const QString path = xlsxFormat()
                                 .write(dir.filePath(name), {.store = store,
                                                             .unsuitableSheet = [&](int i, const sheetview::Notice&) { warned.push_back(i); },
                                                             .forEach = forEach})
                                 .value(0);
        return testing_support::unpack(exchange_test::readAll(path));
    };
    std::vector<int> warnedInOrder, warnedAtOnce, warnedBackwards;
    const testing_support::Parts inOrderParts = write("loop.xlsx", inOrder, warnedInOrder);
    ASSERT_FALSE(inOrderParts.empty());
    EXPECT_EQ(warnedInOrder, (std::vector<int>{2, 7}));
    EXPECT_EQ(write("cores.xlsx", spreadsheet::forEachIndex, warnedAtOnce), inOrderParts);
    EXPECT_EQ(warnedAtOnce, warnedInOrder);
    // The sheets taken last to first, as threads may take them: still the loop's workbook.
    const auto backwards = [](int count, const std::function<void(int)>& step) {
        for (int i = count - 1; i >= 0; --i) step(i);
    };
    EXPECT_EQ(write("backwards.xlsx", backwards, warnedBackwards), inOrderParts);
    EXPECT_EQ(warnedBackwards, warnedInOrder);
}
