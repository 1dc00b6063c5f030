#pragma once
#include <QDialog>
#include <QPointer>

class QLabel;

// The busy window long operations show, with one line saying what is going on.
class TSplashForm final : public QDialog {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);
    QLabel* lblTitle = nullptr;
};

// Shows the busy window with a text and the hourglass for its lifetime; on every way out it
// closes the window, restores the cursor and lets pending events run.
class SplashGuard {
public:
    SplashGuard(TSplashForm* splash, const QString& text);
    ~SplashGuard();
    SplashGuard(const SplashGuard&) = delete;
    SplashGuard& operator=(const SplashGuard&) = delete;

private:
    QPointer<TSplashForm> splash_;
};
