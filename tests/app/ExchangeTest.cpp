// The four File-menu commands through the real window, with real files, the dialogs answered
// by the script.
#include "../exchange/ExchangeTestSupport.h"
#include "MainFormFixture.h"

#include "model/NumberText.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Book.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>

using exchange_test::cp932;
using exchange_test::readAll;

namespace {

const QString kWarning = QStringLiteral("警告メッセージ");
const QString kGuidance = QStringLiteral("ガイドメッセージ");

// Records what each file dialog was given, answering through the fixture's script.
class DialogRecorder final : public ui::Interaction {
public:
    struct Asked {
        QString title, filter, folder;
    };
    explicit DialogRecorder(ScriptedInteraction& inner) : inner_(inner) { ui::setInteraction(this); }
    ~DialogRecorder() override { ui::setInteraction(&inner_); }
    QList<Asked> asked;

    void showMessage(QWidget* p, const ui::Message& m) override { inner_.showMessage(p, m); }
    bool askYesNo(QWidget* p, const ui::Message& m) override { return inner_.askYesNo(p, m); }
    QString openFileName(QWidget* p, const QString& t, const QString& f, const QString& d) override
    {
        asked.append({t, f, d});
        return inner_.openFileName(p, t, f, d);
    }
    QString saveFileName(QWidget* p, const QString& t, const QString& f, const QString& d) override
    {
        asked.append({t, f, d});
        return inner_.saveFileName(p, t, f, d);
    }
    QString folderName(QWidget* p, const QString& c, const QString& d) override
    {
        asked.append({c, {}, d});
        return inner_.folderName(p, c, d);
    }
    int execDialog(QDialog& dialog) override { return inner_.execDialog(dialog); }
    bool openDocument(const QUrl& url) override { return inner_.openDocument(url); }

private:
    ScriptedInteraction& inner_;
};

QString layoutScript() { return QStringLiteral(QUORVANE_SOURCE_DIR "/tests/exchange/data/make_layout_workbook.py"); }

} // namespace

class ExchangeTest : public MainFormTest {
protected:
    void SetUp() override
    {
        start();
        form->csvFilePause = 0;
        // The busy window's text whenever a message is shown ("" when it is closed).
        ui.onMessage = [this](const ui::Message&) { busyAtMessage.append(splash->isVisible() ? splash->lblTitle->text() : ""); };
    }

    void header(const QStringList& f, int specKind = 0)
    {
        form->editProduct->setText(f[0]);
        form->editProcess->setText(f[1]);
        form->editMbc->setText(f[2]);
        form->editLabel->setText(f[3]);
        form->editUnit->setText(f[4]);
        choose(form->cmbSpecKind, form->cmbSpecKind->itemText(specKind));
        form->spinKeta->setText(f[5]);
        form->editKupper->setText(f[6]);
        form->editKlower->setText(f[7]);
    }
    void layout(int lots, int measurements)
    {
        form->spinRow->setValue(lots);
        form->spinCol->setValue(measurements);
    }
    void row(int r, const QStringList& cells)
    {
        for (int c = 0; c < cells.size(); ++c) form->gridEdit->setCell(c, r, cells[c]);
    }
    QStringList row(int r) const
    {
        QStringList out;
        for (int c = 0; c < form->gridEdit->colCount(); ++c) out << form->gridEdit->cell(c, r);
        return out;
    }
    QStringList tabCaptions() const
    {
        QStringList out;
        for (int i = 0; i < form->tabCtrl->count(); ++i) out << form->tabCtrl->tabText(i);
        return out;
    }
    std::vector<model::SheetRecord> records() const
    {
        std::vector<model::SheetRecord> out;
        for (int i = 0; i < form->sheetStore().count(); ++i) out.push_back(form->sheetStore()[i]);
        return out;
    }
    void run(QAction* command, const QString& answer)
    {
        ui.fileAnswers.push_back(answer);
        command->trigger();
        QApplication::processEvents();
    }
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
    void expectOnlyMessage(const QString& text, const QString& caption)
    {
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0].text, text) << ui.messages[0].text.toStdString();
        EXPECT_EQ(ui.messages[0].caption, caption);
        EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::Warning);
    }

    // A workbook made by the engine: one worksheet per entry, fields of row 2 and lots from row 5.
    QString engineWorkbook(const QString& name, const QList<QList<QStringList>>& sheets)
    {
        spreadsheet::Application app;
        app.setSheetsInNewWorkbook(int(sheets.size()));
        spreadsheet::Workbook wb = app.addWorkbook();
        for (int s = 0; s < sheets.size(); ++s) {
            wb.worksheet(s + 1).range("A2", "I2").setValues({sheets[s][0]});
            wb.worksheet(s + 1).range("A5", "CW104").setValues(sheets[s].mid(1));
        }
        return wb.saveAs(file(name));
    }

    DialogRecorder dialogs{ui};
    QTemporaryDir dir;
    QStringList busyAtMessage;
};

TEST_F(ExchangeTest, CsvExportWritesEverySheetInCodePage932WhileTheBusyWindowStaysPainted)
{
    layout(10, 3);
    header({"P-100", "Press", "M1", "外径①", "mm", "3", "10.050", "9.950"});
    row(1, {"10.010", "9.990", "10.000"});
    row(2, {"10.020", "", "9.980"});
    row(3, {"1.000"});
    for (int r = 3; r <= 10; ++r) form->gridCtrl->setFlag(1, r, false);

    // Between the files the busy window keeps being painted and timers run.
    form->csvFilePause = 100;
    int ticks = 0, paintsAfterTick = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!splash->isVisible()) return;
        ++ticks;
        splash->lblTitle->update();
    });
    struct PaintCounter : QObject {
        int* count;
        const int* ticks;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && *ticks > 0) ++*count;
            return false;
        }
    } counter;
    counter.count = &paintsAfterTick;
    counter.ticks = &ticks;
    splash->lblTitle->installEventFilter(&counter);
    ticker.start(20);
    QElapsedTimer took;
    took.start();
    run(form->mainMenuCsvSave, dir.path());
    EXPECT_GE(took.elapsed(), 300);
    EXPECT_GE(ticks, 3);
    EXPECT_GE(paintsAfterTick, 1);

    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].title, "保存先フォルダの指定");
    EXPECT_EQ(dialogs.asked[0].folder, TMainForm::programFolder() + "/Save Files/");
    expectOnlyMessage(QDir::toNativeSeparators(dir.path()) + " に保存されました。", kGuidance);
    EXPECT_EQ(busyAtMessage, QStringList{"CSVファイルに出力中です。"});
    EXPECT_FALSE(splash->isVisible());

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"Sheet1.csv", "Sheet2.csv", "Sheet3.csv"}));
    EXPECT_EQ(readAll(file("Sheet1.csv")), readAll(QUORVANE_SOURCE_DIR "/tests/exchange/data/Sheet1.csv"));
    // A sheet never shown: its header, and the headings of the sheet shown at the start.
    EXPECT_EQ(readAll(file("Sheet2.csv")).split('\n').mid(1),
              (QList<QByteArray>{",,,Sheet2,MM," + cp932("公差規格") + ",3,,\r", "\r", cp932("ﾛｯﾄ№") + ",N1,N2,N3\r", ""}));
}

TEST_F(ExchangeTest, ACloseRequestDuringTheExportWaitsUntilEveryFileIsWritten)
{
    form->csvFilePause = 100;
    bool shownAtTheEnd = false;
    ui.onMessage = [&](const ui::Message&) { shownAtTheEnd = form->isVisible(); };
    QTimer::singleShot(50, form.get(), [this] { form->close(); }); // the close button, mid-export
    run(form->mainMenuCsvSave, dir.path());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"Sheet1.csv", "Sheet2.csv", "Sheet3.csv"}));
    expectOnlyMessage(QDir::toNativeSeparators(dir.path()) + " に保存されました。", kGuidance);
    EXPECT_TRUE(shownAtTheEnd); // the window stayed open while the files were written
    EXPECT_TRUE(QTest::qWaitFor([this] { return !form->isVisible(); }, 2000)); // then it closes
}

TEST_F(ExchangeTest, CsvRoundTripKeepsTextsQuotedFieldsAndEnablesEveryWrittenLot)
{
    layout(20, 2);
    header({"A,B", "say \"hi\"", "M1", "Item", "mm", "2", "", ""});
    for (int r = 1; r <= 20; ++r) row(r, {QStringLiteral("%1.50").arg(r), QStringLiteral("%1.25").arg(r)});
    form->gridCtrl->setCell(0, 5, "K,5");
    form->gridCtrl->setFlag(1, 3, false);
    form->gridCtrl->setFlag(1, 7, false);
    run(form->mainMenuCsvSave, dir.path());
    const QList<QByteArray> lines = readAll(file("Sheet1.csv")).split('\n');
    EXPECT_EQ(lines.size() - 1, 4 + 18);
    EXPECT_EQ(lines[1], "\"A,B\",\"say \"\"hi\"\"\",M1,Item,mm," + cp932("公差規格") + ",2,,\r");

    clickTab(1);
    const model::SheetRecord first = form->sheetStore()[0];
    ui.messages.clear();
    run(form->mainMenuCsvImport, file("Sheet1.csv"));
    EXPECT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(dialogs.asked.size(), 2);
    EXPECT_EQ(dialogs.asked[1].title, "ファイルを開く");
    EXPECT_EQ(dialogs.asked[1].filter, "CSVファイル (カンマ区切り) (*.csv)|*.csv");
    EXPECT_EQ(dialogs.asked[1].folder, TMainForm::programFolder() + "/Sample Files/");

    EXPECT_EQ(tabCaptions(), (QStringList{"Item", "Item", "Sheet3"}));
    EXPECT_EQ(form->editProduct->text(), "A,B");
    EXPECT_EQ(form->editProcess->text(), "say \"hi\"");
    EXPECT_EQ(form->spinKeta->value(), 2);
    EXPECT_EQ(form->spinRow->value(), 18);
    EXPECT_EQ(form->spinCol->value(), 2);
    const QStringList lots{"K001", "K002", "K004", "K,5", "K006", "K008"};
    for (int r = 1; r <= 18; ++r) {
        EXPECT_TRUE(form->gridCtrl->flag(1, r)) << r;
        const int source = r + (r >= 3) + (r >= 6);
        if (r <= lots.size()) {
            EXPECT_EQ(form->gridCtrl->cell(0, r), lots[r - 1]);
        }
        EXPECT_EQ(row(r), (QStringList{QStringLiteral("%1.50").arg(source), QStringLiteral("%1.25").arg(source)})) << r;
    }
    EXPECT_EQ(form->sheetStore()[0], first); // only the shown sheet changed
}

TEST_F(ExchangeTest, WhatTheOperatorIsTypingIsExportedAndAnImportReplacesIt)
{
    layout(10, 2);
    row(1, {"1.000"});
    form->gridEdit->setFocus();
    QApplication::processEvents();
    form->gridEdit->setCurrentCell(1, 1);
    typeKeys("7.25");
    ASSERT_TRUE(form->gridEdit->isEditing());
    run(form->mainMenuCsvSave, dir.path());
    EXPECT_TRUE(readAll(file("Sheet1.csv")).contains("\r\nK001,1.000,7.25\r\n"));

    run(form->mainMenuXlsSave, file("typed.xlsx"));
    form->gridEdit->setCurrentCell(0, 2);
    typeKeys("9");
    run(form->mainMenuXlsImport, file("typed.xlsx"));
    EXPECT_FALSE(form->gridEdit->isEditing());
    EXPECT_EQ(row(1), (QStringList{"1.000", "7.250"}));
    EXPECT_EQ(row(2), (QStringList{"", ""}));
}

TEST_F(ExchangeTest, CsvImportReadsAHundredLotsCountsLineFiveAndRefusesACorruptFile)
{
    QString text = "品種名称,工程名称,装置名称,項目名称,測定単位,規格種別,小数点桁,規格上限,規格下限\r\n"
                   "P,Q,R,Long,mm,下限規格,1,,2\r\n\r\nﾛｯﾄ№,N1,N2,N3,N4\r\n";
    for (int i = 1; i <= 150; ++i)
        text += QStringLiteral("L%1,1.25,2,3,4%2\r\n").arg(i).arg(i == 1 ? "" : ",5,6");
    EXPECT_TRUE(exchange_test::writeAll(file("long.csv"), cp932(text)));
    run(form->mainMenuCsvImport, file("long.csv"));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->spinRow->value(), 100);
    EXPECT_EQ(form->spinCol->value(), 4);
    EXPECT_EQ(form->cmbSpecKind->currentIndex(), 2);
    EXPECT_EQ(form->editKlower->text(), "2.0");
    EXPECT_EQ(form->gridCtrl->cell(0, 100), "L100");
    EXPECT_EQ(row(1), (QStringList{"1.3", "2.0", "3.0", "4.0"}));
    EXPECT_EQ(form->tabCtrl->tabText(0), "Long");

    // Bytes that are not code page 932: the warning after the busy window, nothing changed.
    EXPECT_TRUE(exchange_test::writeAll(file("bad.csv"), QByteArray("\x82\xA0,\xFF\xFF\r\n")));
    const std::vector<model::SheetRecord> before = records();
    run(form->mainMenuCsvImport, file("bad.csv"));
    expectOnlyMessage("CSVファイルのオープンに失敗しました。ファイルの内容を確認してください…。\n" + QDir::toNativeSeparators(file("bad.csv"))
                          + "：ファイルの内容を読み取れません（壊れているか、対応していない形式です）",
                      kWarning);
    EXPECT_EQ(busyAtMessage, QStringList{""});
    EXPECT_EQ(records(), before);
    EXPECT_EQ(form->gridCtrl->cell(0, 100), "L100");
    EXPECT_EQ(form->tabCtrl->tabText(0), "Long");
}

TEST_F(ExchangeTest, WorkbookRoundTripOfEverySheetAfterJudgingWithTheDigitsFormats)
{
    // Sheet 1 typed and judged, sheet 2 with no decimals, sheet 3 with five.
    layout(20, 3);
    header({"P-100", "Press", "M1", "Bore", "mm", "3", "10.500", "9.500"});
    for (int r = 1; r <= 20; ++r) row(r, {"10.000", QStringLiteral("10.%1").arg(r, 3, 10, QLatin1Char('0')), ""});
    form->gridCtrl->setFlag(1, 2, false);
    QTest::mouseClick(form->btnSpecJudg, Qt::LeftButton);
    EXPECT_EQ(form->pnlSpecJudg->text(), "合格");
    clickTab(1);
    layout(10, 1);
    header({"", "", "", "Zero", "pcs", "0", "", "3"}, 2);
    row(1, {"2"});
    clickTab(2);
    layout(10, 2);
    header({"", "", "", "Five", "um", "5", "0.12345", ""}, 1);
    row(1, {"0.00001", "0.12346"});
    clickTab(0);
    const std::vector<model::SheetRecord> exported = [&] {
        form->SaveSheet(0);
        return records();
    }();
    QTest::mouseClick(form->btnSpecJudg, Qt::LeftButton);
    EXPECT_EQ(form->pnlSpecJudg->text(), "合格");
    ui.messages.clear();

    run(form->mainMenuXlsSave, file("all.xls"));
    EXPECT_EQ(dialogs.asked.last().title, "Excelブックに名前を付けて保存");
    EXPECT_EQ(dialogs.asked.last().filter, "Excelブック (*.xls;*.xlsx)|*.xls;*.xlsx");
    EXPECT_EQ(dialogs.asked.last().folder, TMainForm::programFolder() + "/Save Files/");
    expectOnlyMessage("正常にExcelブックへの保存が完了しました。\n" + QDir::toNativeSeparators(file("all.xlsx")), kGuidance);
    EXPECT_EQ(busyAtMessage, QStringList{"Excelブックに出力中です。"});
    EXPECT_EQ(form->tabCtrl->currentIndex(), 0);
    EXPECT_EQ(form->pnlSpecJudg->text(), ""); // the shown sheet was entered again
    EXPECT_EQ(records(), exported);

    const auto book = spreadsheet::Book::open(file("all.xlsx"));
    ASSERT_EQ(book->worksheetCount(), 3);
    EXPECT_EQ(book->numberFormat(0, 5, 2), "0.000_ ");
    EXPECT_EQ(book->numberFormat(1, 2, 8), "0_ ");
    EXPECT_EQ(book->numberFormat(1, 2, 9), "0_ ");
    EXPECT_EQ(book->numberFormat(1, 14, 2), "0_ ");
    EXPECT_EQ(book->numberFormat(2, 2, 8), "0.00000_ ");
    EXPECT_EQ(book->numberFormat(2, 5, 3), "0.00000_ ");
    EXPECT_EQ(book->text(0, 6, 1), "K003"); // lot 2 left out
    EXPECT_EQ(book->text(0, 24, 1), "");

    // Five sheets and an edit later, the workbook brings the three sheets back.
    form->spinTab->setText("5");
    form->editProduct->setText("changed");
    ui.messages.clear();
    run(form->mainMenuXlsImport, file("all.xlsx"));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(dialogs.asked.last().filter, "Excelブック (*.xls;*.xlsx)|*.xls;*.xlsx");
    EXPECT_EQ(dialogs.asked.last().folder, TMainForm::programFolder() + "/Sample Files/");
    EXPECT_EQ(tabCaptions(), (QStringList{"Bore", "Zero", "Five"}));
    EXPECT_EQ(form->spinTab->value(), 3);
    EXPECT_EQ(form->tabCtrl->currentIndex(), 0);
    EXPECT_EQ(form->editProduct->text(), "P-100");
    EXPECT_EQ(form->editKupper->text(), "10.500");
    EXPECT_EQ(form->spinRow->value(), 19);
    EXPECT_EQ(form->spinCol->value(), 2); // the third column held nothing in the first lot's row
    for (int r = 1; r <= 19; ++r) {
        const int lot = r + (r >= 2);
        EXPECT_TRUE(form->gridCtrl->flag(1, r));
        EXPECT_EQ(form->gridCtrl->cell(0, r), QStringLiteral("K%1").arg(lot, 3, 10, QLatin1Char('0')));
        EXPECT_EQ(row(r), (QStringList{"10.000", QStringLiteral("10.%1").arg(lot, 3, 10, QLatin1Char('0'))}));
    }
    clickTab(1);
    EXPECT_EQ(form->cmbSpecKind->currentIndex(), 2);
    EXPECT_EQ(form->editKlower->text(), "3");
    EXPECT_EQ(form->editUnit->text(), "pcs");
    EXPECT_EQ(form->spinCol->value(), 1);
    EXPECT_EQ(row(1), QStringList{"2"});
    clickTab(2);
    EXPECT_EQ(form->editKupper->text(), "0.12345");
    EXPECT_EQ(row(1), (QStringList{"0.00001", "0.12346"}));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ExchangeTest, EachWorksheetHoldsItsSheetAsEnteringTheSheetShowsIt)
{
    // Records as an import leaves them: too few lots for the view, lines beyond the lot
    // count, flags of hidden rows, digits to round to, and a cell that is not a number.
    model::SheetRecord& odd = form->sheetStore()[1];
    odd.lotCount = 3;
    odd.measurementCount = 2;
    odd.digits = "1";
    odd.enableFlags = QStringList{"1", "0", "1", "1", "1", "1", "1", "1", "1", "1", "0", "1"};
    odd.dataLines = QStringList{"A,1.25,2.35,9", "B,3,4", "\"C,1\",5.55,", ",6", "", "F,abc,7"};
    for (int i = 0; i < 14; ++i) odd.dataLines << QStringLiteral("L%1,%1.04").arg(i);
    form->sheetStore()[2].dataLines = QStringList{"Z,0.0005"};
    run(form->mainMenuXlsSave, file("view.xlsx"));
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0].text, "不適切な測定値が見つかりました。ファイルの内容を確認してください…");

    const auto book = spreadsheet::Book::open(file("view.xlsx"));
    for (int s = 0; s < 3; ++s) {
        clickTab(s);
        int out = 5;
        for (int r = 1; r < form->gridEdit->rowCount(); ++r) {
            if (!form->gridCtrl->flag(1, r)) continue;
            EXPECT_EQ(book->text(s, out, 1), form->gridCtrl->cell(0, r)) << s << " " << r;
            for (int c = 0; c < form->gridEdit->colCount(); ++c) {
                const QString shown = form->gridEdit->cell(c, r);
                const QString stored = book->text(s, out, c + 2);
                const auto number = model::tryParseNumber(shown); // numbers are entered as numbers
                if (number) EXPECT_EQ(model::tryParseNumber(stored), number) << s << " " << r << " " << c;
                else EXPECT_EQ(stored, shown) << s << " " << r << " " << c;
            }
            ++out;
        }
        EXPECT_EQ(book->text(s, out, 1), "");
    }
}

TEST_F(ExchangeTest, RefusedAndUnreadableWorkbooksChangeNothing)
{
    form->editProduct->setText("kept");
    form->spinTab->setText("4");
    const QString over = engineWorkbook("over.xlsx", QList<QList<QStringList>>(101, {{"", "", "", "X"}}));
    EXPECT_TRUE(exchange_test::writeAll(file("broken.xlsx"), QByteArray("PK\x03\x04", 4) + QByteArray(300, 'z')));
    form->SaveSheet(0);
    const std::vector<model::SheetRecord> before = records();
    const QStringList captions = tabCaptions();

    run(form->mainMenuXlsImport, over);
    expectOnlyMessage("シートの最大値を超えました。Excelファイルのシート数を確認してください…。", kWarning);
    ui.messages.clear();
    run(form->mainMenuXlsImport, file("broken.xlsx"));
    expectOnlyMessage("Excelブックのオープンに失敗しました。拡張子がサポートされているか確認してください…。\n"
                          + QDir::toNativeSeparators(file("broken.xlsx")) + "：ファイルの内容を読み取れません（壊れているか、対応していない形式です）",
                      kWarning);
    EXPECT_EQ(busyAtMessage, (QStringList{"", ""}));

    EXPECT_EQ(records(), before);
    EXPECT_EQ(tabCaptions(), captions);
    EXPECT_EQ(form->spinTab->value(), 4);
    EXPECT_EQ(form->editProduct->text(), "kept");
}

TEST_F(ExchangeTest, TwoWorksheetsReplaceFiveSheetsCaptionedFromTheirItems)
{
    const QString station = file("station.xlsx");
    testing_support::run(testing_support::python(), {layoutScript(), station});
    form->spinTab->setText("5");
    clickTab(4);
    run(form->mainMenuXlsImport, station);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(tabCaptions(), (QStringList{"外径", ""}));
    EXPECT_EQ(form->sheetStore().count(), 2);
    EXPECT_EQ(form->tabCtrl->currentIndex(), 0);
    EXPECT_EQ(form->gridCtrl->cell(0, 1), "0012");
    EXPECT_EQ(row(1), (QStringList{"5.125", "10.250", "10.250"}));
    EXPECT_EQ(row(2), (QStringList{"5.000", "", "10.000"}));
    clickTab(1);
    EXPECT_EQ(form->editProduct->text(), "P-200");
    EXPECT_EQ(form->tabCtrl->tabText(0), "外径");

    // A measurement cell holding a comma stays one cell and is reported; the cells after it
    // stay where they were.
    const QString comma = engineWorkbook("comma.xlsx", {{{"", "", "", "C", "mm", "", "2"}, {"L1", "1.5", "1,5", "2"}}});
    run(form->mainMenuXlsImport, comma);
    expectOnlyMessage("不適切な測定値が見つかりました。ファイルの内容を確認してください…", kWarning);
    EXPECT_EQ(row(1), (QStringList{"1.50", "1,5", "2"}));
}

TEST_F(ExchangeTest, LegacyWorkbookFormulasImportAsTheirValues)
{
    const QString source = file("formulas.xlsx");
    testing_support::run(testing_support::python(), {layoutScript(), source, "--formulas"});
    testing_support::soffice({"--convert-to", "xls:MS Excel 97", "--outdir", dir.path(), source});
    run(form->mainMenuXlsImport, file("formulas.xls"));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->gridCtrl->cell(0, 1), "0012");
    EXPECT_EQ(row(1), (QStringList{"5.125", "10.250", "10.250"}));
    EXPECT_EQ(row(3), (QStringList{"4.875", "9.750", "9.750"}));
}

TEST_F(ExchangeTest, FailedExportsSayWhatWasNotWritten)
{
    // The workbook cannot be saved there.
    run(form->mainMenuXlsSave, file("missing/book.xlsx"));
    expectOnlyMessage("Excelブックの保存に失敗しました。保存先を確認してください…。\n" + QDir::toNativeSeparators(file("missing/book.xlsx"))
                          + "：フォルダが見つかりません",
                      kWarning);
    EXPECT_EQ(busyAtMessage, QStringList{""});

    // A unit that code page 932 cannot hold (set by the program, as a stored default would
    // be) stops the CSV export at its sheet: the file before it is written, its own old file
    // stays, the rest is not written.
    const QString three = engineWorkbook("three.xlsx", {{{"", "", "", "A"}}, {{"", "", "", "B"}}, {{"", "", "", "C"}}});
    run(form->mainMenuXlsImport, three);
    clickTab(1);
    form->editUnit->setText(QStringLiteral("é"));
    clickTab(0);
    EXPECT_TRUE(exchange_test::writeAll(file("Sheet2.csv"), "old\r\n"));
    ui.messages.clear();
    busyAtMessage.clear();
    run(form->mainMenuCsvSave, dir.path());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, kWarning);
    EXPECT_TRUE(ui.messages[0].text.contains("「B」") && ui.messages[0].text.contains("「é」")) << ui.messages[0].text.toStdString();
    EXPECT_EQ(busyAtMessage, QStringList{""});
    EXPECT_TRUE(readAll(file("Sheet1.csv")).startsWith(cp932("品種名称")));
    EXPECT_EQ(readAll(file("Sheet2.csv")), "old\r\n");
    EXPECT_FALSE(QFile::exists(file("Sheet3.csv")));
}

TEST_F(ExchangeTest, ImportedLimitsThatAreNotNumbersAreNamedWithTheirSheetAndField)
{
    // A CSV file into the second sheet: the warning after the busy window names the field; the
    // rest of the sheet is imported.
    EXPECT_TRUE(exchange_test::writeAll(file("limit.csv"), cp932("品種名称,工程名称,装置名称,項目名称,測定単位,規格種別,小数点桁,規格上限,規格下限\r\n"
                                                               "P,Q,R,外径,mm,公差規格,3,1x,9.5\r\n\r\nﾛｯﾄ№,N1,N2\r\nK1,10,10.1\r\n")));
    clickTab(1);
    run(form->mainMenuCsvImport, file("limit.csv"));
    expectOnlyMessage("シート2（外径）の規格上限「1x」は数値ではありません。ファイルの内容を確認してください…。", kWarning);
    EXPECT_EQ(busyAtMessage, QStringList{""});
    EXPECT_EQ(form->editKupper->text(), "");
    EXPECT_EQ(form->editKlower->text(), "9.500");
    EXPECT_EQ(row(1), (QStringList{"10.000", "10.100"}));

    // A workbook: one warning names every such limit of every worksheet, the sheet shown first
    // included; entering another of them later names its field again.
    const QString book = engineWorkbook("limits.xlsx", {{{"P", "", "", "A", "mm", "公差規格", "2", "10", "abc"}, {"L1", "9.9"}},
                                                        {{"P", "", "", "B", "mm", "公差規格", "2", "10", "9"}, {"L1", "9.5"}},
                                                        {{"P", "", "", "", "mm", "公差規格", "2", "1,5", " "}, {"L1", "1"}}});
    ui.messages.clear();
    busyAtMessage.clear();
    run(form->mainMenuXlsImport, book);
    expectOnlyMessage("シート1（A）の規格下限「abc」は数値ではありません。\n"
                      "シート3の規格上限「1,5」は数値ではありません。ファイルの内容を確認してください…。",
                      kWarning);
    EXPECT_EQ(busyAtMessage, QStringList{""});
    EXPECT_EQ(form->tabCtrl->count(), 3);
    EXPECT_EQ(form->editKupper->text(), "10.00");
    EXPECT_EQ(form->editKlower->text(), "");
    EXPECT_EQ(row(1).first(), "9.90");

    // Exporting writes the limit of a sheet not entered since as the file held it, and entering
    // that sheet for the export names its field.
    ui.messages.clear();
    run(form->mainMenuXlsSave, file("again.xlsx"));
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0].text, "規格上限「1,5」は数値ではありません。ファイルの内容を確認してください…。");
    EXPECT_EQ(spreadsheet::Book::open(file("again.xlsx"))->text(2, 2, 8), "1,5");

    ui.messages.clear();
    clickTab(2);
    expectOnlyMessage("規格上限「1,5」は数値ではありません。ファイルの内容を確認してください…。", kWarning);
    EXPECT_EQ(form->editKupper->text(), "");
}

namespace {

// A folder no one may create files in, root included (sysfs refuses them); empty where that
// cannot be had.
QString unwritableFolder()
{
    const QString folder = QStringLiteral("/sys");
    QFile probe(folder + QStringLiteral("/quorvane-probe.csv"));
    if (!QFileInfo(folder).isDir() || probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        return {};
    }
    return folder;
}

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

TEST_F(ExchangeTest, AWorkbookSavedUnderAnotherNameAsksBeforeReplacingThatFile)
{
    form->editProduct->setText("new");
    for (const QString name : {"victim", "weird"}) {
        EXPECT_TRUE(exchange_test::writeAll(file(name + ".xlsx"), "the operator's own file"));
    }

    // "victim.xls" is written as victim.xlsx, which exists: No writes nothing at all.
    ui.answers = {false};
    run(form->mainMenuXlsSave, file("victim.xls"));
    ASSERT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(ui.questions[0].caption, kWarning);
    EXPECT_EQ(ui.questions[0].text,
              "ブックは「" + native(file("victim.xlsx")) + "」として保存されます。\nこのファイルは既に存在します。置き換えますか？");
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(busyAtMessage.isEmpty());
    EXPECT_EQ(readAll(file("victim.xlsx")), "the operator's own file");
    EXPECT_FALSE(QFile::exists(file("victim.xls")));

    // Yes replaces it, and the completion names the file written.
    ui.answers = {true};
    run(form->mainMenuXlsSave, file("victim.xls"));
    EXPECT_EQ(ui.questions.size(), 2);
    expectOnlyMessage("正常にExcelブックへの保存が完了しました。\n" + native(file("victim.xlsx")), kGuidance);
    EXPECT_EQ(spreadsheet::Book::open(file("victim.xlsx"))->text(0, 2, 1), "new");

    // Any other ending is replaced the same way.
    ui.messages.clear();
    ui.answers = {false};
    run(form->mainMenuXlsSave, file("weird.txt"));
    ASSERT_EQ(ui.questions.size(), 3);
    EXPECT_TRUE(ui.questions[2].text.contains("「" + native(file("weird.xlsx")) + "」")) << ui.questions[2].text.toStdString();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(readAll(file("weird.xlsx")), "the operator's own file");

    // The name the operator gave is the file written: replaced without a question, as before.
    // So is a new file under another ending.
    for (const QString& name : {file("weird.xlsx"), file("fresh.xls")}) {
        ui.messages.clear();
        run(form->mainMenuXlsSave, name);
        const QString written = name.endsWith(".xls") ? name + "x" : name;
        expectOnlyMessage("正常にExcelブックへの保存が完了しました。\n" + native(written), kGuidance);
        EXPECT_EQ(spreadsheet::Book::open(written)->text(0, 2, 1), "new");
    }
    EXPECT_EQ(ui.questions.size(), 3);
    EXPECT_FALSE(QFile::exists(file("fresh.xls")));
}

TEST_F(ExchangeTest, FailedFilesAreNamedWithTheReasonInJapanese)
{
    QFile blocker(file("plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    // A folder whose parent is a file: the CSV export stops at the first file, in the error box.
    run(form->mainMenuCsvSave, file("plain/out"));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, "エラーメッセージ");
    EXPECT_EQ(ui.messages[0].text,
              "CSVファイル「Sheet1.csv」を保存できませんでした。\n" + native(file("plain/out/Sheet1.csv")) + "：フォルダが見つかりません");
    EXPECT_EQ(busyAtMessage, QStringList{""});

    // A workbook where a folder has its name.
    ui.messages.clear();
    busyAtMessage.clear();
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.xlsx"));
    run(form->mainMenuXlsSave, file("taken.xlsx"));
    expectOnlyMessage("Excelブックの保存に失敗しました。保存先を確認してください…。\n" + native(file("taken.xlsx"))
                          + "：同じ名前のフォルダがあります",
                      kWarning);

    // Imports of a file that is not there.
    ui.messages.clear();
    run(form->mainMenuXlsImport, file("gone.xlsx"));
    run(form->mainMenuCsvImport, file("gone.csv"));
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0].text, "Excelブックのオープンに失敗しました。拡張子がサポートされているか確認してください…。\n"
                                       + native(file("gone.xlsx")) + "：ファイルが見つかりません");
    EXPECT_EQ(ui.messages[1].text, "CSVファイルのオープンに失敗しました。ファイルの内容を確認してください…。\n" + native(file("gone.csv"))
                                       + "：ファイルが見つかりません");

#ifdef Q_OS_UNIX
    // A disk that takes no more than a few bytes from this process.
    using testing_support::withFileSizeLimit;
    ui.messages.clear();
    withFileSizeLimit(1024, [&] { run(form->mainMenuXlsSave, file("full.xlsx")); });
    expectOnlyMessage("Excelブックの保存に失敗しました。保存先を確認してください…。\n" + native(file("full.xlsx")) + "：空き容量が足りません",
                      kWarning);
    EXPECT_FALSE(QFile::exists(file("full.xlsx")));
    ui.messages.clear();
    ASSERT_TRUE(QDir(dir.path()).mkdir("full"));
    withFileSizeLimit(64, [&] { run(form->mainMenuCsvSave, file("full")); });
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text,
              "CSVファイル「Sheet1.csv」を保存できませんでした。\n" + native(file("full/Sheet1.csv")) + "：空き容量が足りません");
    EXPECT_TRUE(QDir(file("full")).isEmpty());
#endif

    // A folder that refuses new files.
    const QString locked = unwritableFolder();
    if (locked.isEmpty()) GTEST_SKIP() << "no folder here refuses new files to this user";
    ui.messages.clear();
    run(form->mainMenuCsvSave, locked);
    run(form->mainMenuXlsSave, locked + "/book.xlsx");
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0].text,
              "CSVファイル「Sheet1.csv」を保存できませんでした。\n" + native(locked + "/Sheet1.csv") + "：保存先フォルダに書き込めません");
    EXPECT_EQ(ui.messages[1].text, "Excelブックの保存に失敗しました。保存先を確認してください…。\n" + native(locked + "/book.xlsx")
                                       + "：保存先フォルダに書き込めません");
}

TEST_F(ExchangeTest, TheBusyWindowShowsWhichFileOfHowManyIsBeingWritten)
{
    form->spinTab->setFocus();
    form->spinTab->editor()->selectAll();
    QTest::keyClicks(form->spinTab->editor(), "5");
    ASSERT_EQ(form->tabCtrl->count(), 5);

    // Every state the busy window is painted in: its title, then the other texts it shows.
    struct PaintRecorder : QObject {
        TSplashForm* splash = nullptr;
        QStringList seen;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            auto* w = qobject_cast<QWidget*>(o);
            if (e->type() != QEvent::Paint || !w || w->window() != splash) return false;
            QString state = splash->lblTitle->text();
            for (QLabel* l : splash->findChildren<QLabel*>())
                if (l != splash->lblTitle && l->isVisible() && !l->text().isEmpty()) state += " | " + l->text();
            if (seen.isEmpty() || seen.last() != state) seen.append(state);
            return false;
        }
    } recorder;
    recorder.splash = splash;
    qApp->installEventFilter(&recorder);

    run(form->mainMenuCsvSave, dir.path());
    QStringList expected;
    for (int i = 1; i <= 5; ++i) expected << QStringLiteral("CSVファイルに出力中です。 | Sheet%1.csv (%1/5)").arg(i);
    EXPECT_EQ(recorder.seen.filter(" | "), expected) << recorder.seen.join('\n').toStdString();

    recorder.seen.clear();
    run(form->mainMenuXlsSave, file("book.xlsx"));
    expected.clear();
    for (int i = 1; i <= 5; ++i) expected << QStringLiteral("Excelブックに出力中です。 | Sheet%1 (%1/5)").arg(i);
    // (A busy window shown again starts without the last operation's progress.)
    EXPECT_EQ(recorder.seen.filter(" | "), expected) << recorder.seen.join('\n').toStdString();
    qApp->removeEventFilter(&recorder);
}
