#include "app/SessionEnd.h"

#include <QGuiApplication>
#include <QPointer>
#include <QSessionManager>
#include <QWidget>

#if !defined(_WIN32)
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#if !defined(_WIN32)
int signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// A signal handler may do next to nothing: it writes one byte, and the event loop closes the
// window when it reads it.
void closeOnTerminationSignals(QWidget* mainWindow)
{
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, mainWindow, [mainWindow] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        mainWindow->close();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(s, &action, nullptr);
}
#endif

} // namespace

void watchSessionEnd(QWidget* mainWindow, std::function<void()> commitData)
{
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, mainWindow,
                     [commitData = std::move(commitData)](QSessionManager&) { commitData(); });
#if !defined(_WIN32)
    closeOnTerminationSignals(mainWindow);
#endif
}
