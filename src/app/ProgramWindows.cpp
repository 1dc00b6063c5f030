#include "app/ProgramWindows.h"

#include "app/TMainForm.h"
#include "app/TSplashForm.h"
#include "dialogs/TAboutForm.h"
#include "dialogs/TLotEditForm.h"
#include "dialogs/TOptionForm.h"
#include "dialogs/TSettingForm.h"
#include "dialogs/TSheetsForm.h"

ProgramWindows::ProgramWindows() = default;
ProgramWindows::~ProgramWindows() = default;
ProgramWindows::ProgramWindows(ProgramWindows&&) noexcept = default;
ProgramWindows& ProgramWindows::operator=(ProgramWindows&&) noexcept = default;

ProgramWindows createProgramWindows()
{
    ProgramWindows w;
    w.main = std::make_unique<TMainForm>();
    TMainForm* owner = w.main.get();
    w.splash = new TSplashForm(owner);
    w.sheets = new TSheetsForm(owner);
    w.option = new TOptionForm(owner->ruleOptions(), owner);
    w.setting = new TSettingForm(owner->appSettings(), owner);
    w.about = new TAboutForm(owner);
    w.lotEdit = new TLotEditForm(owner);
    owner->setCompanions(w.splash, w.sheets, w.about, w.lotEdit);
    owner->setSettingsDialogs(w.option, w.setting);
    return w;
}
