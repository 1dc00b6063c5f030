// The main window's handlers of the recovery journal; the journal's state and steps are the
// JournalController's.
#include "app/JournalController.h"
#include "app/StoreController.h"
#include "app/TMainForm.h"

QString TMainForm::journalPath() { return JournalController::journalPath(); }

void TMainForm::startJournal()
{
    if (!journal_) journal_ = std::make_unique<JournalController>(*this);
    journal_->start();
}

void TMainForm::closeJournal()
{
    if (journal_) journal_->close();
}

void TMainForm::journalNow()
{
    if (journal_) journal_->journalNow();
}

void TMainForm::journalWaitIdle()
{
    if (journal_) journal_->waitIdle();
}

void TMainForm::journalBeforeReplace(int sheet)
{
    if (journal_) journal_->beforeReplace(sheet);
    if (storeController_) storeController_->sheetReplaced(sheet);
}

void TMainForm::mainMenuRestoreLastClick()
{
    if (journal_) journal_->restoreLast();
}

void TMainForm::mainMenuUndoImportClick()
{
    if (journal_) journal_->undoImport();
}
