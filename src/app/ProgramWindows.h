#pragma once
#include <memory>

class TMainForm;
class TSplashForm;
class TSheetsForm;
class TOptionForm;
class TSettingForm;
class TAboutForm;
class TLotEditForm;

// The program's windows, created in the order the program creates them at start-up: the main
// window, then the busy window and the dialogs, which belong to it and live as long as it.
struct ProgramWindows {
    std::unique_ptr<TMainForm> main;
    TSplashForm* splash = nullptr;
    TSheetsForm* sheets = nullptr;
    TOptionForm* option = nullptr;
    TSettingForm* setting = nullptr;
    TAboutForm* about = nullptr;
    TLotEditForm* lotEdit = nullptr;

    ProgramWindows();
    ~ProgramWindows();
    ProgramWindows(ProgramWindows&&) noexcept;
    ProgramWindows& operator=(ProgramWindows&&) noexcept;
};

// Creates the windows and hands the main window its companions; nothing is shown yet.
ProgramWindows createProgramWindows();
