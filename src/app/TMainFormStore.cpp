// The main window's history store commands; the store's state and steps are the
// StoreController's.
#include "app/StoreController.h"
#include "app/TMainForm.h"

#include <QAction>

void TMainForm::connectStoreHandlers()
{
    // The controller adds the store's menu items.
    storeController_ = std::make_unique<StoreController>(*this);
    on(menuSettingDatabase, &QAction::triggered, &TMainForm::menuSettingDatabaseClick);
    on(mainMenuPublish, &QAction::triggered, &TMainForm::mainMenuPublishClick);
    on(mainMenuPublishAll, &QAction::triggered, &TMainForm::mainMenuPublishAllClick);
    on(mainMenuLoad, &QAction::triggered, &TMainForm::mainMenuLoadClick);
    on(mainMenuBaseline, &QAction::triggered, &TMainForm::mainMenuBaselineClick);
    on(mainMenuUnsent, &QAction::triggered, &TMainForm::mainMenuUnsentClick);
}

void TMainForm::menuSettingDatabaseClick() { storeController_->editSettings(); }
void TMainForm::mainMenuPublishClick() { storeController_->publishShown(); }
void TMainForm::mainMenuPublishAllClick() { storeController_->publishAll(); }
void TMainForm::mainMenuLoadClick() { storeController_->load(); }
void TMainForm::mainMenuBaselineClick() { storeController_->setBaseline(); }
void TMainForm::mainMenuUnsentClick() { storeController_->showUnsent(); }
void TMainForm::btnStoreRefreshClick() { storeController_->refresh(); }
