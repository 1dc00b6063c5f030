#include "MainFormFixture.h"

#include "ui/Desktop.h"
#include "ui/InputMethod.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>

namespace {

// A key whose text is outside Latin-1, as an input method or a compose key delivers it.
void typeCharacter(const QString& text)
{
    QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(QApplication::focusWidget(), &down);
    QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, text);
    QApplication::sendEvent(QApplication::focusWidget(), &up);
}

class EditingTest : public MainFormTest {
protected:
    // A small sheet: `lots` lots of `n` measurements, the focus on a measurement cell.
    void startWithGrid(int lots, int n)
    {
        start();
        form->spinRow->setValue(lots);
        form->spinCol->setValue(n);
        focusCell(0, 1);
    }
    void focusCell(int col, int row)
    {
        form->gridEdit->setFocus();
        QApplication::processEvents();
        form->gridEdit->setCurrentCell(col, row);
    }
    void leaveTo(QWidget* next)
    {
        next->setFocus();
        QApplication::processEvents();
    }
    std::pair<int, int> current() const { return {form->gridEdit->currentCol(), form->gridEdit->currentRow()}; }
};

TEST_F(EditingTest, TypingOpensTheEditorAndEnterFormatsAndMovesOnWrapping)
{
    startWithGrid(10, 3);
    EXPECT_FALSE(form->gridEdit->editingAllowed()); // entering the grid switches editing off
    typeKeys("1.5");
    ASSERT_TRUE(form->gridEdit->isEditing());
    press(Qt::Key_Return);
    EXPECT_EQ(form->gridEdit->cell(0, 1), "1.500");
    EXPECT_EQ(current(), std::make_pair(1, 1));
    EXPECT_FALSE(form->gridEdit->isEditing());
    EXPECT_EQ(QApplication::focusWidget(), form->gridEdit);

    form->gridEdit->setCurrentCell(2, 1); // last column: first column of the next lot
    typeKeys("2");
    press(Qt::Key_Enter);
    EXPECT_EQ(form->gridEdit->cell(2, 1), "2.000");
    EXPECT_EQ(current(), std::make_pair(0, 2));

    form->gridEdit->setCurrentCell(2, 10); // last cell of the last lot: back to lot 1
    typeKeys("-3");
    press(Qt::Key_Return);
    EXPECT_EQ(form->gridEdit->cell(2, 10), "-3.000");
    EXPECT_EQ(current(), std::make_pair(0, 1));

    // Digits follow the sheet's setting; Enter on a blank cell only moves on.
    form->spinKeta->setValue(1);
    typeKeys("2.25");
    press(Qt::Key_Return);
    EXPECT_EQ(form->gridEdit->cell(0, 1), "2.3");
    press(Qt::Key_Return);
    EXPECT_EQ(form->gridEdit->cell(1, 1), "");
    EXPECT_EQ(current(), std::make_pair(2, 1));
}

TEST_F(EditingTest, TheCellFilterRefusesSecondPeriodsLaterMinusesAndLetters)
{
    startWithGrid(10, 3);
    typeKeys("a x");
    EXPECT_FALSE(form->gridEdit->isEditing()); // refused keys open nothing
    typeKeys("1-2");
    ASSERT_TRUE(form->gridEdit->activeEditor());
    EXPECT_EQ(form->gridEdit->activeEditor()->text(), "12");
    typeKeys(".5.");
    EXPECT_EQ(form->gridEdit->activeEditor()->text(), "12.5");
    press(Qt::Key_Home);
    typeKeys("-");
    EXPECT_EQ(form->gridEdit->activeEditor()->text(), "-12.5");
    typeKeys("-");
    EXPECT_EQ(form->gridEdit->activeEditor()->text(), "-12.5");
    press(Qt::Key_Return);
    EXPECT_EQ(form->gridEdit->cell(0, 1), "-12.500");
}

TEST_F(EditingTest, EnterOnTextThatIsNotANumberEmptiesTheCellAndStays)
{
    startWithGrid(10, 3);
    form->gridEdit->setCell(1, 2, "abc"); // as pasted: pasting does not filter
    form->gridEdit->setCurrentCell(1, 2);
    press(Qt::Key_Return);
    EXPECT_EQ(form->gridEdit->cell(1, 2), "");
    EXPECT_EQ(current(), std::make_pair(1, 2));
    EXPECT_TRUE(ui.messages.isEmpty());
    press(Qt::Key_Return);                // now blank: moves on
    EXPECT_EQ(current(), std::make_pair(2, 2));
}

TEST_F(EditingTest, ClicksSelectAndNeverOpenTheEditor)
{
    startWithGrid(10, 3);
    typeKeys("4");
    ASSERT_TRUE(form->gridEdit->isEditing());
    const QRect cell = form->gridEdit->visualRect(form->gridEdit->model()->index(2, 1));
    QTest::mouseClick(form->gridEdit->viewport(), Qt::LeftButton, {}, cell.center());
    QApplication::processEvents();
    EXPECT_EQ(form->gridEdit->cell(0, 1), "4"); // moving keeps what was typed
    EXPECT_FALSE(form->gridEdit->editingAllowed());
    EXPECT_FALSE(form->gridEdit->isEditing());
    QTest::mouseDClick(form->gridEdit->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_FALSE(form->gridEdit->isEditing());
    EXPECT_EQ(current(), std::make_pair(1, 3));

    // Tab leaves the grid with what was typed, as it does without an editor.
    typeKeys("7");
    ASSERT_TRUE(form->gridEdit->isEditing());
    press(Qt::Key_Tab);
    EXPECT_EQ(form->gridEdit->cell(1, 3), "7");
    EXPECT_FALSE(form->gridEdit->hasFocusWithin());
}

TEST_F(EditingTest, ClipboardCommandsWorkFromTheKeyboardOnlyInTheGrid)
{
    startWithGrid(10, 5);
    for (int r = 1; r <= 10; ++r)
        for (int c = 0; c < 5; ++c) form->gridEdit->setCell(c, r, QString::number(r * 10 + c));
    form->gridEdit->setSelection({1, 2, 3, 3});
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "21\t22\t23\r\n31\t32\t33\r\n");

    form->gridEdit->setCurrentCell(3, 10);
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->gridEdit->cell(3, 10), "21");
    EXPECT_EQ(form->gridEdit->cell(4, 10), "22");
    EXPECT_EQ(form->gridEdit->cell(5, 10), "");   // beyond the displayed columns
    EXPECT_EQ(form->gridEdit->cell(3, 11), "");   // beyond the displayed lots

    // The context menu opened by the right button over the selection copies it.
    form->gridEdit->setSelection({0, 1, 1, 1});
    const QRect cell = form->gridEdit->visualRect(form->gridEdit->model()->index(0, 1));
    QTest::mouseClick(form->gridEdit->viewport(), Qt::RightButton, {}, cell.center());
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, cell.center(), form->gridEdit->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(form->gridEdit->viewport(), &menuEvent);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activePopupWidget(), form->popMenu);
    EXPECT_EQ(form->gridEdit->selection(), (ui::GridRect{0, 1, 1, 1})); // the right button keeps it
    form->popMenuCopy->trigger();
    form->popMenu->close();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::clipboard()->text(), "10\t11\r\n");

    form->gridEdit->setSelection({0, 1, 0, 2});
    press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "10\r\n20\r\n");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "");

    // Away from the grid the commands do nothing to it.
    form->gridEdit->setSelection({1, 1, 1, 1});
    leaveTo(form->editProduct);
    form->popMenuDelete->trigger();
    EXPECT_EQ(form->gridEdit->cell(1, 1), "11");

    // Select all and Del: every displayed cell, nothing stored beyond.
    form->gridEdit->table().setText(5, 3, "hidden");
    form->gridEdit->table().setText(2, 11, "hidden");
    focusCell(0, 1);
    press(Qt::Key_A, Qt::ControlModifier);
    press(Qt::Key_Delete);
    for (int r = 1; r <= 10; ++r)
        for (int c = 0; c < 5; ++c) ASSERT_EQ(form->gridEdit->cell(c, r), "") << c << "," << r;
    EXPECT_EQ(form->gridEdit->cell(5, 3), "hidden");
    EXPECT_EQ(form->gridEdit->cell(2, 11), "hidden");
    EXPECT_EQ(form->gridEdit->cell(0, 0), "N1");
}

TEST_F(EditingTest, FieldsTurnYellowWhenEnteredAndWhiteWhenLeft)
{
    start();
    // A control-limit field is read-only with the three-sigma method and keeps its colour.
    ASSERT_TRUE(form->editUcl->isReadOnly());
    leaveTo(form->editUcl);
    EXPECT_FALSE(paintedYellow(form->editUcl));
    EXPECT_TRUE(paintedButtonFace(form->editUcl));
    leaveTo(form->editProduct);
    EXPECT_TRUE(paintedButtonFace(form->editUcl));

    // Every header and setting field, as the operator sees it painted; the control-limit
    // fields once the specified method makes them writable.
    choose(form->cmbLimit, QStringLiteral("指定管理値"));
    const QList<QWidget*> fields{form->editProduct, form->editProcess, form->editMbc,     form->editLabel,
                                 form->editUnit,    form->cmbSpecKind, form->editKupper,  form->spinKeta,
                                 form->editKlower,  form->cmbChart,    form->spinBetWeen, form->cmbLimit,
                                 form->editUcl,     form->editLcl,     form->editRsUcl,   form->spinRow,
                                 form->spinCol};
    for (QWidget* w : fields) {
        leaveTo(w);
        EXPECT_TRUE(paintedYellow(w)) << w->metaObject()->className();
        leaveTo(form->gridEdit);
        EXPECT_TRUE(paintedWhite(w)) << w->metaObject()->className();
    }
    form->pageInput->setCurrentIndex(1);
    for (QWidget* w : std::initializer_list<QWidget*>{form->cmbCpCpk, form->editCpCpk}) {
        leaveTo(w);
        EXPECT_TRUE(paintedYellow(w)) << w->metaObject()->className();
        leaveTo(form->editProduct);
        EXPECT_TRUE(paintedWhite(w)) << w->metaObject()->className();
    }
}

TEST_F(EditingTest, LeavingAFieldNormalisesIt)
{
    start();
    // An emptied count takes its minimum, and the grids follow.
    type(form->spinRow, "");
    form->spinRow->setText("");
    leaveTo(form->editProduct);
    EXPECT_EQ(form->spinRow->text(), "10");
    EXPECT_EQ(form->gridEdit->rowCount(), 11);
    form->spinCol->setText("0");
    leaveTo(form->spinCol);
    leaveTo(form->editProduct);
    EXPECT_EQ(form->spinCol->text(), "1");

    // New digits reformat both limits.
    form->editKupper->setText("10.5");
    form->editKlower->setText("9.5");
    leaveTo(form->spinKeta);
    form->spinKeta->setText("5");
    leaveTo(form->editProduct);
    EXPECT_EQ(form->editKupper->text(), "10.50000");
    EXPECT_EQ(form->editKlower->text(), "9.50000");

    // A limit is reformatted, or emptied when it is no number.
    leaveTo(form->editKupper);
    form->editKupper->setText("11");
    leaveTo(form->editKlower);
    EXPECT_EQ(form->editKupper->text(), "11.00000");
    form->editKlower->setText("9-");
    leaveTo(form->editProduct);
    EXPECT_EQ(form->editKlower->text(), "");

    // The item name and the tab caption follow each other.
    leaveTo(form->editLabel);
    form->editLabel->setText("Bore");
    leaveTo(form->editProduct);
    EXPECT_EQ(form->tabCtrl->tabText(0), "Bore");
    leaveTo(form->editLabel);
    form->editLabel->setText("  ");
    leaveTo(form->editProduct);
    EXPECT_EQ(form->editLabel->text(), "Bore");

    // The threshold: two decimals, "1.33" for text that is no number, blank stays blank.
    for (const auto& [typed, left] : {std::pair<QString, QString>{"1", "1.00"}, {"1.5", "1.50"}, {".", "1.33"}, {"", ""}}) {
        form->pageInput->setCurrentIndex(1);
        leaveTo(form->editCpCpk);
        form->editCpCpk->setText(typed);
        leaveTo(form->cmbCpCpk);
        EXPECT_EQ(form->editCpCpk->text(), left) << typed.toStdString();
    }
}

TEST_F(EditingTest, EveryFieldTakesOnlyItsCharactersFromTheKeyboard)
{
    start();
    choose(form->cmbLimit, QStringLiteral("指定管理値")); // the control-limit fields become writable
    // Keys typed one after the other into an emptied field, and what the field then shows. A
    // key may carry several characters ("1a"); "\b" is Backspace.
    const QStringList nameKeys{"A", "#", "*", ",", "/", ":", "?", "[", "\\", "]", " ", "-", "品", "ｶ", "b"};
    const QStringList limitKeys{"1", ".", "5", ".", "e", "+", ",", "１", "-", "-", "2", "\b", "3"};
    struct Case {
        QWidget* field;
        QStringList keys;
        QString shown;
    };
    const Case cases[] = {
        {form->editProduct, nameKeys, "A -品ｶb"}, {form->editProcess, nameKeys, "A -品ｶb"},
        {form->editMbc, nameKeys, "A -品ｶb"},     {form->editLabel, nameKeys, "A -品ｶb"},
        {form->editUnit, nameKeys, "A -品ｶb"},    {form->editKupper, limitKeys, "1.5-3"},
        {form->editKlower, limitKeys, "1.5-3"},   {form->editUcl, limitKeys, "1.5-3"},
        {form->editLcl, limitKeys, "1.5-3"},      {form->editRsUcl, limitKeys, "1.5-3"},
        {form->spinRow, {"1a", "x", "-", ".", "１", "12"}, "12"},
        {form->spinCol, {"5", "e", "0"}, "50"},
        {form->spinKeta, {"9", "6", "-", "３", "4"}, "4"},
        {form->spinBetWeen, {"a", "7"}, "7"},
    };
    auto shown = [](QWidget* field) {
        if (auto* s = qobject_cast<ui::SpinEdit*>(field)) return s->text();
        return qobject_cast<QLineEdit*>(field)->text();
    };
    auto typeInto = [&](QWidget* field, const QStringList& keys) {
        leaveTo(field);
        if (auto* s = qobject_cast<ui::SpinEdit*>(field)) s->setText("");
        else qobject_cast<QLineEdit*>(field)->clear();
        for (const QString& k : keys) {
            if (k == "\b") press(Qt::Key_Backspace);
            else if (k.size() == 1 && k[0].unicode() < 128) typeKeys(k);
            else typeCharacter(k);
        }
    };
    for (const Case& c : cases) {
        typeInto(c.field, c.keys);
        EXPECT_EQ(shown(c.field), c.shown) << c.field->metaObject()->className() << " " << c.keys.join(' ').toStdString();
    }
    form->pageInput->setCurrentIndex(1);
    typeInto(form->editCpCpk, {"1", ".", "-", "3", ".", "3"});
    EXPECT_EQ(form->editCpCpk->text(), "1.33");
}

TEST_F(EditingTest, NameFieldsRefuseCharactersTheSheetFilesCannotHold)
{
    start();
    leaveTo(form->editProduct);
    typeKeys("AB");
    typeCharacter(QStringLiteral("😀"));
    typeCharacter(QStringLiteral("品"));
    EXPECT_EQ(form->editProduct->text(), QStringLiteral("AB品"));
    // A paste holding such a character is refused as a whole, with a warning.
    QApplication::clipboard()->setText(QStringLiteral("x😀y"));
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->editProduct->text(), QStringLiteral("AB品"));
    EXPECT_EQ(ui.messages.size(), 1);
    QApplication::clipboard()->setText(QStringLiteral("ｶﾅ①"));
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->editProduct->text(), QStringLiteral("AB品ｶﾅ①"));
}

TEST_F(EditingTest, JapaneseInputIsOnForNamesAndOffForNumbersAndGrids)
{
    startWithGrid(10, 3);
    for (QWidget* w : std::initializer_list<QWidget*>{form->editProduct, form->editProcess, form->editMbc, form->editLabel})
        EXPECT_TRUE(ui::japaneseInputOn(w));
    for (QWidget* w : std::initializer_list<QWidget*>{form->editUnit, form->editKupper, form->editKlower, form->gridEdit,
                                                      form->gridCtrl})
        EXPECT_FALSE(ui::japaneseInputOn(w));
    typeKeys("1");
    ASSERT_TRUE(form->gridEdit->activeEditor());
    EXPECT_FALSE(ui::japaneseInputOn(form->gridEdit->activeEditor()));
}

// Paints one measurement cell the way the grid does and tells whether its text is red.
bool drawnRed(TMainForm& f, const QString& text)
{
    QImage image(85, 20, QImage::Format_RGB32);
    QPainter p(&image);
    ui::CellPaint c;
    c.col = 0;
    c.row = 1;
    c.rect = image.rect();
    c.text = text;
    f.gridEditDrawCell(p, c);
    p.end();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor px(image.pixel(x, y));
            if (px.red() > 200 && px.green() < 80 && px.blue() < 80) return true;
        }
    return false;
}

TEST_F(EditingTest, ValuesOutsideTheShownLimitsAreDrawnRedAfterAJudgement)
{
    start();
    form->editKupper->setText("10.500");
    form->editKlower->setText("9.500");
    form->gridEdit->setCell(0, 1, "10.501");
    EXPECT_FALSE(drawnRed(*form, "10.501")); // not judged yet
    QTest::mouseClick(form->btnSpecJudg, Qt::LeftButton);
    EXPECT_EQ(form->pnlSpecJudg->text(), "不合格");
    EXPECT_TRUE(drawnRed(*form, "10.501"));
    EXPECT_FALSE(drawnRed(*form, "10.500"));
    EXPECT_FALSE(drawnRed(*form, "9.500"));
    EXPECT_TRUE(drawnRed(*form, "9.499"));
    EXPECT_FALSE(drawnRed(*form, "abc"));
    // The limits as shown when the cell is drawn.
    form->editKupper->setText("11");
    EXPECT_FALSE(drawnRed(*form, "10.501"));
    choose(form->cmbSpecKind, form->cmbSpecKind->itemText(1));
    EXPECT_FALSE(drawnRed(*form, "9.499"));
    // The header clear ends the marking.
    click(form->btnSpecClear);
    form->editKupper->setText("1");
    EXPECT_FALSE(drawnRed(*form, "5"));
}

// The background a grid shows for a data cell, read off the screen just inside the cell's
// top-left corner, away from its text ("#rrggbb").
std::string shownBackground(ui::StringGrid* grid, int col, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row - grid->fixedRows(), col - grid->fixedCols()));
    return grid->viewport()->grab().toImage().pixelColor(cell.topLeft() + QPoint(3, 3)).name().toStdString();
}

TEST_F(EditingTest, GridsShowTheCurrentCellYellowOnlyWhileTheyHaveTheFocus)
{
    startSmallSheet();
    const std::string yellow = "#ffff00", white = "#ffffff", lightGreen = QColor(150, 245, 150).name().toStdString();
    const std::string highlight = form->gridEdit->palette().color(QPalette::Highlight).name().toStdString();
    values(1, {"9.900", "10.000", "10.100"});
    values(2, {"10.000", "10.200", "10.100"});
    values(3, {"10.100", "9.800", "10.000"});

    // The measurement grid: the current cell yellow, the rest of the selection highlighted.
    focusCell(1, 2);
    form->gridEdit->setSelection({0, 1, 1, 2});
    QApplication::processEvents();
    EXPECT_EQ(shownBackground(form->gridEdit, 1, 2), yellow);
    EXPECT_EQ(shownBackground(form->gridEdit, 0, 1), highlight);
    EXPECT_EQ(shownBackground(form->gridEdit, 2, 2), white);
    leaveTo(form->editProduct);
    EXPECT_EQ(shownBackground(form->gridEdit, 1, 2), white); // without the focus no selection shows
    EXPECT_EQ(shownBackground(form->gridEdit, 0, 1), white);

    // The result grids: odd rows white, even rows light green, the current row yellow while
    // the grid has the focus.
    QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
    ASSERT_EQ(form->gridCalc->rowCount(), 5);
    for (ui::StringGrid* grid : {form->gridCalc, form->gridSpc}) {
        SCOPED_TRACE(grid->objectName().toStdString());
        form->pageInput->setCurrentIndex(grid == form->gridCalc ? 1 : 2);
        grid->setCurrentCell(1, 2);
        leaveTo(form->editProduct);
        EXPECT_EQ(shownBackground(grid, 1, 1), white);
        EXPECT_EQ(shownBackground(grid, 3, 2), lightGreen);
        EXPECT_EQ(shownBackground(grid, 2, 3), white);
        leaveTo(grid);
        EXPECT_EQ(shownBackground(grid, 1, 2), yellow);
        EXPECT_EQ(shownBackground(grid, 4, 2), yellow);
        EXPECT_EQ(shownBackground(grid, 1, 1), white);
        EXPECT_EQ(shownBackground(grid, 2, 3), white);
    }
}

TEST_F(EditingTest, TheLotGridScrollsWithTheMeasurementGrid)
{
    startWithGrid(100, 10);
    for (int top : {40, 1, 100}) {
        form->gridEdit->setTopRow(top);
        QApplication::processEvents();
        EXPECT_EQ(form->gridCtrl->topRow(), form->gridEdit->topRow()) << top;
    }
    EXPECT_GT(form->gridEdit->topRow(), 80);
    // Down to the last lot, whatever part of a row the window's height leaves over.
    for (int h = 640; h < 680; h += 4) {
        form->resize(form->width(), h);
        QApplication::processEvents();
        form->gridEdit->setTopRow(100);
        QApplication::processEvents();
        EXPECT_EQ(form->gridCtrl->topRow(), form->gridEdit->topRow()) << h;
    }
}

TEST_F(EditingTest, TheLotChecksToggleFromMouseAndSpace)
{
    startWithGrid(10, 3);
    form->gridCtrl->setFocus();
    QApplication::processEvents();
    const QRect r4 = form->gridCtrl->visualRect(form->gridCtrl->model()->index(3, 0));
    QTest::mouseClick(form->gridCtrl->viewport(), Qt::LeftButton, {}, r4.center());
    EXPECT_FALSE(form->gridCtrl->flag(1, 4));
    form->gridCtrl->setSelection({1, 3, 1, 5});
    press(Qt::Key_Space);
    EXPECT_FALSE(form->gridCtrl->flag(1, 3));
    EXPECT_TRUE(form->gridCtrl->flag(1, 4));
    EXPECT_FALSE(form->gridCtrl->flag(1, 5));
    click(form->btnAllOn);
    for (int r = 1; r <= 10; ++r) EXPECT_TRUE(form->gridCtrl->flag(1, r));
}

TEST_F(EditingTest, HelpOpensTheManualTheHomePageAndTheAboutBox)
{
    start();
    const QString manual = ui::manualPath(TMainForm::programFolder());
    QFile::remove(manual);
    form->menuHelpManual->trigger();
    EXPECT_TRUE(ui.openedDocuments.isEmpty()); // a missing manual: nothing, no message
    {
        QFile f(manual);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    form->menuHelpManual->trigger();
    QFile::remove(manual);
    ASSERT_EQ(ui.openedDocuments.size(), 1);
    EXPECT_EQ(ui.openedDocuments[0], QUrl::fromLocalFile(manual));
    EXPECT_TRUE(manual.endsWith(QStringLiteral("/操作手順書.pdf")));

    form->menuHelpHome->trigger();
    ASSERT_EQ(ui.openedDocuments.size(), 2);
    EXPECT_EQ(ui.openedDocuments[1], QUrl("https://www.mirelda.example/quorvane/"));

    ui.dialogScripts.push_back([&](QDialog& d) {
        EXPECT_EQ(&d, about);
        EXPECT_EQ(d.windowTitle(), "バージョン情報");
        EXPECT_EQ(about->lblAppName->text(), "Quorvane");
        EXPECT_EQ(about->lblProductName->text(), "Quorvane");
        EXPECT_EQ(about->lblVersion->text(), "Version " + form->fileVersion());
        EXPECT_EQ(about->lblVersion->text(), "Version 1.0.0.0");
        EXPECT_TRUE(about->OKButton->isDefault());
        about->OKButton->click();
        return d.result();
    });
    form->menuHelpAbout->trigger();
    EXPECT_TRUE(ui.dialogScripts.empty());
    EXPECT_EQ(about->result(), QDialog::Accepted);
    EXPECT_TRUE(ui.messages.isEmpty());
}

} // namespace
