#pragma once
#include <functional>

class QWidget;

// The desktop session ending while the program runs: the session manager's request to commit
// data runs `commitData`; a termination request from the system (on Linux SIGTERM, SIGHUP or
// SIGINT) closes the main window as the close button does.
void watchSessionEnd(QWidget* mainWindow, std::function<void()> commitData);
