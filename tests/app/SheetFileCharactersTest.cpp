// Characters the sheet files (code page 932) cannot hold, however they come into the window:
// the well-known look-alikes become the ones the files hold; any other is never dropped
// unseen — a typed one is named in a note, a paste or an import is refused with a warning.
#include "../exchange/ExchangeTestSupport.h"
#include "MainFormFixture.h"

#include "spreadsheet/Application.h"
#include "ui/NotHeldCharacters.h"

#include <QClipboard>
#include <QDir>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QLabel>

namespace {

const QString kWarning = QStringLiteral("警告メッセージ");

// A key whose text is outside Latin-1, as a keyboard layout or a compose key delivers it.
void typeCharacter(const QString& text)
{
    QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(QApplication::focusWidget(), &down);
    QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, text);
    QApplication::sendEvent(QApplication::focusWidget(), &up);
    QApplication::processEvents();
}

void commitFromInputMethod(const QString& text)
{
    QInputMethodEvent e(QString(), {});
    e.setCommitString(text);
    QApplication::sendEvent(QApplication::focusWidget(), &e);
    QApplication::processEvents();
}

void paste(const QString& text)
{
    QApplication::clipboard()->setText(text);
    press(Qt::Key_V, Qt::ControlModifier);
}

class SheetFileCharactersTest : public MainFormTest {
protected:
    void SetUp() override
    {
        start();
        form->csvFilePause = 0;
    }
    QLabel* note() const
    {
        QWidget* window = QApplication::activeWindow() ? QApplication::activeWindow() : form.get();
        return window->findChild<QLabel*>(ui::kNotHeldNoteName);
    }
    void focusEmpty(QLineEdit* field)
    {
        field->clear();
        field->setFocus();
        QApplication::processEvents();
    }
    void expectNote(const QString& named)
    {
        QLabel* shown = note();
        ASSERT_TRUE(shown && shown->isVisible());
        EXPECT_TRUE(shown->text().contains(named)) << shown->text().toStdString();
        shown->hide();
    }
    void expectOneWarning(const QString& named)
    {
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0].caption, kWarning);
        EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::Warning);
        EXPECT_TRUE(ui.messages[0].text.contains(named)) << ui.messages[0].text.toStdString();
        ui.messages.clear();
    }
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
    void importFile(QAction* command, const QString& path)
    {
        ui.fileAnswers.push_back(path);
        command->trigger();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
};

TEST_F(SheetFileCharactersTest, LookAlikesTypedPastedOrCommittedLookTheSameAndAreSaved)
{
    focusEmpty(form->editUnit);
    typeCharacter(QStringLiteral("µ"));
    typeKeys("m");
    EXPECT_EQ(form->editUnit->text(), QStringLiteral("μm"));

    focusEmpty(form->editProduct);
    typeKeys("10");
    typeCharacter(QStringLiteral("〜"));
    typeKeys("20");
    EXPECT_EQ(form->editProduct->text(), QStringLiteral("10～20"));

    focusEmpty(form->editMbc);
    commitFromInputMethod(QStringLiteral("A−B‖C"));
    EXPECT_EQ(form->editMbc->text(), QStringLiteral("A－B∥C"));

    focusEmpty(form->editProcess);
    paste(QStringLiteral("¥100—£5¢¬¦‾"));
    EXPECT_EQ(form->editProcess->text(), QStringLiteral("￥100―￡5￠￢￤￣"));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_FALSE(note() && note()->isVisible());

    // What the operator sees is what the sheet file holds.
    ui.fileAnswers.push_back(dir.path());
    form->mainMenuCsvSave->trigger();
    QApplication::processEvents();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("ガイドメッセージ"));
    QStringDecoder decode("windows-31j");
    const QString written = decode(exchange_test::readAll(file("Sheet1.csv")));
    EXPECT_TRUE(written.contains(QStringLiteral("\r\n10～20,￥100―￡5￠￢￤￣,A－B∥C,Sheet1,μm,")))
        << written.toStdString();
}

TEST_F(SheetFileCharactersTest, AnyOtherCharacterIsNamedTypedInANoteAndPastedInAWarning)
{
    // Typed or committed: the character is not taken, the note at the field names it, no box.
    focusEmpty(form->editProduct);
    typeKeys("caf");
    typeCharacter(QStringLiteral("é"));
    EXPECT_EQ(form->editProduct->text(), "caf");
    expectNote(QStringLiteral("「é」(U+00E9)"));
    focusEmpty(form->editLabel);
    commitFromInputMethod(QStringLiteral("Lot😀"));
    EXPECT_EQ(form->editLabel->text(), "Lot");
    expectNote(QStringLiteral("「😀」(U+1F600)"));
    EXPECT_TRUE(ui.messages.isEmpty());

    // Pasted: refused as a whole, the field keeps what it held, the warning names it.
    form->editUnit->setText("mm");
    form->editUnit->setFocus();
    QApplication::processEvents();
    paste(QStringLiteral("µm é"));
    EXPECT_EQ(form->editUnit->text(), "mm");
    expectOneWarning(QStringLiteral("「é」(U+00E9)"));

    // The measurement grid's paste refuses it too, after the look-alikes are mapped.
    form->spinRow->setValue(10);
    form->spinCol->setValue(3);
    form->gridEdit->setFocus();
    QApplication::processEvents();
    form->gridEdit->setCurrentCell(0, 1);
    paste(QStringLiteral("1.5\t2.5\r\n3\t€\r\n"));
    expectOneWarning(QStringLiteral("「€」(U+20AC)"));
    EXPECT_EQ(form->gridEdit->cell(0, 1), "");
}

TEST_F(SheetFileCharactersTest, TheLotNumberEditorTakesLookAlikesAndNamesOtherCharacters)
{
    form->spinRow->setValue(10);
    ui.dialogScripts.push_back([&](QDialog& d) {
        QApplication::setActiveWindow(&d);
        lotEdit->gridLotno->setFocus();
        QApplication::processEvents();
        lotEdit->gridLotno->setCurrentCell(0, 1);
        paste(QStringLiteral("µ-1\r\n10〜20\r\n"));
        lotEdit->gridLotno->setCurrentCell(0, 3);
        typeCharacter(QStringLiteral("−"));
        typeKeys("3");
        typeCharacter(QStringLiteral("ñ"));
        press(Qt::Key_Return);
        expectNote(QStringLiteral("「ñ」(U+00F1)"));
        EXPECT_TRUE(ui.messages.isEmpty());
        lotEdit->gridLotno->setCurrentCell(0, 4);
        paste(QStringLiteral("ñ"));
        expectOneWarning(QStringLiteral("「ñ」(U+00F1)"));
        lotEdit->btnOk->click();
        return d.result();
    });
    form->btnLotEdit->click();
    EXPECT_EQ(form->gridCtrl->cell(0, 1), QStringLiteral("μ-1"));
    EXPECT_EQ(form->gridCtrl->cell(0, 2), QStringLiteral("10～20"));
    EXPECT_EQ(form->gridCtrl->cell(0, 3), QStringLiteral("－3"));
    EXPECT_EQ(form->gridCtrl->cell(0, 4), QStringLiteral("K004"));
}

TEST_F(SheetFileCharactersTest, ImportsTakeLookAlikesAndAreRefusedForOtherCharacters)
{
    // A CSV file saved as UTF-8 by another program.
    const QString header = QStringLiteral("品種名称,工程名称,装置名称,項目名称,測定単位,規格種別,小数点桁,規格上限,規格下限\r\n");
    const QString csv = header + QStringLiteral("10〜20,P,M,厚さ,µm,公差規格,3,,\r\n\r\nﾛｯﾄ№,N1,N2\r\nA−1,1.5,2\r\n");
    ASSERT_TRUE(exchange_test::writeAll(file("utf8.csv"), "\xEF\xBB\xBF" + csv.toUtf8()));
    importFile(form->mainMenuCsvImport, file("utf8.csv"));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->editProduct->text(), QStringLiteral("10～20"));
    EXPECT_EQ(form->editUnit->text(), QStringLiteral("μm"));
    EXPECT_EQ(form->gridCtrl->cell(0, 1), QStringLiteral("A－1"));

    QString bad = csv;
    bad.replace(QStringLiteral("厚さ"), QStringLiteral("Épaisseur"));
    ASSERT_TRUE(exchange_test::writeAll(file("bad.csv"), "\xEF\xBB\xBF" + bad.toUtf8()));
    importFile(form->mainMenuCsvImport, file("bad.csv"));
    expectOneWarning(QStringLiteral("「É」(U+00C9)が含まれています（2行目の4番目の項目：項目名称）"));
    EXPECT_EQ(form->editLabel->text(), QStringLiteral("厚さ"));

    // A workbook: every worksheet is fitted; one character anywhere refuses the whole file.
    auto workbook = [&](const QString& name, const QString& cell) {
        spreadsheet::Application app;
        app.setSheetsInNewWorkbook(2);
        spreadsheet::Workbook wb = app.addWorkbook();
        wb.worksheet(1).range("A2", "E2").setValues({{"P", "Q", "R", QStringLiteral("幅"), QStringLiteral("¥")}});
        wb.worksheet(2).range("A2", "E2").setValues({{"P", "Q", "R", QStringLiteral("高さ"), "mm"}});
        wb.worksheet(2).range("A5", "C5").setValues({{QStringLiteral("L—1"), "1", cell}});
        return wb.saveAs(file(name));
    };
    importFile(form->mainMenuXlsImport, workbook("fits.xlsx", QStringLiteral("2")));
    EXPECT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(form->sheetStore().count(), 2);
    EXPECT_EQ(form->editUnit->text(), QStringLiteral("￥"));
    EXPECT_TRUE(form->sheetStore()[1].dataLines.value(0).startsWith(QStringLiteral("L―1,1,2,")));

    form->spinTab->setValue(3);
    const QString refused = workbook("refused.xlsx", QStringLiteral("2µ😀"));
    importFile(form->mainMenuXlsImport, refused);
    expectOneWarning(QStringLiteral("「😀」(U+1F600)が含まれています（ワークシート2のセルC5：測定値）"));
    EXPECT_EQ(form->sheetStore().count(), 3);
}

} // namespace
