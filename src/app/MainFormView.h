// The shown sheet lent to the core as a sheetview::SheetView for one step: the grids'
// storage moves into the view and the fields are read; when the loan ends (also when the
// step throws) the storage moves back and every control the step changed is set again.
#pragma once
#include "app/TMainForm.h"
#include "sheetview/SheetView.h"

class TMainForm::ViewLoan {
public:
    // `tab`: the sheet tab the view belongs to (its caption), usually the selected one.
    ViewLoan(TMainForm& form, int tab);
    ~ViewLoan();
    ViewLoan(const ViewLoan&) = delete;
    ViewLoan& operator=(const ViewLoan&) = delete;

    sheetview::SheetView view;

private:
    void swapStorage();
    void applyLayout();
    void applyFields();

    TMainForm& f_;
    int tab_;
};
