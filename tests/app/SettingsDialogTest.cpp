#include "MainFormFixture.h"
#include "FullDisk.h"

#include "charts/TChartForm.h"
#include "ui/InputMethod.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>

// The initial-values and rule-settings dialogs, opened from the Settings menu and driven
// with the keyboard and the mouse while the main window waits for them.
class SettingsDialogTest : public MainFormTest {
protected:
    void SetUp() override { start(); }

    // Opens a dialog from its menu item; `script` acts on it while it is shown.
    template <typename Dialog>
    void open(QAction* item, Dialog* dialog, const std::function<void(Dialog&)>& script)
    {
        ui.dialogScripts.push_back([&, dialog, script](QDialog& d) {
            EXPECT_EQ(&d, dialog);
            QApplication::setActiveWindow(&d);
            QApplication::processEvents();
            script(*dialog);
            return d.result();
        });
        chooseMenuItem(item);
        EXPECT_TRUE(ui.dialogScripts.empty());
    }
    void openSetting(const std::function<void(TSettingForm&)>& script) { open(form->menuSettingInit, setting, script); }
    void openOption(const std::function<void(TOptionForm&)>& script) { open(form->menuSettingOption, option, script); }

    // Replaces a field's text with keys: select all, then type.
    static void retype(QWidget* field, const QString& text)
    {
        field->setFocus();
        QApplication::processEvents();
        press(Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) press(Qt::Key_Backspace);
        typeKeys(text);
    }
    // Opens a list with the mouse and reads the items its popup shows; Esc closes it again.
    static QStringList shownItems(QComboBox* list)
    {
        QTest::mouseClick(list, Qt::LeftButton);
        QAbstractItemView* view = list->view();
        if (!QTest::qWaitFor([view] { return view->isVisible(); }, 2000)) return {};
        QStringList items;
        for (int r = 0; r < view->model()->rowCount(); ++r) items << view->model()->index(r, 0).data().toString();
        QTest::keyClick(view, Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([view] { return !view->isVisible(); }, 2000));
        QApplication::setActiveWindow(list->window());
        QApplication::processEvents();
        return items;
    }
    static bool centred(const QWidget& d)
    {
        return (d.frameGeometry().center() - d.screen()->availableGeometry().center()).manhattanLength() <= 4;
    }
};

// ---------------------------------------------------------------- initial values

TEST_F(SettingsDialogTest, InitialValuesOpenOnTheStoredSettingsLaidOutAsTheSheetFields)
{
    EXPECT_TRUE(form->menuSettingInit->isEnabled());
    form->appSettings().Unit = "KG";
    form->appSettings().Keta = 2;
    form->appSettings().LimitIndex = 1;
    openSetting([&](TSettingForm& d) {
        EXPECT_EQ(d.windowTitle(), "各種初期値設定");
        EXPECT_TRUE(centred(d));
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        EXPECT_EQ(d.spinTab->text(), "3");
        EXPECT_EQ(d.spinRow->text(), "100");
        EXPECT_EQ(d.spinCol->text(), "10");
        EXPECT_EQ(d.editUnit->text(), "KG");
        EXPECT_EQ(d.cmbSpecKind->currentText(), "公差規格");
        EXPECT_EQ(d.spinKeta->text(), "2");
        EXPECT_TRUE(d.chkCpCpk->isChecked());
        EXPECT_EQ(d.cmbCpCpk->currentText(), "CPK");
        EXPECT_EQ(d.editCpCpk->text(), "1.33");
        EXPECT_EQ(d.cmbChart->currentText(), "XbarR管理図");
        EXPECT_EQ(d.cmbLimit->currentText(), "指定管理値");
        EXPECT_TRUE(d.spinTab->hasFocus());
        EXPECT_TRUE(paintedYellow(d.spinTab));
        EXPECT_EQ(d.spinRow->toolTip(), "「ロット数（行数）」を１０～１００の範囲で設定してください。");
        EXPECT_EQ(d.editCpCpk->toolTip(), "「演算判定種別」の不良率を入力してください。");
        for (ui::SpinEdit* s : {d.spinTab, d.spinRow, d.spinCol, d.spinKeta}) EXPECT_TRUE(s->alignment() & Qt::AlignRight);
        EXPECT_TRUE(d.editCpCpk->alignment() & Qt::AlignRight);
        EXPECT_TRUE(d.editUnit->alignment() & Qt::AlignHCenter);
        // The threshold stands in the blank of its sentence.
        EXPECT_EQ(d.lblCpCpk->text(), "が　　　未満を「赤色表示(異常)」とする");
        const QFontMetrics fm = d.lblCpCpk->fontMetrics();
        EXPECT_EQ(d.editCpCpk->parentWidget(), d.lblCpCpk);
        EXPECT_EQ(d.editCpCpk->x(), fm.horizontalAdvance("が"));
        EXPECT_LE(d.editCpCpk->geometry().right(), fm.horizontalAdvance("が　　　"));
        for (QWidget* w : std::initializer_list<QWidget*>{d.spinTab, d.spinRow, d.spinCol, d.editUnit, d.spinKeta, d.editCpCpk,
                                                          d.spinTab->editor(), d.spinKeta->editor()})
            EXPECT_FALSE(ui::japaneseInputOn(w)) << w->metaObject()->className();

        // Enter walks the settings in their order; Esc cancels.
        press(Qt::Key_Return);
        EXPECT_TRUE(d.spinRow->hasFocus());
        EXPECT_TRUE(paintedWhite(d.spinTab));
        EXPECT_TRUE(paintedYellow(d.spinRow));
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        EXPECT_TRUE(d.editUnit->hasFocus());
        typeKeys("g/");                          // the slash is refused, as in the sheet's unit field
        EXPECT_EQ(d.editUnit->text(), "g");      // entered with Enter: the text was selected
        press(Qt::Key_Escape);
    });
    EXPECT_EQ(setting->result(), QDialog::Rejected);
    EXPECT_EQ(form->appSettings().Unit, "KG");
    EXPECT_EQ(form->editUnit->text(), "MM");    // nothing applied to the window

    // Every showing starts from the settings again, not from abandoned edits.
    openSetting([&](TSettingForm& d) {
        EXPECT_EQ(d.editUnit->text(), "KG");
        EXPECT_TRUE(paintedWhite(d.editUnit));
        d.btnCancel->click();
    });
}

TEST_F(SettingsDialogTest, TheWindowsListsAndTheDialogsShowTheSameItems)
{
    const QStringList specKinds{"公差規格", "上限規格", "下限規格"};
    const QStringList charts{"XbarR管理図", "XbarS管理図", "X-Rs管理図"};
    const QStringList limits{"３シグマ法", "指定管理値", "管理図係数法"};
    const QStringList indices{"CP", "CPK"};
    EXPECT_EQ(shownItems(form->cmbSpecKind), specKinds);
    EXPECT_EQ(shownItems(form->cmbChart), charts);
    EXPECT_EQ(shownItems(form->cmbLimit), limits);
    form->pageInput->setCurrentIndex(1);
    EXPECT_EQ(shownItems(form->cmbCpCpk), indices);
    openSetting([&](TSettingForm& d) {
        EXPECT_EQ(shownItems(d.cmbSpecKind), specKinds);
        EXPECT_EQ(shownItems(d.cmbChart), charts);
        EXPECT_EQ(shownItems(d.cmbLimit), limits);
        EXPECT_EQ(shownItems(d.cmbCpCpk), indices);
        d.btnCancel->click();
    });
}

TEST_F(SettingsDialogTest, LeftFieldsAreBroughtIntoRangeAndTheThresholdToTwoDecimals)
{
    openSetting([&](TSettingForm& d) {
        retype(d.spinRow, "");
        press(Qt::Key_Tab);
        EXPECT_EQ(d.spinRow->text(), "10");
        retype(d.spinRow, "0");
        press(Qt::Key_Tab);
        EXPECT_EQ(d.spinRow->text(), "10");
        retype(d.spinRow, "5");
        press(Qt::Key_Tab);
        EXPECT_EQ(d.spinRow->text(), "10");
        retype(d.spinTab, "15x0");               // the letter is refused
        EXPECT_EQ(d.spinTab->text(), "150");
        press(Qt::Key_Tab);
        EXPECT_EQ(d.spinTab->text(), "100");
        retype(d.spinKeta, "9");                 // 0 to 5 only
        EXPECT_EQ(d.spinKeta->text(), "");
        typeKeys("4");
        retype(d.editCpCpk, "1.5.");             // one point only
        EXPECT_EQ(d.editCpCpk->text(), "1.5");
        EXPECT_TRUE(paintedYellow(d.editCpCpk));
        press(Qt::Key_Tab);
        EXPECT_EQ(d.editCpCpk->text(), "1.50");
        EXPECT_TRUE(paintedWhite(d.editCpCpk));
        retype(d.editCpCpk, ".");
        press(Qt::Key_Tab);
        EXPECT_EQ(d.editCpCpk->text(), "1.33");
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(setting->result(), QDialog::Accepted);
    const model::AppSettings& a = form->appSettings();
    EXPECT_EQ(a.Tab, 100);
    EXPECT_EQ(a.Row, 10);
    EXPECT_EQ(a.Keta, 4);
    EXPECT_EQ(a.CpCpk, "1.33");
}

TEST_F(SettingsDialogTest, XRsGoesWithOneMeasurementPerLot)
{
    form->appSettings().ChartIndex = 1;
    openSetting([&](TSettingForm& d) {
        EXPECT_EQ(d.cmbChart->currentText(), "XbarS管理図");
        choose(d.cmbChart, "X-Rs管理図");
        EXPECT_EQ(d.spinCol->text(), "1");
        choose(d.cmbChart, "XbarR管理図");        // one measurement keeps X-Rs
        EXPECT_EQ(d.cmbChart->currentText(), "X-Rs管理図");
        retype(d.spinCol, "5");
        EXPECT_EQ(d.cmbChart->currentText(), "XbarS管理図"); // the stored kind comes back
        retype(d.spinCol, "1");
        EXPECT_EQ(d.cmbChart->currentText(), "X-Rs管理図");
        d.btnOk->click();
    });
    EXPECT_EQ(form->appSettings().Col, 1);
    EXPECT_EQ(form->appSettings().ChartIndex, 2);
    EXPECT_EQ(form->gridEdit->colCount(), 1);
    EXPECT_EQ(form->cmbChart->currentText(), "X-Rs管理図");
    EXPECT_EQ(form->gridSpc->cell(9, 0), "Rs①");
}

TEST_F(SettingsDialogTest, AnUncheckedCapabilityBoxGreysTheThresholdButItsValuesAreStored)
{
    openSetting([&](TSettingForm& d) {
        choose(d.cmbCpCpk, "CP");
        retype(d.editCpCpk, "1.5");
        QTest::mouseClick(d.chkCpCpk, Qt::LeftButton);
        EXPECT_FALSE(d.chkCpCpk->isChecked());
        for (QWidget* w : std::initializer_list<QWidget*>{d.cmbCpCpk, d.editCpCpk}) {
            EXPECT_FALSE(w->isEnabled());
            EXPECT_TRUE(paintedButtonFace(w));
        }
        EXPECT_EQ(d.editCpCpk->text(), "1.50");  // left when the box was clicked
        // Enter skips the greyed fields.
        d.chkCpCpk->setFocus();
        press(Qt::Key_Return);
        EXPECT_TRUE(d.cmbChart->hasFocus());
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
    });
    const model::AppSettings& a = form->appSettings();
    EXPECT_FALSE(a.CpkCheck);
    EXPECT_EQ(a.CpkIndex, 0);
    EXPECT_EQ(a.CpCpk, "1.50");
    EXPECT_FALSE(form->chkCpCpk->isChecked());
    EXPECT_FALSE(form->editCpCpk->isEnabled());
    EXPECT_EQ(form->cmbCpCpk->currentText(), "CP");
    EXPECT_EQ(form->editCpCpk->text(), "1.50");

    // The next showing greys them again from the settings.
    openSetting([&](TSettingForm& d) {
        EXPECT_FALSE(d.chkCpCpk->isChecked());
        EXPECT_FALSE(d.editCpCpk->isEnabled());
        d.btnCancel->click();
    });
}

TEST_F(SettingsDialogTest, OkAppliesCountsWithTheirHandlersAndListsWithoutTheirs)
{
    form->editProduct->setText("kept");
    openSetting([&](TSettingForm& d) {
        retype(d.spinTab, "5");
        retype(d.spinRow, "20");
        retype(d.spinCol, "4");
        retype(d.editUnit, "CM");
        choose(d.cmbSpecKind, "上限規格");
        retype(d.spinKeta, "1");
        choose(d.cmbLimit, "指定管理値");
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
    });
    // The counts ran their handlers: sheets added, the layout applied.
    EXPECT_EQ(form->tabCtrl->count(), 5);
    EXPECT_EQ(form->sheetStore().count(), 5);
    EXPECT_EQ(form->gridEdit->rowCount(), 21);
    EXPECT_EQ(form->gridEdit->colCount(), 4);
    EXPECT_EQ(form->editUnit->text(), "CM");
    EXPECT_EQ(form->spinKeta->text(), "1");
    EXPECT_EQ(form->editProduct->text(), "kept"); // the shown sheet stays
    // The lists did not run theirs: the fields they govern follow at the next sheet entry.
    EXPECT_EQ(form->cmbSpecKind->currentText(), "上限規格");
    EXPECT_TRUE(form->editKlower->isEnabled());
    EXPECT_EQ(form->cmbLimit->currentText(), "指定管理値");
    EXPECT_TRUE(form->editUcl->isReadOnly());

    clickTab(4);
    EXPECT_FALSE(form->editUcl->isReadOnly());
    EXPECT_FALSE(form->editKlower->isEnabled());  // a new sheet takes the new kind
    EXPECT_EQ(form->editUnit->text(), "CM");
}

// ---------------------------------------------------------------- rule settings

TEST_F(SettingsDialogTest, RuleSettingsOpenOnTheStoredRulesWithTheListsInTheTextsBlanks)
{
    EXPECT_TRUE(form->menuSettingOption->isEnabled());
    form->ruleOptions().Check4 = false;
    form->ruleOptions().Chk7Comp1 = 17;
    openOption([&](TOptionForm& d) {
        EXPECT_EQ(d.windowTitle(), "異常判定ルール設定");
        EXPECT_TRUE(centred(d));
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        EXPECT_TRUE(d.CheckBox1->hasFocus());
        const QStringList texts{"①1点が管理限界線を超えている",       "②      点が中心値に対して同じ側にある",
                                "③      点が増加、または減少している", "④      点が交互に増減している",
                                "⑤連続する      点中、     点が > 2シグマ", "⑥連続する      点中、     点が > 1シグマ",
                                "⑦連続する      点が <= 1シグマ",       "⑧連続する      点が > 1シグマ"};
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(d.checkBoxes()[size_t(i)]->accessibleName(), texts[i]);
            EXPECT_EQ(d.checkBoxes()[size_t(i)]->isChecked(), i != 3);
        }
        const std::pair<QComboBox*, QStringList> items[] = {
            {d.cmbOption2, {"7", "8", "9", "10", "11"}},  {d.cmbOption3, {"4", "5", "6", "7", "8"}},
            {d.cmbOption4, {"12", "13", "14", "15", "16"}}, {d.cmbOption5_1, {"3", "4", "5", "6", "7"}},
            {d.cmbOption5_2, {"2", "3", "4", "5", "6"}},  {d.cmbOption6_1, {"5", "6", "7", "8", "9"}},
            {d.cmbOption6_2, {"4", "5", "6", "7", "8"}},  {d.cmbOption7, {"13", "14", "15", "16", "17"}},
            {d.cmbOption8, {"6", "7", "8", "9", "10"}}};
        const QStringList selected{"9", "6", "14", "3", "2", "5", "4", "17", "8"};
        for (size_t i = 0; i < std::size(items); ++i) {
            QStringList texts;
            for (int k = 0; k < items[i].first->count(); ++k) texts << items[i].first->itemText(k);
            EXPECT_EQ(texts, items[i].second) << i;
            EXPECT_EQ(items[i].first->currentText(), selected[int(i)]) << i;
            EXPECT_FALSE(ui::japaneseInputOn(items[i].first));
        }
        EXPECT_FALSE(ui::japaneseInputOn(d.CheckBox1));

        // Each rule's line as it reads on the screen from left to right: its texts, with the
        // items its lists show standing in the blanks.
        auto shownLine = [](QCheckBox* box) {
            QList<QWidget*> parts;
            for (QWidget* w : box->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const int middle = w->geometry().center().y();
                if (w->isVisible() && middle >= box->y() && middle <= box->geometry().bottom()) parts << w;
            }
            std::sort(parts.begin(), parts.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
            QString line;
            for (QWidget* w : parts) {
                if (auto* label = qobject_cast<QLabel*>(w)) line += label->text();
                if (auto* list = qobject_cast<QComboBox*>(w)) line += "[" + list->currentText() + "]";
            }
            return line;
        };
        qsizetype next = 0;
        for (int i = 0; i < 8; ++i) {
            QString expected = texts[i];
            static const QRegularExpression blank(" {2,}");
            for (QRegularExpressionMatch m; (m = blank.match(expected)).hasMatch();)
                expected.replace(m.capturedStart(), m.capturedLength(), "[" + selected[next++] + "]");
            EXPECT_EQ(shownLine(d.checkBoxes()[size_t(i)]).toStdString(), expected.toStdString());
        }
        EXPECT_EQ(next, selected.size());

        // The lists are not in the tab order: Tab runs from the last check box to OK.
        d.CheckBox8->setFocus();
        press(Qt::Key_Tab);
        EXPECT_TRUE(d.btnOk->hasFocus());
        // A list turns yellow while it has the focus.
        choose(d.cmbOption3, "8");
        EXPECT_TRUE(d.cmbOption3->hasFocus());
        EXPECT_TRUE(paintedYellow(d.cmbOption3));
        QTest::mouseClick(d.CheckBox2, Qt::LeftButton);
        EXPECT_TRUE(paintedWhite(d.cmbOption3));
        EXPECT_FALSE(d.CheckBox2->isChecked());
        press(Qt::Key_Escape);
    });
    EXPECT_EQ(option->result(), QDialog::Rejected);
    EXPECT_TRUE(form->ruleOptions().Check2);
    EXPECT_EQ(form->ruleOptions().Chk3Comp1, 6);
}

TEST_F(SettingsDialogTest, AWindowSmallerThanItsCountIsRefusedAndNothingIsStored)
{
    openOption([&](TOptionForm& d) {
        choose(d.cmbOption5_2, "4");
        choose(d.cmbOption2, "11");
        d.CheckBox1->setFocus();
        press(Qt::Key_Return);                   // Enter presses OK
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0].text, "設定値が異常です。見直してください…");
        EXPECT_EQ(ui.messages[0].caption, "ガイドメッセージ");
        EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::Exclamation);
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.cmbOption5_1->hasFocus());
        EXPECT_EQ(form->ruleOptions().Chk2Comp1, 9);

        choose(d.cmbOption5_2, "3");             // window 3 with count 3 is fine
        choose(d.cmbOption6_2, "6");
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
        ASSERT_EQ(ui.messages.size(), 2);
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.cmbOption6_1->hasFocus());

        choose(d.cmbOption6_1, "6");
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
        EXPECT_EQ(ui.messages.size(), 2);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(option->result(), QDialog::Accepted);
    const model::RuleOptions& r = form->ruleOptions();
    EXPECT_EQ(r.Chk5Comp1, 3);
    EXPECT_EQ(r.Chk5Comp2, 3);
    EXPECT_EQ(r.Chk6Comp1, 6);
    EXPECT_EQ(r.Chk6Comp2, 6);
    EXPECT_EQ(r.Chk2Comp1, 11);
}

TEST_F(SettingsDialogTest, DefaultsThenCancelChangeNothingAndDefaultsThenOkKeepTheSwitches)
{
    model::RuleOptions& r = form->ruleOptions();
    r.Chk2Comp1 = 11;
    r.Chk6Comp1 = 9;
    r.Chk8Comp1 = 10;
    r.Check3 = false;
    const model::RuleOptions before = r;
    openOption([&](TOptionForm& d) {
        QTest::mouseClick(d.btnDefault, Qt::LeftButton);
        EXPECT_EQ(d.cmbOption2->currentText(), "9");
        EXPECT_EQ(d.cmbOption6_1->currentText(), "5");
        EXPECT_EQ(d.cmbOption8->currentText(), "8");
        EXPECT_FALSE(d.CheckBox3->isChecked());
        QTest::mouseClick(d.btnCancel, Qt::LeftButton);
    });
    EXPECT_EQ(r, before);

    openOption([&](TOptionForm& d) {
        EXPECT_EQ(d.cmbOption2->currentText(), "11"); // the abandoned defaults are gone
        QTest::mouseClick(d.btnDefault, Qt::LeftButton);
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
    });
    model::RuleOptions expected = model::RuleOptions::defaults();
    expected.Check3 = false;
    EXPECT_EQ(r, expected);
}

TEST_F(SettingsDialogTest, NewRuleSettingsChangeTheNextSpcJudgement)
{
    // Seven lots above the centre line, then three far below.
    form->spinRow->setValue(10);
    form->spinCol->setValue(2);
    form->editKupper->setText("20.000");
    form->editKlower->setText("0.000");
    for (int r = 1; r <= 10; ++r)
        for (int c = 0; c < 2; ++c) form->gridEdit->setCell(c, r, r <= 7 ? "11.000" : "5.000");
    click(form->btnSpcJudg);
    EXPECT_EQ(form->gridSpc->cell(2, 7), "○");
    EXPECT_EQ(form->gridSpc->cell(8, 7), "○");

    openOption([&](TOptionForm& d) {
        choose(d.cmbOption2, "7");
        QTest::mouseClick(d.CheckBox8, Qt::LeftButton);
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(form->gridSpc->cell(2, 7), "○"); // nothing until the next judgement
    click(form->btnSpcJudg);
    EXPECT_EQ(form->gridSpc->cell(2, 7), "×");
    EXPECT_EQ(form->gridSpc->cell(17, 7), "×異常あり");
    for (int r = 1; r <= 10; ++r) EXPECT_EQ(form->gridSpc->cell(8, r), "－") << r;
    EXPECT_EQ(form->pnlSpcJudg->text(), "不合格");
}

TEST_F(SettingsDialogTest, AStoredCountOutsideItsListShowsTheDefaultAndOkStoresAValidSet)
{
    form->close();
    form.reset();
    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
        raw.setValue("Options/Chk5Comp1", "12");
        raw.setValue("Options/Chk2Comp1", "-3");
        raw.setValue("Options/Chk7Comp1", "16");
        raw.setValue("Options/Check6", "0");
    }
    start();
    openOption([&](TOptionForm& d) {
        EXPECT_EQ(d.cmbOption5_1->currentText(), "3");
        EXPECT_EQ(d.cmbOption2->currentText(), "9");
        EXPECT_EQ(d.cmbOption7->currentText(), "16");  // a value of the list is kept
        EXPECT_FALSE(d.CheckBox6->isChecked());
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
    });
    EXPECT_TRUE(ui.messages.isEmpty());
    model::RuleOptions expected = model::RuleOptions::defaults();
    expected.Chk7Comp1 = 16;
    expected.Check6 = false;
    EXPECT_EQ(form->ruleOptions(), expected);

    // The set reaches the settings store when the window closes.
    form->close();
    QApplication::processEvents();
    const QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
    EXPECT_EQ(stored.value("Options/Chk5Comp1").toString(), "3");
    EXPECT_EQ(stored.value("Options/Chk2Comp1").toString(), "9");
    EXPECT_EQ(stored.value("Options/Chk7Comp1").toString(), "16");
    EXPECT_EQ(stored.value("Options/Check6").toString(), "0");
}

TEST_F(SettingsDialogTest, InitialValuesReachTheSettingsStoreAndTheNextStart)
{
    openSetting([&](TSettingForm& d) {
        retype(d.spinRow, "30");
        retype(d.editUnit, "UM");
        choose(d.cmbChart, "XbarS管理図");
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
    });
    form->close();
    form.reset();
    start();
    EXPECT_EQ(form->gridEdit->rowCount(), 31);
    EXPECT_EQ(form->editUnit->text(), "UM");
    EXPECT_EQ(form->cmbChart->currentText(), "XbarS管理図");
    EXPECT_EQ(form->pnlRsUcl->text(), "S-UCL");
}

TEST_F(SettingsDialogTest, SettingsAHomeCannotTakeAreReportedAtCloseAndTheWindowStillCloses)
{
    const QString folder = settingsDir.path() + QStringLiteral("/Mirelda");
    ASSERT_TRUE(testing_support::withFullDisk(folder, 16, [&] {
        form->close();
        QApplication::processEvents();
    }));
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, QStringLiteral("警告メッセージ"));
    const QString expected = QStringLiteral("設定を保存できませんでした。今回変更した設定は次回の起動に引き継がれません…。\n") +
                             QDir::toNativeSeparators(folder + QStringLiteral("/Quorvane.conf"));
    EXPECT_TRUE(ui.messages[0].text.startsWith(expected)) << ui.messages[0].text.toStdString();
    if (testing_support::ownMountNamespace()) {
        EXPECT_TRUE(ui.messages[0].text.endsWith(QStringLiteral("：空き容量が足りません"))) << ui.messages[0].text.toStdString();
    }
}

TEST_F(SettingsDialogTest, TheStudysWithinSigmaAndTargetAreSetHereAndReachTheStudyAndTheNextStart)
{
    // The counts OK applies are those shown, so the judged sheet keeps its layout and results.
    form->appSettings().Row = 10;
    form->appSettings().Col = 3;
    form->spinRow->setValue(10);
    form->spinCol->setValue(3);
    form->editKupper->setText("11.000");
    form->editKlower->setText("9.000");
    const char* const lots[2][3] = {{"9.800", "10.000", "10.200"}, {"10.000", "10.100", "10.500"}};
    for (int r = 1; r <= 2; ++r)
        for (int c = 0; c < 3; ++c) form->gridEdit->setCell(c, r, lots[r - 1][c]);
    // The study shown in the chart window, which follows the settings.
    chooseMenuItem(form->menuExecStudyView);
    QApplication::processEvents();
    const auto shown = [&](const QString& label) {
        QTableWidget* table = form->chartForm()->tblStudy;
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 0)->text() == label) return table->item(r, 1)->text();
        return QString();
    };
    // The chart kind's own estimator, named in the line's label; the target the tolerance's middle.
    EXPECT_EQ(shown("σ (群内: R̄/d2)"), QString::number((0.4 + 0.5) / 2 / 1.69256875, 'f', 5));
    EXPECT_EQ(shown("Cpm の目標値"), "10.00000");

    openSetting([&](TSettingForm& d) {
        // Enter leads from the limit method to the study's list and on to its target.
        d.cmbLimit->setFocus();
        press(Qt::Key_Return);
        EXPECT_TRUE(d.cmbSigma->hasFocus());
        EXPECT_TRUE(paintedYellow(d.cmbSigma));
        EXPECT_EQ(d.cmbSigma->currentText(), "管理図に合わせる");
        EXPECT_EQ(shownItems(d.cmbSigma), (QStringList{"管理図に合わせる", "合併標準偏差", "R̄/d2", "S̄/c4"}));
        choose(d.cmbSigma, "合併標準偏差");
        d.cmbSigma->setFocus();
        press(Qt::Key_Return);
        EXPECT_TRUE(d.editTarget->hasFocus());
        EXPECT_EQ(d.editTarget->text(), "");
        EXPECT_EQ(d.editTarget->placeholderText(), "規格の中央");
        // Only a number's characters are typed; what is no number is blank once left.
        typeKeys("-");
        press(Qt::Key_Return);
        EXPECT_EQ(d.editTarget->text(), "");
        QTest::mouseClick(d.editTarget, Qt::LeftButton);
        typeKeys("1x0.5a");
        EXPECT_EQ(d.editTarget->text(), "10.5");
        QTest::mouseClick(d.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(form->appSettings().SigmaIndex, 1);
    EXPECT_EQ(form->appSettings().Target, "10.5");
    QApplication::processEvents();
    // Squares 0.08 and 0.14 over 4 degrees, over c4(5).
    const double c4 = std::sqrt(2.0 / 4) * std::tgamma(5 / 2.0) / std::tgamma(4 / 2.0);
    EXPECT_EQ(shown("σ (群内: 合併標準偏差)"), QString::number(std::sqrt(0.22 / 4) / c4, 'f', 5));
    // Mean 10.1, overall variance 0.28 / 5, 0.4 from the target.
    EXPECT_EQ(shown("Cpm の目標値"), "10.50000");
    EXPECT_EQ(shown("Cpm"), QString::number(2.0 / (6 * std::sqrt(0.056 + 0.16)), 'f', 3));

    openSetting([&](TSettingForm& d) {
        EXPECT_EQ(d.editTarget->text(), "10.5");
        choose(d.cmbSigma, "S̄/c4");
        retype(d.editTarget, "9");
        press(Qt::Key_Escape);
    });
    EXPECT_EQ(form->appSettings().SigmaIndex, 1);
    EXPECT_EQ(form->appSettings().Target, "10.5");
    form->close();
    form.reset();
    start();
    EXPECT_EQ(form->appSettings().SigmaIndex, 1);
    openSetting([&](TSettingForm& d) {
        EXPECT_EQ(d.editTarget->text(), "10.5");
        d.btnCancel->click();
    });
}

// ---------------------------------------------------------------- a hand-edited settings file

TEST_F(SettingsDialogTest, HandEditedSettingsAreReadOneWayByTheDialogsTheSheetsTheJudgementAndTheWindow)
{
    form->close();
    form.reset();
    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
        raw.setValue("Windows/Left", "-5000");
        raw.setValue("Windows/Top", "-5000");
        raw.setValue("Options/Chk2Comp1", "100");
        raw.setValue("Options/Chk4Comp1", "-5");
        raw.setValue("Options/Chk5Comp1", "4");  // a window below its count: both take their defaults
        raw.setValue("Options/Chk5Comp2", "5");
        raw.setValue("Options/Chk6Comp1", "9");  // a valid pair stays
        raw.setValue("Options/Chk6Comp2", "8");
        raw.setValue("Settings/Tab", "0");
        raw.setValue("Settings/Row", "5");
        raw.setValue("Settings/Col", "500");
        raw.setValue("Settings/Keta", "9");
        raw.setValue("Settings/SpecIndex", "7");
        raw.setValue("Settings/CpkIndex", "-1");
        raw.setValue("Settings/CpCpk", "abc");
        raw.setValue("Settings/ChartIndex", "3");
        raw.setValue("Settings/LimitIndex", "3");
    }
    start();

    // The window lies on the primary screen with the default bounds (the platform may add its frame).
    EXPECT_EQ(form->size(), QSize(950, 639));
    EXPECT_LE((form->geometry().topLeft() - QGuiApplication::primaryScreen()->geometry().topLeft()).manhattanLength(), 8)
        << form->geometry().x() << "," << form->geometry().y();

    // The main window and a new sheet hold what the dialogs show.
    EXPECT_EQ(form->tabCtrl->count(), 1);
    EXPECT_EQ(form->gridEdit->rowCount(), 11);
    EXPECT_EQ(form->gridEdit->colCount(), 100);
    EXPECT_EQ(form->spinKeta->text(), "5");
    EXPECT_EQ(form->cmbSpecKind->currentText(), "公差規格");
    EXPECT_EQ(form->cmbCpCpk->currentText(), "CPK");
    EXPECT_EQ(form->editCpCpk->text(), "1.33");
    EXPECT_EQ(form->cmbChart->currentText(), "XbarR管理図");
    EXPECT_EQ(form->cmbLimit->currentText(), "３シグマ法");
    form->spinTab->setValue(2);
    ASSERT_EQ(form->sheetStore().count(), 2);
    EXPECT_EQ(form->sheetStore()[1].specKind, "公差規格");
    EXPECT_EQ(form->sheetStore()[1].digits, "5");
    openSetting([&](TSettingForm& d) {
        EXPECT_EQ(d.spinTab->text(), "1");
        EXPECT_EQ(d.spinRow->text(), "10");
        EXPECT_EQ(d.spinCol->text(), "100");
        EXPECT_EQ(d.spinKeta->text(), "5");
        EXPECT_EQ(d.cmbSpecKind->currentText(), "公差規格");
        EXPECT_EQ(d.cmbCpCpk->currentText(), "CPK");
        EXPECT_EQ(d.editCpCpk->text(), "1.33");
        EXPECT_EQ(d.cmbChart->currentText(), "XbarR管理図");
        EXPECT_EQ(d.cmbLimit->currentText(), "３シグマ法");
        d.btnCancel->click();
    });
    openOption([&](TOptionForm& d) {
        EXPECT_EQ(d.cmbOption2->currentText(), "9");
        EXPECT_EQ(d.cmbOption4->currentText(), "14");
        EXPECT_EQ(d.cmbOption5_1->currentText(), "3");
        EXPECT_EQ(d.cmbOption5_2->currentText(), "2");
        EXPECT_EQ(d.cmbOption6_1->currentText(), "9");
        EXPECT_EQ(d.cmbOption6_2->currentText(), "8");
        d.btnCancel->click();
    });

    // The judgement applies the same rules and threshold: ten lots whose means alternate up
    // and down are no run of fourteen, and their capability is far above 1.33.
    form->spinCol->setValue(3);
    form->editKupper->setText("20.00000");
    form->editKlower->setText("0.00000");
    for (int r = 1; r <= 10; ++r) {
        if (r % 2) values(r, {"10.00000", "10.10000", "10.20000"});
        else values(r, {"9.80000", "9.90000", "10.00000"});
    }
    click(form->btnSpcJudg);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->pnlCpkJudg->text(), "合格");
    ASSERT_EQ(form->gridSpc->rowCount(), 11);
    for (int r = 1; r <= 10; ++r) EXPECT_EQ(form->gridSpc->cell(4, r), "○") << r;

    // What was read is what is written back.
    form->close();
    QApplication::processEvents();
    const QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
    EXPECT_EQ(stored.value("Settings/CpCpk").toString(), "1.33");
    EXPECT_EQ(stored.value("Settings/SpecIndex").toString(), "0");
    EXPECT_EQ(stored.value("Options/Chk4Comp1").toString(), "14");
    EXPECT_EQ(stored.value("Options/Chk5Comp2").toString(), "2");
}
