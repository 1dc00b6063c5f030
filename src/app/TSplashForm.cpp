#include "app/TSplashForm.h"

#include "ui/Look.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QVBoxLayout>

TSplashForm::TSplashForm(QWidget* parent) : ui::FormDialog(parent, QStringLiteral("しばらくおまちください…"))
{
    setFixedSize(385, 80);
    setModal(false);
    // The operator's window keeps the focus: what was being typed is where it was afterwards.
    setAttribute(Qt::WA_ShowWithoutActivating);
    lblTitle = new QLabel(this);
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setFont(ui::gothicFont(15, true));
    lblTitle->setStyleSheet(QStringLiteral("color: navy;"));
    lblProgress = new QLabel(this);
    lblProgress->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblProgress->setFont(ui::gothicFont(12, false));
    lblProgress->setStyleSheet(QStringLiteral("color: navy;"));
    lblProgress->hide();
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 4);
    l->setSpacing(0);
    l->addWidget(lblTitle, 1);
    l->addWidget(lblProgress);
}

void TSplashForm::setProgress(const QString& text)
{
    lblProgress->setText(text);
    lblProgress->setVisible(!text.isEmpty());
    if (isVisible()) repaint();
}

SplashGuard::SplashGuard(TSplashForm* splash, const QString& text) : splash_(splash), active_(QApplication::activeWindow())
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!splash_) return;
    splash_->lblTitle->setText(text);
    splash_->setProgress(QString());
    splash_->show();
    splash_->repaint();
}

void SplashGuard::progress(const QString& item, int done, int total)
{
    if (!splash_) return;
    splash_->setProgress(QStringLiteral("%1 (%2/%3)").arg(item).arg(done).arg(total));
    // Lets the busy window be shown and painted between the steps; the operator's input waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

SplashGuard::~SplashGuard()
{
    if (splash_) splash_->close();
    QApplication::restoreOverrideCursor();
    QCoreApplication::processEvents();
    // Some window systems activate the busy window while it is shown.
    if (active_ && active_->isVisible() && QApplication::activeWindow() != active_) {
        active_->activateWindow();
        QCoreApplication::processEvents();
    }
}
