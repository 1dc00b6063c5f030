// Workbooks made by other programs read by the engine, and the engine's workbooks read by
// LibreOffice (headless) and openpyxl with the same values.
#include "TestSupport.h"

#include "spreadsheet/Application.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/NumberFormats.h"
#include "spreadsheet/SheetData.h"

#include "model/NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <xlsxwriter.h>
#include <zlib.h>

#include <cmath>
#include <map>

using namespace spreadsheet;
using testing_support::python;
using testing_support::run;
using testing_support::soffice;
using testing_support::toolsFolder;
using testing_support::Parts;
using testing_support::unpack;

namespace {

// A 1x1 PNG image, built here so the fixture needs no image file.
QByteArray tinyPng()
{
    auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray c;
        const quint32 n = static_cast<quint32>(data.size());
        c.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
        QByteArray body = QByteArray(type) + data;
        c += body;
        const quint32 crc = static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), static_cast<uInt>(body.size())));
        c.append(char(crc >> 24)).append(char(crc >> 16)).append(char(crc >> 8)).append(char(crc));
        return c;
    };
    const QByteArray ihdr("\0\0\0\1\0\0\0\1\x08\x02\0\0\0", 13);
    const unsigned char raw[] = {0, 200, 30, 30};
    unsigned char packed[64];
    uLongf packedSize = sizeof packed;
    compress(packed, &packedSize, raw, sizeof raw);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr)
           + chunk("IDAT", QByteArray(reinterpret_cast<const char*>(packed), static_cast<qsizetype>(packedSize))) + chunk("IEND", {});
}

// The report template shape: header row, 101 data rows (2..102) in columns A..H, a line chart
// over B2:B102 with categories A2:A102, a defined name, merged cells, a column width, an image
// and a second sheet whose formulas point into the data.
void makeXlsxwriterWorkbook(const QString& path)
{
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* wb = workbook_new(file.constData());
    ASSERT_NE(wb, nullptr);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Sheet1");
    const char* heads[] = {"ﾛｯﾄ№", "平均", "CL", "UCL", "LCL", "範囲", "CL_R", "UCL_R"};
    for (int c = 0; c < 8; ++c) worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), heads[c], nullptr);
    for (int i = 0; i < 101; ++i) {
        char lot[16];
        std::snprintf(lot, sizeof lot, "L%03d", i + 1);
        worksheet_write_string(ws, static_cast<lxw_row_t>(i + 1), 0, lot, nullptr);
        worksheet_write_number(ws, static_cast<lxw_row_t>(i + 1), 1, 10 + i * 0.01, nullptr);
        worksheet_write_number(ws, static_cast<lxw_row_t>(i + 1), 5, 0.5 + i * 0.001, nullptr);
    }
    worksheet_write_formula_num(ws, 1, 2, "=AVERAGE($B$2:$B$102)", nullptr, 10.5);
    worksheet_set_column(ws, 0, 0, 14, nullptr);
    worksheet_merge_range(ws, 29, 9, 30, 10, "merged", nullptr);
    const QByteArray png = tinyPng();
    worksheet_insert_image_buffer(ws, 39, 9, reinterpret_cast<const unsigned char*>(png.constData()), static_cast<size_t>(png.size()));
    worksheet_set_paper(ws, 9);
    lxw_chart* chart = workbook_add_chart(wb, LXW_CHART_LINE);
    lxw_chart_series* s = chart_add_series(chart, "=Sheet1!$A$2:$A$102", "=Sheet1!$B$2:$B$102");
    chart_series_set_name(s, "=Sheet1!$B$1");
    chart_add_series(chart, "=Sheet1!$A$2:$A$102", "=Sheet1!$F$2:$F$102");
    worksheet_insert_chart(ws, 1, 9, chart);
    workbook_define_name(wb, "Means", "=Sheet1!$B$2:$B$102");
    lxw_worksheet* ws2 = workbook_add_worksheet(wb, "Sheet2");
    worksheet_write_formula_num(ws2, 0, 0, "=SUM(Sheet1!B2:B102)", nullptr, 1060.5);
    worksheet_write_formula_num(ws2, 1, 0, "=Sheet1!F50", nullptr, 0.548);
    worksheet_write_formula_num(ws2, 2, 0, "=Sheet1!I50", nullptr, 0);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
}

double asNumber(const QString& s)
{
    const auto v = model::tryParseNumber(s);
    return v ? *v : std::nan("");
}

bool sameNumber(double a, double b) { return a == b || std::fabs(a - b) <= 1e-13 * std::max(std::fabs(a), std::fabs(b)); }

QList<QStringList> readUtf8Csv(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return readCsv("\xEF\xBB\xBF" + f.readAll());
}

// Every value cell of our workbook against what LibreOffice exported (one CSV per sheet) and
// what openpyxl read.
void compareWithOthers(const QString& ours, const QString& csvFolder, const QJsonObject& openpyxl)
{
    auto book = Book::open(ours);
    const QJsonObject sheets = openpyxl.value(ours).toObject();
    ASSERT_FALSE(sheets.isEmpty()) << ours.toStdString();
    for (int s = 0; s < book->worksheetCount(); ++s) {
        const QString name = book->worksheetName(s);
        const QList<QStringList> lo = readUtf8Csv(csvFolder + u'/' + QFileInfo(ours).completeBaseName() + u'-' + name + QStringLiteral(".csv"));
        const QJsonObject py = sheets.value(name).toObject();
        int compared = 0;
        for (const auto& [r, row] : book->cells(s).rows())
            for (const Cell& c : row) {
                const QString where = QStringLiteral("%1 %2!%3").arg(QFileInfo(ours).fileName(), name, formatA1({r, c.column}));
                const QJsonArray p = py.value(formatA1({r, c.column})).toArray();
                if (c.formula) {
                    EXPECT_EQ(p.at(1).toString(), u'=' + c.formula->text) << where.toStdString();
                    continue; // its value is the other program's to compute
                }
                if (!c.hasValue()) continue;
                const QString loText = r - 1 < lo.size() && c.column - 1 < lo[r - 1].size() ? lo[r - 1][c.column - 1] : QString();
                ++compared;
                switch (c.type) {
                case CellType::Number:
                    EXPECT_EQ(p.at(0).toString(), "n") << where.toStdString();
                    EXPECT_EQ(asNumber(p.at(1).toString()), c.number) << where.toStdString();
                    EXPECT_TRUE(sameNumber(asNumber(loText), c.number)) << where.toStdString() << " LibreOffice: " << loText.toStdString();
                    break;
                case CellType::Text:
                    EXPECT_EQ(p.at(1).toString(), c.text) << where.toStdString();
                    EXPECT_EQ(loText, c.text) << where.toStdString();
                    break;
                case CellType::Boolean:
                    EXPECT_EQ(p.at(1).toString(), c.booleanValue ? "TRUE" : "FALSE") << where.toStdString();
                    EXPECT_EQ(loText, c.booleanValue ? "TRUE" : "FALSE") << where.toStdString();
                    break;
                default: break;
                }
            }
        EXPECT_GT(compared + static_cast<int>(py.size()), 0) << name.toStdString();
    }
}

} // namespace

TEST(Interop, WorkbooksOfOtherProgramsRoundTripThroughTheEngine)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    const QString openpyxlFile = d + QStringLiteral("/openpyxl.xlsx");
    const QString xlsxwriterFile = d + QStringLiteral("/xlsxwriter.xlsx");
    run(python(), {toolsFolder() + QStringLiteral("/make_openpyxl_fixture.py"), openpyxlFile});
    makeXlsxwriterWorkbook(xlsxwriterFile);
    soffice({"--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", d + "/lo-xlsx", openpyxlFile});
    soffice({"--convert-to", "xls:MS Excel 97", "--outdir", d + "/lo-xls", openpyxlFile});

    // What each reads as.
    const struct {
        QString file;
        bool legacy;
    } sources[] = {{openpyxlFile, false}, {d + "/lo-xlsx/openpyxl.xlsx", false}, {d + "/lo-xls/openpyxl.xls", true}};
    for (const auto& src : sources) {
        SCOPED_TRACE(src.file.toStdString());
        auto book = Book::open(src.file);
        EXPECT_EQ(book->sourceFormat(), src.legacy ? SourceFormat::LegacyXls : SourceFormat::OfficeOpenXml);
        ASSERT_EQ(book->worksheetCount(), 2);
        EXPECT_EQ(book->worksheetName(0), "Data");
        EXPECT_EQ(book->worksheetName(1), "Second");
        EXPECT_EQ(book->text(0, 1, 1), "品種名称");
        EXPECT_EQ(book->text(0, 2, 2), "10.5");
        EXPECT_EQ(book->text(0, 2, 3), "0012");
        EXPECT_EQ(book->text(0, 2, 5), "-3.25E-07");
        EXPECT_EQ(book->text(0, 2, 7), "  spaced  ");
        EXPECT_EQ(book->text(0, 2, 8), "line1\nline2");
        EXPECT_EQ(book->text(0, 3, 1), "1.23456789012346E+17");
        EXPECT_EQ(book->text(0, 3, 2), "0.3");
        EXPECT_EQ(book->text(0, 3, 3), "＝全角");
        EXPECT_EQ(book->text(0, 4, 1), "ﾛｯﾄ№");
        EXPECT_EQ(book->text(0, 10, 1), "merged");
        EXPECT_EQ(book->text(1, 5, 2), "42");
        if (!src.legacy) {
            EXPECT_EQ(book->text(0, 2, 4), "TRUE");
            EXPECT_EQ(book->formula(0, 2, 6), "SUM(B2,1)");
        }
    }
    EXPECT_EQ(Book::open(d + "/lo-xlsx/openpyxl.xlsx")->text(0, 2, 6), "11.5"); // LibreOffice cached the result

    // A legacy workbook whose sheets claim the whole grid is refused before its cells are read.
    {
        QFile xls(d + "/lo-xls/openpyxl.xls");
        ASSERT_TRUE(xls.open(QIODevice::ReadOnly));
        QByteArray bytes = xls.readAll();
        int patched = 0;
        for (qsizetype at = bytes.indexOf(QByteArray("\x00\x02\x0e\x00", 4)); at >= 0; at = bytes.indexOf(QByteArray("\x00\x02\x0e\x00", 4), at + 4)) {
            // DIMENSIONS record: first row, last row + 1, first column, last column + 1.
            const char claim[12] = {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
            bytes.replace(at + 4, 12, QByteArray(claim, 12));
            ++patched;
        }
        EXPECT_EQ(patched, 2);
        QFile big(d + "/claims.xls");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(bytes);
        big.close();
        // Refused in a separate process whose peak memory stays near its baseline.
        const testing_support::ProbeResult r = testing_support::probe(big.fileName());
        EXPECT_FALSE(r.opened);
        EXPECT_TRUE(r.message.contains("claims")) << r.message.toStdString();
        testing_support::expectPeakBelow(r, 16, "claims of the whole grid");
    }
    auto xw = Book::open(xlsxwriterFile);
    EXPECT_EQ(xw->text(0, 102, 1), "L101");
    EXPECT_EQ(xw->text(0, 102, 2), "11");
    EXPECT_EQ(xw->text(0, 2, 3), "10.5");
    EXPECT_EQ(xw->formula(0, 2, 3), "AVERAGE($B$2:$B$102)");

    // Our copies of each, plus a workbook of our own, read by LibreOffice and openpyxl.
    QDir().mkpath(d + "/ours");
    Application app;
    QStringList ours;
    int n = 0;
    for (const QString& src : {openpyxlFile, d + "/lo-xlsx/openpyxl.xlsx", d + "/lo-xls/openpyxl.xls", xlsxwriterFile}) {
        Workbook wb = app.openWorkbook(src);
        wb.worksheet(1).range("A20").setValue(QStringLiteral("edited %1").arg(++n));
        ours << wb.saveAs(d + QStringLiteral("/ours/copy%1.xls").arg(n));
    }
    app.setSheetsInNewWorkbook(2);
    Workbook fresh = app.addWorkbook();
    fresh.worksheet(1).range("A1", "C3").setValues({{"ﾛｯﾄ№", "N1", "N2"}, {"0012", "10.500", "-1e-3"}, {"=1+1", "TRUE", " x "}});
    fresh.worksheet(1).range("B2", "C3").setNumberFormatLocal("0.000_ ");
    fresh.worksheet(2).setName("測定値");
    fresh.worksheet(2).range("B2").setValue(0.1 + 0.2);
    ours << fresh.saveAs(d + "/ours/fresh.xlsx");
    for (const QString& f : ours) EXPECT_TRUE(f.endsWith(".xlsx")) << f.toStdString();

    QStringList csvArgs{"--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1", "--outdir", d + "/csv"};
    soffice(csvArgs + ours);
    const QJsonObject py = QJsonDocument::fromJson(run(python(), QStringList{toolsFolder() + "/openpyxl_dump.py"} + ours)).object();
    for (const QString& f : ours) compareWithOthers(f, d + "/csv", py);
    // Texts that look like formulas stay texts for the other programs too.
    const QJsonObject freshSheet = py.value(ours.last()).toObject().value("Sheet1").toObject();
    EXPECT_EQ(freshSheet.value("A2").toArray().at(1).toString(), "12.0"); // typed 0012 is a number, as in any spreadsheet
    EXPECT_EQ(freshSheet.value("A3").toArray().at(0).toString(), "s");
    EXPECT_EQ(freshSheet.value("A3").toArray().at(1).toString(), "=1+1");
    EXPECT_EQ(freshSheet.value("B2").toArray().at(1).toString(), "10.5");
}

TEST(Interop, ChartSeriesFollowDeleteShiftUp)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    makeXlsxwriterWorkbook(d + "/template.xlsx");
    const Parts before = unpack([&] {
        QFile f(d + "/template.xlsx");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());

    // Three lots: data rows 2..4, template rows 5..102 deleted.
    Application app;
    Workbook wb = app.openWorkbook(d + "/template.xlsx");
    Worksheet ws = wb.worksheet(1);
    ws.range("A2", "A4").setValues({{"K1"}, {"K2"}, {"K3"}});
    ws.range("B2", "B4").setValues({{"10.1"}, {"10.2"}, {"9.9"}});
    ws.range("A5", "H102").deleteShiftUp();
    const QString saved = wb.saveAs(d + "/filled.xlsx");

    const Parts after = unpack([&] {
        QFile f(saved);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());
    const QByteArray chart = after.at("xl/charts/chart1.xml");
    EXPECT_TRUE(chart.contains("<c:f>Sheet1!$B$2:$B$4</c:f>")) << chart.toStdString();
    EXPECT_TRUE(chart.contains("<c:f>Sheet1!$A$2:$A$4</c:f>"));
    EXPECT_TRUE(chart.contains("<c:f>Sheet1!$F$2:$F$4</c:f>"));
    EXPECT_TRUE(chart.contains("<c:f>Sheet1!$B$1</c:f>"));
    EXPECT_FALSE(chart.contains("$102"));
    EXPECT_TRUE(after.at("xl/workbook.xml").contains(">Sheet1!$B$2:$B$4</definedName>"));
    auto book = Book::open(saved);
    EXPECT_EQ(book->formula(0, 2, 3), "AVERAGE($B$2:$B$4)");
    EXPECT_EQ(book->formula(1, 1, 1), "SUM(Sheet1!B2:B4)");
    EXPECT_EQ(book->formula(1, 2, 1), "Sheet1!#REF!");
    EXPECT_EQ(book->formula(1, 3, 1), "Sheet1!I50"); // column I was not part of the delete
    EXPECT_EQ(book->text(0, 4, 2), "9.9");
    EXPECT_EQ(book->text(0, 5, 1), "");
    // Drawings, images and their relationships are the template's, byte for byte.
    for (const auto& [name, data] : before) {
        if (name.find("drawing") != std::string::npos || name.find("media") != std::string::npos || name.find("theme") != std::string::npos) {
            EXPECT_EQ(after.at(name), data) << name;
        }
    }

    // LibreOffice loads the chart over the shortened ranges and draws it.
    soffice({"--convert-to", "ods", "--outdir", d + "/ods", saved});
    const Parts ods = unpack([&] {
        QFile f(d + "/ods/filled.ods");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());
    QByteArray chartContent;
    for (const auto& [name, data] : ods)
        if (name.rfind("Object", 0) == 0 && name.find("content.xml") != std::string::npos) chartContent += data;
    const QRegularExpression ranges(QStringLiteral("chart:values-cell-range-address=\"([^\"]*)\""));
    QStringList found;
    for (auto it = ranges.globalMatch(QString::fromUtf8(chartContent)); it.hasNext();) found << it.next().captured(1);
    ASSERT_EQ(found.size(), 2) << chartContent.left(2000).toStdString();
    EXPECT_TRUE(found[0].contains(QRegularExpression(QStringLiteral("B\\$?2:.*B\\$?4$")))) << found[0].toStdString();
    EXPECT_TRUE(found[1].contains(QRegularExpression(QStringLiteral("F\\$?2:.*F\\$?4$")))) << found[1].toStdString();
    soffice({"--convert-to", "pdf", "--outdir", d + "/pdf", saved});
    EXPECT_GT(QFileInfo(d + "/pdf/filled.pdf").size(), 5000);
}

namespace {

// A data column B2:B102 with formulas over it on both sheets, each with the result cached.
void makeFormulaWorkbook(const QString& path)
{
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* wb = workbook_new(file.constData());
    ASSERT_NE(wb, nullptr);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
    double sum = 0;
    for (int i = 0; i < 101; ++i) {
        worksheet_write_number(ws, static_cast<lxw_row_t>(i + 1), 1, 10 + i * 0.001, nullptr);
        sum += 10 + i * 0.001;
    }
    worksheet_write_formula_num(ws, 0, 3, "=SUM(B2:B102)", nullptr, sum);
    worksheet_write_formula_num(ws, 1, 3, "=COUNT(B2:B102)", nullptr, 101);
    worksheet_write_formula_num(ws, 2, 3, "=B50*2", nullptr, (10 + 48 * 0.001) * 2);
    worksheet_write_formula_str(ws, 3, 3, "=IF(B3>50,\"big\",\"small\")", nullptr, "small");
    lxw_worksheet* ws2 = workbook_add_worksheet(wb, "Totals");
    worksheet_write_formula_num(ws2, 0, 0, "=SUM(Data!B2:B102)", nullptr, sum);
    worksheet_write_formula_num(ws2, 1, 0, "=MAX(Data!B2:B102)", nullptr, 10.1);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
}

// What LibreOffice computes for each sheet of a workbook: its CSV export, sheet by sheet.
std::map<QString, QList<QStringList>> computedByLibreOffice(const QString& workbook, const QString& folder)
{
    soffice({"--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1", "--outdir", folder, workbook});
    std::map<QString, QList<QStringList>> sheets;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QFileInfo(workbook).completeBaseName() + "-*.csv"}))
        sheets[f.completeBaseName().mid(QFileInfo(workbook).completeBaseName().size() + 1)] = readUtf8Csv(f.filePath());
    return sheets;
}

} // namespace

TEST(Interop, FormulaResultsAreFreshAfterCellsChange)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    makeFormulaWorkbook(d + "/template.xlsx");

    // What an operator's report does: fill some cells, delete the unused rows, save.
    Application app;
    Workbook wb = app.openWorkbook(d + "/template.xlsx");
    Worksheet data = wb.worksheet(1);
    data.range("B3").setValue(QStringLiteral("60"));    // IF turns to "big"
    data.range("B50").setValue(QStringLiteral("7.25")); // B50*2 = 14.5
    data.range("B80", "B80").deleteShiftUp();            // 100 values remain
    const QString saved = wb.saveAs(d + "/filled.xlsx");

    double sum = 0, max = 0;
    int count = 0;
    for (int r = 2; r <= 101; ++r) {
        const double v = asNumber(data.range(QStringLiteral("B%1").arg(r)).value());
        ASSERT_FALSE(std::isnan(v)) << r;
        sum += v;
        max = std::max(max, v);
        ++count;
    }
    EXPECT_EQ(count, 100);
    EXPECT_EQ(data.range("B102").value(), "");

    const auto lo = computedByLibreOffice(saved, d + "/csv");
    ASSERT_EQ(lo.count("Data"), 1u);
    ASSERT_EQ(lo.count("Totals"), 1u);
    const QList<QStringList>& sheet = lo.at("Data");
    ASSERT_GE(sheet.size(), 4);
    EXPECT_TRUE(sameNumber(asNumber(sheet[0][3]), sum)) << sheet[0][3].toStdString() << " vs " << sum;
    EXPECT_EQ(sheet[1][3], "100");
    EXPECT_EQ(sheet[2][3], "14.5");
    EXPECT_EQ(sheet[3][3], "big");
    const QList<QStringList>& totals = lo.at("Totals");
    ASSERT_GE(totals.size(), 2);
    EXPECT_TRUE(sameNumber(asNumber(totals[0][0]), sum)) << totals[0][0].toStdString();
    EXPECT_TRUE(sameNumber(asNumber(totals[1][0]), max)) << totals[1][0].toStdString();

    // openpyxl reads the formulas as they were adjusted, with no stale result beside them.
    const QJsonObject py = QJsonDocument::fromJson(run(python(), {toolsFolder() + "/openpyxl_dump.py", saved})).object();
    const QJsonObject dataCells = py.value(saved).toObject().value("Data").toObject();
    EXPECT_EQ(dataCells.value("D1").toArray().at(1).toString(), "=SUM(B2:B101)");
    EXPECT_EQ(dataCells.value("D2").toArray().at(1).toString(), "=COUNT(B2:B101)");
    const QByteArray sheetXml = unpack([&] {
        QFile f(saved);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }()).at("xl/worksheets/sheet2.xml");
    EXPECT_TRUE(sheetXml.contains("<f>SUM(Data!B2:B101)</f></c>")) << sheetXml.toStdString();
}

TEST(Interop, ADateReadsAsItsDayNumberWhateverTheFile)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    run(python(), {toolsFolder() + QStringLiteral("/make_dates_fixture.py"), d});
    soffice({"--convert-to", "xls:MS Excel 97", "--outdir", d + "/xls", d + "/serial.xlsx"});

    // Day numbers from Office Open XML, ISO date cells and legacy records alike.
    for (const QString& file : {d + "/serial.xlsx", d + "/iso.xlsx", d + "/xls/serial.xls"}) {
        SCOPED_TRACE(file.toStdString());
        auto book = Book::open(file);
        EXPECT_EQ(book->text(0, 1, 1), "45306.5625");
        EXPECT_EQ(book->text(0, 2, 1), "45306");
        EXPECT_EQ(book->text(0, 3, 1), "0.5625");
        EXPECT_EQ(book->text(0, 4, 1), "15");
        for (int r = 1; r <= 4; ++r) EXPECT_TRUE(isDateFormat(book->numberFormat(0, r, 1))) << book->numberFormat(0, r, 1).toStdString();
        EXPECT_EQ(book->text(0, 1, 2), "2024-01-15"); // a text that looks like a date stays text
        EXPECT_EQ(book->cells(0).find(1, 2)->type, CellType::Text);
    }

    // A rewrite keeps a date a date for every reader.
    Application app;
    Workbook wb = app.openWorkbook(d + "/iso.xlsx");
    wb.worksheet(1).range("C1").setValue(QStringLiteral("edited"));
    const QString saved = wb.saveAs(d + "/rewritten.xlsx");
    auto again = Book::open(saved);
    EXPECT_EQ(again->text(0, 1, 1), "45306.5625");
    EXPECT_EQ(again->cells(0).find(1, 1)->type, CellType::Number);
    const QJsonObject py = QJsonDocument::fromJson(run(python(), {toolsFolder() + "/openpyxl_dump.py", saved})).object();
    const QJsonObject cells = py.value(saved).toObject().value("Dates").toObject();
    EXPECT_EQ(cells.value("A1").toArray().at(1).toString(), "2024-01-15 13:30:00"); // a datetime, not the text of one
    EXPECT_EQ(cells.value("A2").toArray().at(1).toString(), "2024-01-15 00:00:00");
    const auto lo = computedByLibreOffice(saved, d + "/csv");
    ASSERT_EQ(lo.count("Dates"), 1u);
    EXPECT_EQ(lo.at("Dates")[0][0], "2024-01-15 13:30:00");
    EXPECT_EQ(lo.at("Dates")[1][0], "2024-01-15");
}
