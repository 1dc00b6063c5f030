// The main window's settings dialogs: the initial values, applied to the window at once, and
// the run-rule settings, read by the next SPC judgement.
#include "app/TMainForm.h"

#include "dialogs/TOptionForm.h"
#include "dialogs/TSettingForm.h"
#include "ui/InputMethod.h"
#include "ui/Interaction.h"
#include "ui/Lists.h"
#include "ui/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>


namespace {

// Selects an item without the list's change handler, which runs on the operator's choice only.
void selectItem(QComboBox* list, int index) { list->setCurrentIndex(ui::boundedIndex(list, index)); }

} // namespace

void TMainForm::menuSettingInitClick()
{
    if (!settingForm_) return;
    ui::switchJapaneseInputOff();
    if (ui::interaction().execDialog(*settingForm_) != QDialog::Accepted) return;
    // In this order: the counts run their change handlers (sheet count, layout), the lists do
    // not, so the limit fields follow the new method when the list is next changed or a sheet
    // is next entered.
    const model::AppSettings& a = settings_.app;
    spinTab->setValue(a.Tab);
    spinRow->setValue(a.Row);
    spinCol->setValue(a.Col);
    editUnit->setText(a.Unit);
    selectItem(cmbSpecKind, a.SpecIndex);
    spinKeta->setValue(a.Keta);
    chkCpCpk->setChecked(a.CpkCheck);
    selectItem(cmbCpCpk, a.CpkIndex);
    editCpCpk->setText(a.CpCpk);
    selectItem(cmbChart, a.ChartIndex);
    selectItem(cmbLimit, a.LimitIndex);
    // The capability study's estimator and target may have changed.
    emit resultsChanged();
}

void TMainForm::menuSettingOptionClick()
{
    if (!optionForm_) return;
    ui::switchJapaneseInputOff();
    ui::interaction().execDialog(*optionForm_);
}
