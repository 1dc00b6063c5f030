// The main window's sheet machinery: moving sheets between the store and the view, the
// grid layout, the counts, the header clear and the full reset.
#include "app/TMainForm.h"

#include "dialogs/TSheetsForm.h"
#include "model/NumberText.h"
#include "model/SheetTransfer.h"
#include "model/Text.h"
#include "ui/Lists.h"
#include "ui/Busy.h"
#include "ui/GridOps.h"
#include "ui/InputMethod.h"
#include "ui/Interaction.h"
#include "ui/KeyFilters.h"
#include "ui/Look.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

namespace {

const QString kUnsuitableValue = QStringLiteral("不適切な測定値が見つかりました。ファイルの内容を確認してください…");
const QString kWarningCaption = QStringLiteral("警告メッセージ");

QString defaultLotNumber(int row) { return QStringLiteral("K%1").arg(row, 3, 10, QLatin1Char('0')); }

// Rewrites a stored limit with the sheet's digits; a limit that is not a number is left empty.
QString reformatLimit(const QString& stored, int digits, bool& unsuitable)
{
    if (model::isBlank(stored)) return QString();
    if (const auto v = model::tryParseNumber(stored)) return model::formatFixed(*v, digits);
    unsuitable = true;
    return QString();
}

} // namespace

void TMainForm::SaveSheet(int index)
{
    if (index < 0 || index >= store_.count()) return;
    const QString caption = tabCtrl->tabText(index);
    if (caption != editLabel->text()) {
        if (model::isBlank(editLabel->text())) editLabel->setText(caption);
        tabCtrl->setTabText(index, editLabel->text());
    }
    model::SheetRecord& r = store_[index];
    r.product = editProduct->text();
    r.process = editProcess->text();
    r.device = editMbc->text();
    r.item = editLabel->text();
    r.unit = editUnit->text();
    r.specKind = cmbSpecKind->currentText();
    r.digits = spinKeta->text();
    r.specUpper = editKupper->text();
    r.specLower = editKlower->text();
    r.lotCount = spinRow->value();
    r.measurementCount = spinCol->value();
    r.enableFlags = model::enableFlagsOf(gridCtrl->table(), gridCtrl->rowCount() - 1);
    r.dataLines = model::dataLinesOf(gridCtrl->table(), gridEdit->table(), gridEdit->rowCount() - 1, gridEdit->colCount());
}

void TMainForm::ResetSheetView()
{
    const model::AppSettings& a = settings_.app;
    chkCpCpk->setChecked(a.CpkCheck);
    cmbCpCpk->setCurrentIndex(ui::boundedIndex(cmbCpCpk, a.CpkIndex));
    editCpCpk->setText(a.CpCpk);
    cmbChart->setCurrentIndex(ui::boundedIndex(cmbChart, a.ChartIndex));
    cmbLimit->setCurrentIndex(ui::boundedIndex(cmbLimit, a.LimitIndex));
    pageInput->setCurrentIndex(0);
    btnSpecClearClick();
    editUcl->clear();
    editLcl->clear();
    editRsUcl->clear();
    for (ui::StringGrid* g : {gridCtrl, gridEdit, gridCalc, gridSpc}) ui::ClearGridRows(*g);
    ApplyGridLayout();
    btnAllOnClick();
}

void TMainForm::LoadSheet()
{
    const int index = tabCtrl->currentIndex();
    if (index < 0 || index >= store_.count()) return;
    const model::SheetRecord r = store_[index];
    tabCtrl->setTabText(index, r.item);
    editProduct->setText(r.product);
    editProcess->setText(r.process);
    editMbc->setText(r.device);
    editLabel->setText(r.item);
    editUnit->setText(r.unit);
    cmbSpecKind->setCurrentIndex(model::specKindIndex(r.specKind));
    cmbSpecKindChange();
    spinKeta->setValue(model::digitsFromText(r.digits));
    const int digits = spinKeta->value();
    bool unsuitable = false;
    editKupper->setText(reformatLimit(r.specUpper, digits, unsuitable));
    editKlower->setText(reformatLimit(r.specLower, digits, unsuitable));
    spinRow->setValue(r.lotCount);
    spinCol->setValue(r.measurementCount);
    spinRowChange();
    spinColChange();
    cmbLimitChange();
    if (!r.enableFlags.isEmpty()) {
        model::applyEnableFlags(r.enableFlags, gridCtrl->table());
        gridCtrl->refresh();
    }
    if (!r.dataLines.isEmpty()) {
        model::applyDataLines(r.dataLines, {&gridCtrl->table(), &gridCalc->table(), &gridSpc->table()},
                              gridEdit->table(), spinCol->value());
        if (model::reformatCells(gridEdit->table(), digits)) unsuitable = true;
        for (ui::StringGrid* g : {gridCtrl, gridEdit, gridCalc, gridSpc}) g->refresh();
    }
    if (unsuitable) ui::showMessage(this, kUnsuitableValue, kWarningCaption, ui::MessageIcon::Warning);
}

void TMainForm::tabCtrlChanging()
{
    if (shownTab_ >= 0) SaveSheet(shownTab_);
    tabCtrlChange();
}

void TMainForm::tabCtrlChange()
{
    ui::BusyCursor busy;
    shownTab_ = tabCtrl->currentIndex();
    ResetSheetView();
    LoadSheet();
    tabCtrl->setFocus();
    emit resultsChanged();
}

void TMainForm::selectTab(int index)
{
    const QSignalBlocker block(tabCtrl);
    tabCtrl->setCurrentIndex(index);
}

void TMainForm::ApplyGridLayout()
{
    const int lots = std::clamp(spinRow->value(), 0, model::CellTable::kMaxLots);
    const int n = std::clamp(spinCol->value(), 0, model::CellTable::kCols);
    const int kind = cmbChart->currentIndex();

    auto lotNumbers = [lots](ui::StringGrid* g) {
        for (int r = 1; r <= lots; ++r) g->table().setText(0, r, defaultLotNumber(r));
        g->table().setText(0, 0, QStringLiteral("ﾛｯﾄ№"));
    };

    gridCtrl->setRowCount(lots + 1);
    gridCtrl->setColCount(2);
    gridCtrl->setDefaultColWidth(85);
    gridCtrl->setColWidth(1, 60);
    lotNumbers(gridCtrl);
    gridCtrl->table().setText(1, 0, QStringLiteral("ﾁｪｯｸ"));

    gridEdit->setRowCount(lots + 1);
    gridEdit->setColCount(n);
    gridEdit->setDefaultColWidth(85);
    for (int c = 0; c < n; ++c) gridEdit->table().setText(c, 0, QStringLiteral("N%1").arg(c + 1));

    static const QStringList calcCaptions{
        QStringLiteral("ﾛｯﾄ№"), QStringLiteral("N数"), QStringLiteral("MAX"), QStringLiteral("MIN"), QStringLiteral("X"),
        QStringLiteral("R"), QStringLiteral("STDEV"), QStringLiteral("CP"), QStringLiteral("CPK"), QStringLiteral("判定結果")};
    gridCalc->setRowCount(lots + 1);
    gridCalc->setColCount(10);
    gridCalc->setDefaultColWidth(90);
    gridCalc->setColWidth(0, 85);
    gridCalc->setColWidth(1, 82);
    gridCalc->setColWidth(9, 96);
    lotNumbers(gridCalc);
    for (int c = 1; c < 10; ++c) gridCalc->table().setText(c, 0, calcCaptions[c]);

    static const QString circled[] = {QStringLiteral("①"), QStringLiteral("②"), QStringLiteral("③"), QStringLiteral("④"),
                                      QStringLiteral("⑤"), QStringLiteral("⑥"), QStringLiteral("⑦"), QStringLiteral("⑧")};
    const QString side = kind == 1 ? QStringLiteral("S") : kind == 2 ? QStringLiteral("Rs") : QStringLiteral("R");
    gridSpc->setRowCount(lots + 1);
    gridSpc->setColCount(18);
    gridSpc->setDefaultColWidth(44);
    gridSpc->setColWidth(0, 85);
    gridSpc->setColWidth(17, 96);
    lotNumbers(gridSpc);
    for (int i = 0; i < 8; ++i) {
        gridSpc->table().setText(1 + i, 0, QStringLiteral("X") + circled[i]);
        gridSpc->table().setText(9 + i, 0, side + circled[i]);
    }
    gridSpc->table().setText(17, 0, QStringLiteral("判定結果"));

    pnlRsUcl->setText(side + QStringLiteral("-UCL"));
    editRsUcl->setToolTip(QStringLiteral("「%1-管理限界上限値」を入力してください。").arg(side));
    pageInput->setTabText(2, QStringLiteral("SPC異常判定(X側-%1側)").arg(side));
    for (ui::StringGrid* g : {gridCtrl, gridEdit, gridCalc, gridSpc}) g->refresh();
}

void TMainForm::spinRowChange()
{
    // An empty text, "0" or a text that is no number changes nothing until a count is typed.
    if (!ui::isGivenCount(spinRow->text())) return;
    ApplyGridLayout();
    btnAllOnClick();
}

void TMainForm::spinColChange()
{
    const QString t = spinCol->text();
    if (!ui::isGivenCount(t)) return;
    cmbChart->setCurrentIndex(t == u"1" ? 2 : ui::boundedIndex(cmbChart, settings_.app.ChartIndex));
    if (spinCol->value() > spinCol->maximum()) spinCol->setValue(spinCol->maximum());
    ApplyGridLayout();
}

void TMainForm::spinTabChange() { ResizeStore(spinTab->text(), false); }

void TMainForm::ResizeStore(const QString& countText, bool reinitialise)
{
    // Records below the count keep their content; added ones (all with reinitialise) start
    // from the defaults.
    if (!ui::isGivenCount(countText)) return;
    const int count = spinTab->bounded(*ui::countFromText(countText));
    if (reinitialise || tabCtrl->count() != count)
        store_.resize(count, reinitialise, settings_.app, spinRow->value(), spinCol->value());
    {
        const QSignalBlocker block(tabCtrl);
        while (tabCtrl->count() < count) tabCtrl->addTab(QStringLiteral("Sheet%1").arg(tabCtrl->count() + 1));
        while (tabCtrl->count() > count) tabCtrl->removeTab(tabCtrl->count() - 1);
    }
    // The shown sheet was removed: show the sheet that is now selected rather than a view
    // that belongs to no record.
    if (shownTab_ >= count) tabCtrlChange();
}

void TMainForm::btnAllOnClick()
{
    for (int r = 1; r < gridCtrl->rowCount(); ++r) gridCtrl->table().setFlag(1, r, true);
    gridCtrl->refresh();
}

void TMainForm::cmbSpecKindChange()
{
    const int kind = cmbSpecKind->currentIndex();
    auto apply = [](QLineEdit* e, bool enabled) {
        e->setEnabled(enabled);
        if (!enabled) e->clear();
        ui::setFieldColour(e, enabled ? ui::kFieldColor : ui::buttonFaceColor());
    };
    apply(editKupper, kind != 2);
    apply(editKlower, kind != 1);
}

void TMainForm::btnSpecClearClick()
{
    const model::AppSettings& a = settings_.app;
    specJudged = false;
    capabilityJudged = false;
    spcJudged = false;
    editProduct->clear();
    editProcess->clear();
    editMbc->clear();
    editLabel->setText(tabCtrl->tabText(tabCtrl->currentIndex()));
    editUnit->setText(a.Unit);
    spinKeta->setValue(a.Keta);
    editKupper->clear();
    editKlower->clear();
    cmbSpecKind->setCurrentIndex(ui::boundedIndex(cmbSpecKind, a.SpecIndex));
    for (QLabel* p : {pnlSpecJudg, pnlCpkJudg, pnlSpcJudg}) p->clear();
    gridEdit->viewport()->update();
    gridCalc->viewport()->update();
    emit resultsChanged();
}

void TMainForm::btnResetClick()
{
    const model::AppSettings& a = settings_.app;
    spinTab->setValue(a.Tab);
    spinRow->setValue(a.Row);
    spinCol->setValue(a.Col);
    ResizeStore(spinTab->text(), true);
    selectTab(0);
    tabCtrlChange();
    for (int i = 0; i < tabCtrl->count(); ++i) tabCtrl->setTabText(i, QStringLiteral("Sheet%1").arg(i + 1));
    editProduct->setFocus();
}

void TMainForm::cmbLimitChange()
{
    const bool specified = cmbLimit->currentIndex() == 1;
    for (QLineEdit* e : {editUcl, editLcl, editRsUcl}) {
        e->setReadOnly(!specified);
        e->setFocusPolicy(specified ? Qt::StrongFocus : Qt::ClickFocus);
        ui::setFieldColour(e, specified ? ui::kFieldColor : ui::buttonFaceColor());
    }
}

void TMainForm::cmbChartChange()
{
    if (spinCol->text() == u"1") cmbChart->setCurrentIndex(2);
    if (cmbChart->currentIndex() == 2) spinCol->setText(QStringLiteral("1"));
    ApplyGridLayout();
    if (tabCtrl->currentIndex() >= 0) SaveSheet(tabCtrl->currentIndex());
}

void TMainForm::menuSettingSheetsClick()
{
    if (!sheetsForm_) return;
    ui::switchJapaneseInputOff();
    sheetsForm_->spinTab->setValue(spinTab->value());
    if (ui::interaction().execDialog(*sheetsForm_) == QDialog::Accepted) spinTab->setText(sheetsForm_->spinTab->text());
}
