// The layout edits reports make, read back by another program (openpyxl) and from the parts.
#include "TestSupport.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

using namespace spreadsheet;

namespace {

const char* const kRead = R"(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
b2 = ws["B2"]
second = wb.worksheets[1].sheet_view
print(json.dumps({"width": ws.column_dimensions["B"].width, "widthC": ws.column_dimensions["C"].width,
    "pane": ws.freeze_panes, "bold": bool(b2.font.b), "colour": b2.font.color.rgb if b2.font.color else None,
    "a1bold": bool(ws["A1"].font.b), "titles": ws.print_title_rows, "area": ",".join(ws.print_area or []),
    "fit": bool(ws.sheet_properties.pageSetUpPr.fitToPage), "fitWidth": ws.page_setup.fitToWidth,
    "fitHeight": ws.page_setup.fitToHeight, "orientation": ws.page_setup.orientation,
    "shown": second.topLeftCell, "cursor": second.selection[0].activeCell}))
)";

} // namespace

TEST(LayoutEdits, ColumnsPanesFontsAndPrintSettingsReadBackInAnotherProgram)
{
    QTemporaryDir dir;
    auto book = Book::createNew(2);
    book->setTyped(0, 1, 1, QStringLiteral("見出し"));
    book->setTyped(0, 2, 2, QStringLiteral("×異常あり"));
    book->setNumberFormat(0, {2, 2, 2, 2}, QStringLiteral("0.000"));
    book->setColumnWidth(0, 1, 4, 10);
    book->setColumnWidth(0, 2, 2, 31.5); // splits the range set before
    book->freezeTopRows(0, 4);
    book->setFont(0, {2, 2, 2, 2}, true, 0xFF0000);
    book->setPrintTitleRows(0, 4, 4);
    book->setPrintArea(0, {{1, 19, 41, 34}, {1, 1, 30, 17}});
    book->fitToPageWidth(0, true);
    book->showFrom(1, 1, 19);
    const QString path = dir.path() + QStringLiteral("/layout.xlsx");
    book->save(path);

    const QJsonObject r = QJsonDocument::fromJson(testing_support::run(testing_support::python(), {QStringLiteral("-c"), QString::fromUtf8(kRead), path})).object();
    EXPECT_DOUBLE_EQ(r["width"].toDouble(), 31.5);
    EXPECT_DOUBLE_EQ(r["widthC"].toDouble(), 10); // C and D keep the first width
    EXPECT_EQ(r["pane"].toString(), "A5");
    EXPECT_TRUE(r["bold"].toBool());
    EXPECT_EQ(r["colour"].toString(), "FFFF0000");
    EXPECT_FALSE(r["a1bold"].toBool());
    EXPECT_EQ(r["titles"].toString(), "$4:$4");
    EXPECT_EQ(r["area"].toString(), "$S$1:$AH$41,$A$1:$Q$30"); // printed in this order
    EXPECT_TRUE(r["fit"].toBool());
    EXPECT_EQ(r["fitWidth"].toInt(), 1);
    EXPECT_EQ(r["fitHeight"].toInt(), 0);
    EXPECT_EQ(r["orientation"].toString(), "landscape");
    EXPECT_EQ(r["shown"].toString(), "S1");
    EXPECT_EQ(r["cursor"].toString(), "S1");
    // The number format stays with the bold red font.
    EXPECT_EQ(Book::open(path)->numberFormat(0, 2, 2), "0.000");
}

TEST(LayoutEdits, ChartAxesTakeBoundsAndLabelIntervalsInSchemaOrder)
{
    QTemporaryDir dir;
    const QString made = dir.path() + QStringLiteral("/chart.xlsx");
    lxw_workbook* wb = workbook_new(made.toUtf8().constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "S");
    for (int r = 0; r < 5; ++r) worksheet_write_number(ws, lxw_row_t(r), 0, 10 + r, nullptr);
    for (lxw_chart* c : {workbook_add_chart(wb, LXW_CHART_LINE), workbook_add_chart(wb, LXW_CHART_SCATTER)}) {
        chart_add_series(c, "=S!$A$1:$A$5", "=S!$A$1:$A$5");
        worksheet_insert_chart(ws, 0, 2, c);
    }
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);

    auto book = Book::open(made);
    ASSERT_EQ(book->chartCount(), 2);
    book->setChartAxisBounds(0, true, 9.5, 14.5);
    book->setChartLabelInterval(0, 3);
    book->setChartAxisBounds(1, false, 8.0, std::nullopt);
    EXPECT_THROW(book->setChartAxisBounds(0, true, 2.0, 1.0), Error);
    EXPECT_THROW(book->setChartLabelInterval(2, 1), Error);
    const QString line = QString::fromUtf8(book->part(QStringLiteral("xl/charts/chart1.xml")));
    EXPECT_TRUE(line.contains(QRegularExpression(QStringLiteral("<c:valAx>.*<c:scaling><c:orientation val=\"minMax\"/><c:max val=\"14.5\"/><c:min val=\"9.5\"/></c:scaling>"))))
        << line.toStdString();
    EXPECT_TRUE(line.contains(QRegularExpression(QStringLiteral("<c:tickLblSkip val=\"3\"/><c:tickMarkSkip val=\"3\"/>"))));
    const QString scatter = QString::fromUtf8(book->part(QStringLiteral("xl/charts/chart2.xml")));
    // Only the horizontal axis of the scatter chart, and only its lower bound.
    EXPECT_EQ(scatter.count(QStringLiteral("<c:min val=\"8\"/>")), 1);
    EXPECT_FALSE(scatter.contains(QStringLiteral("<c:max ")));

    // LibreOffice reads the edited chart.
    const QString saved = dir.path() + QStringLiteral("/edited.xlsx");
    book->save(saved);
    testing_support::soffice({QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), dir.path(), saved});
    EXPECT_TRUE(QFileInfo::exists(dir.path() + QStringLiteral("/edited.pdf")));
}
