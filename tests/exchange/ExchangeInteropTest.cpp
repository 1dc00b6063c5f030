// Workbooks of other programs imported, and the exported workbook read by another program.
#include "ExchangeTestSupport.h"

#include "exchange/CsvWriter.h"
#include "exchange/SheetLayout.h"
#include "exchange/SheetReader.h"
#include "exchange/WorkbookExport.h"
#include "model/DataLine.h"
#include "spreadsheet/CellRef.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace exchange;
using testing_support::python;
using testing_support::run;
using testing_support::soffice;

namespace {

QString layoutScript() { return QStringLiteral(QUORVANE_TEST_DATA "/make_layout_workbook.py"); }

QStringList cellsOf(const model::SheetRecord& r, int lot, int n)
{
    return model::readDataLine(r.dataLines.value(lot)).cells.mid(0, n);
}

// The layout workbook's first sheet as every import must see it.
void expectLayoutSheet(const model::SheetRecord& r)
{
    EXPECT_EQ(r.product, "P-100");
    EXPECT_EQ(r.item, "外径");
    EXPECT_EQ(r.digits, "3");
    EXPECT_EQ(r.specUpper, "10.5");
    EXPECT_EQ(r.specLower, "9.5");
    EXPECT_EQ(r.lotCount, 3);
    EXPECT_EQ(r.measurementCount, 3);
    EXPECT_EQ(model::readDataLine(r.dataLines[0]).lotNumber, "0012");
    EXPECT_EQ(cellsOf(r, 0, 3), (QStringList{"5.125", "10.25", "10.25"}));
    EXPECT_EQ(cellsOf(r, 1, 3), (QStringList{"5", "", "10"}));
    EXPECT_EQ(cellsOf(r, 2, 3), (QStringList{"4.875", "9.75", "9.75"}));
}

} // namespace

TEST(ExchangeInterop, LibreOfficeWorkbooksImportFormulaResultsAsValues)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("formulas.xlsx");
    run(python(), {layoutScript(), source, "--formulas"});
    soffice({"--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", dir.filePath("lo-xlsx"), source});
    soffice({"--convert-to", "xls:MS Excel 97", "--outdir", dir.filePath("lo-xls"), source});

    const ReadResult xlsx = ReadSheets(ReadMode::Workbook, dir.filePath("lo-xlsx/formulas.xlsx"));
    ASSERT_EQ(xlsx.records.size(), 2u);
    expectLayoutSheet(xlsx.records[0]);

    const ReadResult xls = ReadSheets(ReadMode::Workbook, dir.filePath("lo-xls/formulas.xls"));
    ASSERT_EQ(xls.records.size(), 2u);
    const model::SheetRecord& r = xls.records[0];
    EXPECT_EQ(model::readDataLine(r.dataLines[0]).lotNumber, "0012");
    EXPECT_EQ(r.specUpper, "10.5");
    // A measurement the legacy workbook holds as a formula imports as its value, never as a blank.
    EXPECT_EQ(cellsOf(r, 0, 3), (QStringList{"5.125", "10.25", "10.25"}));
    EXPECT_EQ(cellsOf(r, 2, 3), (QStringList{"4.875", "9.75", "9.75"}));
}

TEST(ExchangeInterop, ExportedWorkbookReadByOpenpyxlShowsTheLayout)
{
    model::SheetStore store;
    store.resize(2, true, model::AppSettings::defaults(), 10, 2);
    model::SheetRecord& r = store[0];
    SheetLayout::setFields(r, {"0012", "Press", "M1", "外径", "mm", "公差規格", "0", "10.5", "9.5"});
    r.enableFlags = QStringList{"1", "0", "1"};
    r.dataLines = QStringList{"K001,10.4,9.6", "K002,1,2", "\"K,3\",10.6,"};
    store[1].digits = "5";
    store[1].dataLines = QStringList{"A,1.5"};

    QTemporaryDir dir;
    spreadsheet::Application app;
    WorkbookSheets written = WriteWorkbookSheets(app, store);
    EXPECT_TRUE(written.unsuitableSheets.empty());
    const QString file = written.workbook.saveAs(dir.filePath("export.xlsx"));

    const QString script = QStringLiteral(
        "import json, sys, openpyxl\n"
        "wb = openpyxl.load_workbook(sys.argv[1])\n"
        "out = {ws.title: {c.coordinate: [c.value if not isinstance(c.value, float) else repr(c.value), c.number_format]"
        " for row in ws.iter_rows() for c in row if c.value is not None or c.number_format != 'General'} for ws in wb.worksheets}\n"
        "json.dump(out, sys.stdout, ensure_ascii=False)\n");
    const QJsonObject book = QJsonDocument::fromJson(run(python(), {"-c", script, file})).object();
    ASSERT_EQ(book.keys(), (QStringList{"Sheet1", "Sheet2"}));
    const QJsonObject s1 = book.value("Sheet1").toObject();
    const QStringList labels = SheetLayout::labels();
    for (int c = 0; c < 9; ++c) EXPECT_EQ(s1.value(QString(QChar('A' + c)) + u'1').toArray().at(0).toString(), labels[c]);
    // Cell, value ("-" for none at all), number format. Fields and measurements are entered as
    // typed, but a name typing would change ("0012") stays text; lot 2 is disabled, so lot 3 follows lot 1, then the default lots K004.. of the ten
    // shown; digits 0 round the measurements as the view does; the block keeps its rows.
    const struct {
        const char *cell, *value, *format;
    } expected[] = {{"A2", "0012", "General"},  {"D2", "外径", "General"}, {"G2", "0", "General"},  {"H2", "10.5", "0_ "},
                    {"I2", "9.5", "0_ "},     {"A3", "-", ""},           {"A4", "ﾛｯﾄ№", "General"}, {"B4", "N1", "General"},
                    {"C4", "N2", "General"},  {"D4", "-", ""},           {"A5", "K001", "General"}, {"B5", "10", "0_ "},
                    {"C5", "10", "0_ "},      {"A6", "K,3", "General"},  {"B6", "11", "0_ "},     {"C6", "", "0_ "},
                    {"A7", "K004", "General"}, {"A13", "K010", "General"}, {"A14", "-", ""},      {"C14", "", "0_ "},
                    {"C15", "-", ""}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.cell);
        if (e.value == std::string("-")) {
            EXPECT_FALSE(s1.contains(e.cell));
            continue;
        }
        const QJsonArray cell = s1.value(e.cell).toArray();
        EXPECT_EQ(cell.at(0).toVariant().toString(), QString::fromUtf8(e.value));
        EXPECT_EQ(cell.at(1).toString(), QString::fromUtf8(e.format));
    }
    const QJsonObject s2 = book.value("Sheet2").toObject();
    EXPECT_EQ(s2.value("D2").toArray().at(0).toString(), "Sheet2");
    EXPECT_EQ(s2.value("B5").toArray().at(1).toString(), "0.00000_ ");
}

namespace {

// Names and lot numbers that must come back exactly as entered, whatever the file: codes that
// read as numbers the spreadsheet would show otherwise (16 and more digits, a signed zero, a
// leading zero, an exponent, a sum's binary tail), and texts it shows as they are.
const QStringList kEnteredTexts = {"2024120712345678", "0.1234567890123456", "-0", "0012", "1e3", "+5", "1.0",
                                   "0.30000000000000004", "12345678901234567890", "123456789012345", "12", "-12.5",
                                   "10.5", "0.001", "K001", "外径"};

// One sheet per text: the five name fields hold it; every sheet's lots are all the texts.
model::SheetStore storeOfTexts()
{
    model::SheetStore store;
    store.resize(int(kEnteredTexts.size()), true, model::AppSettings::defaults(), int(kEnteredTexts.size()), 1);
    for (int s = 0; s < store.count(); ++s) {
        const QString& t = kEnteredTexts[s];
        model::SheetRecord& r = store[s];
        SheetLayout::setFields(r, {t, t, t, t, t, "公差規格", "3", "10.5", "9.5"});
        r.lotCount = int(kEnteredTexts.size());
        r.measurementCount = 1;
        r.enableFlags.clear();
        r.dataLines.clear();
        for (const QString& lot : kEnteredTexts) {
            r.enableFlags.append("1");
            r.dataLines.append(lot + QStringLiteral(",1.5"));
        }
    }
    return store;
}

void expectTextsKept(const model::SheetRecord& r, const QString& text)
{
    const QStringList fields = SheetLayout::fields(r);
    for (int f = 0; f < 5; ++f) EXPECT_EQ(fields[f], text) << "field " << f;
    for (int i = 0; i < kEnteredTexts.size(); ++i) EXPECT_EQ(model::readDataLine(r.dataLines.value(i)).lotNumber, kEnteredTexts[i]);
}

// Cell (row, column) of sheet s as the other program shows it: a text as it is, a number with
// the 15 significant digits a spreadsheet shows.
QString shown(const QJsonObject& book, int s, int row, int column)
{
    const QJsonObject sheet = book.value(QStringLiteral("Sheet%1").arg(s + 1)).toObject();
    const QJsonArray cell = sheet.value(spreadsheet::columnLetters(column) + QString::number(row)).toArray();
    if (cell.at(0).toString() == "n") return QString::number(cell.at(1).toString().toDouble(), 'g', 15);
    return cell.at(1).toString();
}

} // namespace

TEST(ExchangeInterop, NamesAndLotNumbersComeBackAsEnteredFromWorkbooksAndCsvFiles)
{
    const model::SheetStore store = storeOfTexts();
    QTemporaryDir dir;

    // The workbook, read by another program and by our import.
    spreadsheet::Application app;
    const QString book = WriteWorkbookSheets(app, store).workbook.saveAs(dir.filePath("texts.xlsx"));
    const QJsonObject dumped = QJsonDocument::fromJson(run(python(), {testing_support::toolsFolder() + "/openpyxl_dump.py", book}))
                                   .object()
                                   .value(book)
                                   .toObject();
    ASSERT_EQ(dumped.size(), kEnteredTexts.size());
    const ReadResult read = ReadSheets(ReadMode::Workbook, book);
    ASSERT_EQ(read.records.size(), size_t(kEnteredTexts.size()));
    for (int s = 0; s < kEnteredTexts.size(); ++s) {
        SCOPED_TRACE(kEnteredTexts[s].toStdString());
        for (int c = 1; c <= 5; ++c) EXPECT_EQ(shown(dumped, s, 2, c), kEnteredTexts[s]) << "column " << c;
        for (int i = 0; i < kEnteredTexts.size(); ++i) EXPECT_EQ(shown(dumped, s, 5 + i, 1), kEnteredTexts[i]);
        expectTextsKept(read.records[size_t(s)], kEnteredTexts[s]);
    }
    // Measurements stay numbers with the sheet's format.
    EXPECT_EQ(dumped.value("Sheet1").toObject().value("B5").toArray(), (QJsonArray{"n", "1.5"}));

    // The CSV files, read by Python's CSV reader and by our import.
    for (int s = 0; s < kEnteredTexts.size(); ++s) {
        SCOPED_TRACE(kEnteredTexts[s].toStdString());
        const QString csv = dir.filePath(csvFileName(s + 1));
        WriteSheetCsv(csv, store[s], s + 1, csvHeadingLine(lotHeading(), {measurementHeading(0)}));
        const QByteArray rows = run(python(), {"-c",
                                               "import csv, json, sys\n"
                                               "rows = list(csv.reader(open(sys.argv[1], encoding='cp932', newline='')))\n"
                                               "json.dump([rows[1][:5]] + [[r[0]] for r in rows[4:]], sys.stdout)\n",
                                               csv});
        const QJsonArray other = QJsonDocument::fromJson(rows).array();
        ASSERT_EQ(other.size(), kEnteredTexts.size() + 1);
        for (int c = 0; c < 5; ++c) EXPECT_EQ(other[0].toArray()[c].toString(), kEnteredTexts[s]);
        for (int i = 0; i < kEnteredTexts.size(); ++i) EXPECT_EQ(other[i + 1].toArray()[0].toString(), kEnteredTexts[i]);
        const ReadResult again = ReadSheets(ReadMode::Csv, csv);
        ASSERT_EQ(again.records.size(), 1u);
        expectTextsKept(again.records.front(), kEnteredTexts[s]);
    }
}
