#include "MainFormFixture.h"

#include "ui/FilteredLineEdit.h"
#include "ui/InputMethod.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QScreen>
#include <QTimer>

// Whatever way text gets into a field — typed, pasted with the shortcut or the context menu,
// committed by an input method — the field's filter applies; refused characters are dropped.
class InputFilterTest : public MainFormTest {
protected:
    void SetUp() override { start(); }

    void focus(QWidget* w)
    {
        w->setFocus();
        QApplication::processEvents();
    }
    // The editable text widget of a field (a spin edit's own text field).
    static QWidget* textOf(QWidget* field)
    {
        if (auto* s = qobject_cast<ui::SpinEdit*>(field)) return s->editor();
        return field;
    }
    void pasteWithShortcut(QWidget* field, const QString& text)
    {
        focus(field);
        QApplication::clipboard()->setText(text);
        QTest::keyClick(textOf(field), Qt::Key_V, Qt::ControlModifier);
        QApplication::processEvents();
    }
    // Opens the field's context menu and chooses its paste item with the keyboard.
    void pasteWithContextMenu(QWidget* field, const QString& text)
    {
        focus(field);
        QApplication::clipboard()->setText(text);
        QTimer::singleShot(0, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_TRUE(menu);

            for (QAction* a : menu->actions())
                if (a->text().contains("Paste")) {
                    menu->setActiveAction(a);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            ADD_FAILURE() << "no paste item";
            menu->close();
        });
        QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(2, 2), field->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(field, &e);
        QTest::qWait(20);
        // The offscreen platform does not give the window back its activation after a popup.
        QApplication::setActiveWindow(form.get());
        QApplication::processEvents();
    }
    void commitFromInputMethod(QWidget* field, const QString& text)
    {
        focus(field);
        QInputMethodEvent e(QString(), {});
        e.setCommitString(text);
        QApplication::sendEvent(textOf(field), &e);
        QApplication::processEvents();
    }
};

TEST_F(InputFilterTest, LimitFieldsKeepOnlyWhatTypingWouldKeep)
{
    pasteWithShortcut(form->editKupper, "ab-1.2.3");
    EXPECT_EQ(form->editKupper->text(), "-1.23");
    pasteWithShortcut(form->editKupper, "-9"); // a second minus is refused wherever it comes
    EXPECT_EQ(form->editKupper->text(), "-1.239");
    commitFromInputMethod(form->editKlower, QStringLiteral("１２3.4"));
    EXPECT_EQ(form->editKlower->text(), "3.4");

    // The control-limit fields become writable with the specified method; their filter holds
    // for the context menu's paste too.
    choose(form->cmbLimit, QStringLiteral("指定管理値"));
    pasteWithContextMenu(form->editUcl, "x12,5");
    EXPECT_EQ(form->editUcl->text(), "125");
    pasteWithShortcut(form->editLcl, "1e5");
    EXPECT_EQ(form->editLcl->text(), "15");
    commitFromInputMethod(form->editRsUcl, "0.5ｍｍ");
    EXPECT_EQ(form->editRsUcl->text(), "0.5");
}

TEST_F(InputFilterTest, NameFieldsDropTheCharactersSheetNamesRefuse)
{
    form->editLabel->clear();
    form->editUnit->clear();
    pasteWithShortcut(form->editLabel, "A#1*/:?[B]");
    EXPECT_EQ(form->editLabel->text(), "A1B");
    commitFromInputMethod(form->editProduct, QStringLiteral("部品/Ａ😀"));
    EXPECT_EQ(form->editProduct->text(), QStringLiteral("部品Ａ"));
    pasteWithContextMenu(form->editUnit, "m\\m");
    EXPECT_EQ(form->editUnit->text(), "mm");
}

TEST_F(InputFilterTest, CountFieldsTakeOnlyAsciiDigits)
{
    form->spinRow->setValue(20);
    form->gridCtrl->setCell(0, 3, "X3"); // a custom lot number a new layout would reset
    pasteWithShortcut(form->spinRow, QStringLiteral("１２"));
    EXPECT_EQ(form->spinRow->text(), "20");
    commitFromInputMethod(form->spinRow, QStringLiteral("３０"));
    EXPECT_EQ(form->spinRow->text(), "20");
    form->spinBetWeen->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(form->spinRow->text(), "20");
    EXPECT_EQ(form->gridCtrl->rowCount(), 21);
    EXPECT_EQ(form->gridCtrl->cell(0, 3), "X3");

    pasteWithContextMenu(form->spinCol, "a5");
    EXPECT_EQ(form->spinCol->text(), "100"); // "105" once the letter is dropped: cut at once

    form->spinKeta->setValue(3);
    pasteWithShortcut(form->spinKeta, "7");
    EXPECT_EQ(form->spinKeta->text(), "3");
}

TEST_F(InputFilterTest, ATextThatIsNoCountIsLeftAsTheMinimum)
{
    form->spinRow->setValue(20);
    form->spinRow->setText(QStringLiteral("１２")); // set by the program, not typed
    EXPECT_EQ(form->gridCtrl->rowCount(), 21);       // no layout for a text that is no count
    focus(form->spinRow);
    focus(form->spinCol);
    EXPECT_EQ(form->spinRow->text(), "10");
    EXPECT_EQ(form->gridCtrl->rowCount(), 11);
}

TEST_F(InputFilterTest, MeasurementEditorFiltersPasteAndCommits)
{
    form->spinRow->setValue(10);
    form->spinCol->setValue(3);
    focus(form->gridEdit);
    form->gridEdit->setCurrentCell(0, 1);
    typeKeys("1");
    ASSERT_TRUE(form->gridEdit->activeEditor());
    QApplication::clipboard()->setText("x.5.-");
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->gridEdit->cell(0, 1), "1.5");
    QInputMethodEvent e(QString(), {});
    e.setCommitString(QStringLiteral("２7"));
    QApplication::sendEvent(form->gridEdit->activeEditor(), &e);
    EXPECT_EQ(form->gridEdit->cell(0, 1), "1.57");
}

TEST_F(InputFilterTest, AGridPasteWithACharacterTheFilesCannotHoldIsRefusedWithAWarning)
{
    form->spinRow->setValue(10);
    form->spinCol->setValue(3);
    focus(form->gridEdit);
    form->gridEdit->setCurrentCell(0, 1);
    QApplication::clipboard()->setText(QStringLiteral("1.5\t2.5\r\n3\t😀\r\n"));
    press(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, "警告メッセージ");
    EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::Warning);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("「😀」"))) << ui.messages[0].text.toStdString();
    for (int r = 1; r <= 2; ++r)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(form->gridEdit->cell(c, r), "");
    QApplication::clipboard()->setText(QStringLiteral("1.5\t2.5\r\n"));
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->gridEdit->cell(1, 1), "2.5");
    EXPECT_EQ(ui.messages.size(), 1);
}

TEST_F(InputFilterTest, JapaneseInputIsSwitchedOffForRealWhereNumbersAreTyped)
{
    for (QWidget* w : std::initializer_list<QWidget*>{form->spinRow, form->spinCol, form->spinKeta, form->spinTab,
                                                      form->spinBetWeen, form->editKupper, form->editUnit, form->gridEdit}) {
        EXPECT_FALSE(textOf(w)->testAttribute(Qt::WA_InputMethodEnabled)) << w->metaObject()->className();
        EXPECT_FALSE(w->testAttribute(Qt::WA_InputMethodEnabled));
    }
    EXPECT_TRUE(form->editProduct->testAttribute(Qt::WA_InputMethodEnabled));
    // Becoming writable does not bring the input method back.
    choose(form->cmbLimit, QStringLiteral("指定管理値"));
    EXPECT_FALSE(form->editUcl->isReadOnly());
    EXPECT_FALSE(form->editUcl->testAttribute(Qt::WA_InputMethodEnabled));
    focus(form->gridEdit);
    typeKeys("1");
    ASSERT_TRUE(form->gridEdit->activeEditor());
    EXPECT_FALSE(form->gridEdit->activeEditor()->testAttribute(Qt::WA_InputMethodEnabled));
    // Moving on to the next cell (the view switches its input method on for a cell it may edit).
    press(Qt::Key_Return);
    press(Qt::Key_Down);
    EXPECT_FALSE(form->gridEdit->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(sheets->spinTab->editor()->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(lotEdit->gridLotno->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(InputFilterTest, TheSheetCountDialogIsCentredAndTheLotGridsColumnsKeepTheirWidths)
{
    ui.dialogScripts.push_back([&](QDialog& d) {
        const QPoint centre = d.screen()->availableGeometry().center();
        EXPECT_LE((d.frameGeometry().center() - centre).manhattanLength(), 4);
        return int(QDialog::Rejected);
    });
    chooseMenuItem(form->menuSettingSheets);
    EXPECT_TRUE(ui.dialogScripts.empty());

    // Dragging the border between the lot grid's captions changes nothing.
    QHeaderView* header = form->gridCtrl->horizontalHeader();
    const int before = form->gridCtrl->colWidth(1);
    const QPoint border(header->sectionViewportPosition(0) + header->sectionSize(0) - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, border);
    QTest::mouseMove(header->viewport(), border + QPoint(40, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, border + QPoint(40, 0));
    EXPECT_EQ(form->gridCtrl->colWidth(1), before);
}
