// The main window's controls as the core's sheet view: gathered before a step, set again
// after it where the step changed them, without running the controls' change handlers (the
// step has done their work already).
#include "app/MainFormView.h"

#include "judge/Capability.h"
#include "judge/ResultTexts.h"
#include "judge/SpcJudgement.h"
#include "sheetview/GridLayout.h"
#include "sheetview/SheetEntry.h"
#include "ui/Look.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include <utility>

namespace {

void setText(QLineEdit* e, const QString& text)
{
    if (e->text() != text) e->setText(text);
}

void setIndex(QComboBox* c, int index)
{
    if (c->currentIndex() != index) c->setCurrentIndex(index);
}

// A limit field in use has the window colour, one out of use the button face and no text.
void setInUse(QLineEdit* e, bool inUse)
{
    if (e->isEnabled() == inUse) return;
    e->setEnabled(inUse);
    ui::setFieldColour(e, inUse ? ui::kFieldColor : ui::buttonFaceColor());
}

void setCount(ui::SpinEdit* s, int value)
{
    const QSignalBlocker block(s);
    s->setValue(value);
}

} // namespace

TMainForm::ViewLoan::ViewLoan(TMainForm& f, int tab) : f_(f), tab_(tab)
{
    sheetview::SheetView& v = view;
    v.tabCaption = f.tabCtrl->tabText(tab);
    v.product = f.editProduct->text();
    v.process = f.editProcess->text();
    v.device = f.editMbc->text();
    v.item = f.editLabel->text();
    v.unit = f.editUnit->text();
    v.specKind = judge::specKindFromIndex(f.cmbSpecKind->currentIndex());
    v.upperEnabled = f.editKupper->isEnabled();
    v.lowerEnabled = f.editKlower->isEnabled();
    v.digits = f.spinKeta->text();
    v.specUpper = f.editKupper->text();
    v.specLower = f.editKlower->text();
    v.lotCount = f.spinRow->value();
    v.measurementCount = f.spinCol->value();
    v.chart = judge::chartKindFromIndex(f.cmbChart->currentIndex());
    v.limitMethod = judge::limitMethodFromIndex(f.cmbLimit->currentIndex());
    v.ucl = f.editUcl->text();
    v.lcl = f.editLcl->text();
    v.rsUcl = f.editRsUcl->text();
    v.limitBasis = f.limitBasis_;
    v.study = sheetview::studyOptionsOf(f.settings_.app);
    v.thresholdCheck = f.chkCpCpk->isChecked();
    v.capabilityIndex = judge::capabilityIndexFromIndex(f.cmbCpCpk->currentIndex());
    v.threshold = f.editCpCpk->text();
    v.lotRows = f.gridEdit->rowCount() - 1;
    v.measurementColumns = f.gridEdit->colCount();
    v.calcRowCount = f.gridCalc->rowCount();
    v.spcRowCount = f.gridSpc->rowCount();
    v.specResult = f.pnlSpecJudg->text();
    v.capabilityResult = f.pnlCpkJudg->text();
    v.spcResult = f.pnlSpcJudg->text();
    v.specJudged = f.specJudged;
    v.capabilityJudged = f.capabilityJudged;
    v.spcJudged = f.spcJudged;
    swapStorage();
}

TMainForm::ViewLoan::~ViewLoan()
{
    // The storage goes back first, so that whatever the setters below set off sees whole grids.
    swapStorage();
    if (view.layoutChanged) applyLayout();
    f_.gridCalc->setRowCount(view.calcRowCount);
    f_.gridSpc->setRowCount(view.spcRowCount);
    const std::pair<unsigned, ui::StringGrid*> grids[] = {{sheetview::kLotGrid, f_.gridCtrl},
                                                          {sheetview::kMeasurementGrid, f_.gridEdit},
                                                          {sheetview::kCapabilityGrid, f_.gridCalc},
                                                          {sheetview::kSpcGrid, f_.gridSpc}};
    for (const auto& [flag, grid] : grids)
        if (view.changedGrids & flag) grid->refresh();
    applyFields();
}

void TMainForm::ViewLoan::swapStorage()
{
    std::swap(view.lots, f_.gridCtrl->table());
    std::swap(view.cells, f_.gridEdit->table());
    std::swap(view.calc, f_.gridCalc->table());
    std::swap(view.spc, f_.gridSpc->table());
}

void TMainForm::ViewLoan::applyLayout()
{
    f_.gridCtrl->setRowCount(view.lotRows + 1);
    f_.gridCtrl->setColCount(2);
    f_.gridCtrl->setDefaultColWidth(85);
    f_.gridCtrl->setColWidth(1, 60);

    f_.gridEdit->setRowCount(view.lotRows + 1);
    f_.gridEdit->setColCount(view.measurementColumns);
    f_.gridEdit->setDefaultColWidth(85);

    f_.gridCalc->setColCount(judge::kCalcColumns);
    f_.gridCalc->setDefaultColWidth(90);
    f_.gridCalc->setColWidth(judge::kCalcLot, 85);
    f_.gridCalc->setColWidth(judge::kCalcCount, 82);
    f_.gridCalc->setColWidth(judge::kCalcMark, 96);

    f_.gridSpc->setColCount(judge::kSpcColumns);
    f_.gridSpc->setDefaultColWidth(44);
    f_.gridSpc->setColWidth(judge::kSpcLot, 85);
    f_.gridSpc->setColWidth(judge::kSpcMark, 96);

    const QString side = sheetview::dispersionSide(view.chart);
    f_.pnlRsUcl->setText(side + QStringLiteral("-UCL"));
    f_.editRsUcl->setToolTip(QStringLiteral("「%1-管理限界上限値」を入力してください。").arg(side));
    f_.pageInput->setTabText(2, QStringLiteral("SPC異常判定(X側-%1側)").arg(side));
}

void TMainForm::ViewLoan::applyFields()
{
    const sheetview::SheetView& v = view;
    if (tab_ >= 0 && tab_ < f_.tabCtrl->count() && f_.tabCtrl->tabText(tab_) != v.tabCaption)
        f_.tabCtrl->setTabText(tab_, v.tabCaption);
    setText(f_.editProduct, v.product);
    setText(f_.editProcess, v.process);
    setText(f_.editMbc, v.device);
    setText(f_.editLabel, v.item);
    setText(f_.editUnit, v.unit);
    setIndex(f_.cmbSpecKind, int(v.specKind));
    setInUse(f_.editKupper, v.upperEnabled);
    setInUse(f_.editKlower, v.lowerEnabled);
    f_.spinKeta->setText(v.digits);
    setText(f_.editKupper, v.specUpper);
    setText(f_.editKlower, v.specLower);
    if (v.countsChanged) {
        setCount(f_.spinRow, v.lotCount);
        setCount(f_.spinCol, v.measurementCount);
    }
    setIndex(f_.cmbChart, int(v.chart));
    setIndex(f_.cmbLimit, int(v.limitMethod));
    setText(f_.editUcl, v.ucl);
    setText(f_.editLcl, v.lcl);
    setText(f_.editRsUcl, v.rsUcl);
    f_.limitBasis_ = v.limitBasis;
    if (f_.chkCpCpk->isChecked() != v.thresholdCheck) f_.chkCpCpk->setChecked(v.thresholdCheck);
    setIndex(f_.cmbCpCpk, int(v.capabilityIndex));
    setText(f_.editCpCpk, v.threshold);
    const std::pair<QLabel*, const QString*> panels[] = {
        {f_.pnlSpecJudg, &v.specResult}, {f_.pnlCpkJudg, &v.capabilityResult}, {f_.pnlSpcJudg, &v.spcResult}};
    for (const auto& [panel, caption] : panels) {
        if (panel->text() == *caption) continue;
        if (caption->isEmpty()) panel->clear();
        else setJudgement(panel, *caption, *caption == judge::kPassText);
    }
    f_.specJudged = v.specJudged;
    f_.capabilityJudged = v.capabilityJudged;
    f_.spcJudged = v.spcJudged;
    // The result colours follow the flags and the header as they are now.
    f_.gridEdit->viewport()->update();
    f_.gridCalc->viewport()->update();
}
