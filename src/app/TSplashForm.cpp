#include "app/TSplashForm.h"

#include "ui/Look.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

TSplashForm::TSplashForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("しばらくおまちください…"));
    setFixedSize(385, 80);
    setModal(false);
    lblTitle = new QLabel(this);
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setFont(ui::gothicFont(15, true));
    lblTitle->setStyleSheet(QStringLiteral("color: navy;"));
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(lblTitle);
}

SplashGuard::SplashGuard(TSplashForm* splash, const QString& text) : splash_(splash)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!splash_) return;
    splash_->lblTitle->setText(text);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        splash_->move(s->availableGeometry().center() - splash_->rect().center());
    splash_->show();
    splash_->repaint();
}

SplashGuard::~SplashGuard()
{
    if (splash_) splash_->close();
    QApplication::restoreOverrideCursor();
    QCoreApplication::processEvents();
}
