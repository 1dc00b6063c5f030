// The main window's sheet machinery: moving sheets between the store and the view, the
// grid layout, the counts, the header clear and the full reset. The steps themselves are in
// src/sheetview; these handlers lend them the shown sheet (MainFormView.h).
#include "app/MainFormView.h"

#include "app/StoreController.h"
#include "dialogs/TSheetsForm.h"
#include "sheetview/GridLayout.h"
#include "sheetview/SheetEntry.h"
#include "ui/Busy.h"
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

void TMainForm::SaveSheet(int index)
{
    if (index < 0 || index >= store_.count()) return;
    ViewLoan loan(*this, index);
    sheetview::saveSheet(loan.view, store_[index]);
}

void TMainForm::ResetSheetView()
{
    pageInput->setCurrentIndex(0);
    ViewLoan loan(*this, tabCtrl->currentIndex());
    sheetview::resetSheetView(loan.view, settings_.app);
}

void TMainForm::LoadSheet()
{
    const int index = tabCtrl->currentIndex();
    if (index < 0 || index >= store_.count()) return;
    std::optional<sheetview::Notice> warning;
    {
        ViewLoan loan(*this, index);
        warning = sheetview::loadSheet(loan.view, store_[index], settings_.app,
                                       importNamesLimits_ ? sheetview::LimitWarning::Given : sheetview::LimitWarning::Give);
    }
    cmbLimitChange();
    if (warning) ui::showMessage(this, warning->text, warning->caption, ui::MessageIcon::Warning);
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
    // The grids keep their scroll position across sheets; a sheet entered mid-way would show
    // another lot where the operator expects the first.
    for (ui::StringGrid* grid : {gridEdit, gridCtrl}) grid->showFirstCell();
    for (ui::StringGrid* grid : {gridCalc, gridSpc}) grid->scrollToTopLeft();
    if (storeController_) storeController_->sheetEntered(shownTab_);
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
    ViewLoan loan(*this, tabCtrl->currentIndex());
    sheetview::applyGridLayout(loan.view);
}

void TMainForm::spinRowChange()
{
    // An empty text, "0" or a text that is no number changes nothing until a count is typed.
    if (!ui::isGivenCount(spinRow->text())) return;
    ViewLoan loan(*this, tabCtrl->currentIndex());
    sheetview::lotCountChanged(loan.view);
}

void TMainForm::spinColChange()
{
    const QString t = spinCol->text();
    if (!ui::isGivenCount(t)) return;
    if (spinCol->value() > spinCol->maximum()) {
        // Cut at once; the change handler runs again for the cut text.
        spinCol->setValue(spinCol->maximum());
        return;
    }
    ViewLoan loan(*this, tabCtrl->currentIndex());
    sheetview::measurementCountChanged(loan.view, t == u"1", judge::chartKindFromIndex(settings_.app.ChartIndex));
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
        while (tabCtrl->count() < count) tabCtrl->addTab(model::defaultSheetName(tabCtrl->count() + 1));
        while (tabCtrl->count() > count) tabCtrl->removeTab(tabCtrl->count() - 1);
    }
    // The shown sheet was removed: show the sheet that is now selected rather than a view
    // that belongs to no record.
    if (shownTab_ >= count) tabCtrlChange();
}

void TMainForm::btnAllOnClick()
{
    ViewLoan loan(*this, tabCtrl->currentIndex());
    sheetview::enableAllLots(loan.view);
}

void TMainForm::cmbSpecKindChange()
{
    ViewLoan loan(*this, tabCtrl->currentIndex());
    sheetview::specKindChanged(loan.view);
}

void TMainForm::btnSpecClearClick()
{
    {
        ViewLoan loan(*this, tabCtrl->currentIndex());
        sheetview::clearHeader(loan.view, settings_.app);
    }
    emit resultsChanged();
}

void TMainForm::btnResetClick()
{
    journalBeforeReplace(-1);
    const model::AppSettings& a = settings_.app;
    spinTab->setValue(a.Tab);
    spinRow->setValue(a.Row);
    spinCol->setValue(a.Col);
    ResizeStore(spinTab->text(), true);
    selectTab(0);
    tabCtrlChange();
    for (int i = 0; i < tabCtrl->count(); ++i) tabCtrl->setTabText(i, model::defaultSheetName(i + 1));
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
    const int tab = tabCtrl->currentIndex();
    ViewLoan loan(*this, tab);
    sheetview::chartChanged(loan.view, judge::chartKindFromIndex(cmbChart->currentIndex()), spinCol->text() == u"1", settings_.app,
                            tab >= 0 && tab < store_.count() ? &store_[tab] : nullptr);
}

void TMainForm::menuSettingSheetsClick()
{
    if (!sheetsForm_) return;
    ui::switchJapaneseInputOff();
    sheetsForm_->spinTab->setValue(spinTab->value());
    if (ui::interaction().execDialog(*sheetsForm_) != QDialog::Accepted) return;
    if (sheetsForm_->spinTab->value() < tabCtrl->count()) journalBeforeReplace(-1); // sheets are dropped
    spinTab->setText(sheetsForm_->spinTab->text());
}
