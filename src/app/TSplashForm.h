#pragma once
#include "ui/FormDialog.h"

#include <QPointer>

class QLabel;

// The busy window long operations show, with one line saying what is going on.
class TSplashForm final : public ui::FormDialog {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);
    QLabel* lblTitle = nullptr;
    // Under the title: how far a long operation has come ("Sheet37.csv (37/100)"); hidden when empty.
    QLabel* lblProgress = nullptr;

    // Shows a step of the operation and paints it at once.
    void setProgress(const QString& text);
};

// Shows the busy window with a text and the hourglass for its lifetime; on every way out it
// closes the window, restores the cursor and lets pending events run.
class SplashGuard {
public:
    SplashGuard(TSplashForm* splash, const QString& text);
    ~SplashGuard();
    // Step `done` of `total`, named by `item`, under the busy window's text.
    void progress(const QString& item, int done, int total);
    SplashGuard(const SplashGuard&) = delete;
    SplashGuard& operator=(const SplashGuard&) = delete;

private:
    QPointer<TSplashForm> splash_;
    QPointer<QWidget> active_; // the window the operator was in, given back when done
};
