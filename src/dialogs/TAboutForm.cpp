#include "dialogs/TAboutForm.h"

#include "ui/Look.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

TAboutForm::TAboutForm(QWidget* parent) : ui::FormDialog(parent, QStringLiteral("バージョン情報"))
{
    setFont(ui::gothicFont(12));
    imgIcon = new QLabel(this);
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                           : QApplication::windowIcon();
    imgIcon->setPixmap(icon.pixmap(48, 48));
    lblAppName = new QLabel(QStringLiteral("Quorvane"), this);
    lblAppName->setFont(ui::gothicFont(20, true));
    lblProductName = new QLabel(QStringLiteral("Quorvane"), this);
    lblVersion = new QLabel(this);
    lblCopyright = new QLabel(QStringLiteral("Copyright (C) Mirelda"), this);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* l = new QGridLayout(this);
    l->setContentsMargins(16, 16, 16, 12);
    l->setHorizontalSpacing(16);
    l->addWidget(imgIcon, 0, 0, 3, 1, Qt::AlignTop);
    l->addWidget(lblAppName, 0, 1);
    l->addWidget(lblProductName, 1, 1);
    l->addWidget(lblVersion, 2, 1);
    l->addWidget(lblCopyright, 3, 1);
    l->addWidget(OKButton, 4, 0, 1, 2, Qt::AlignHCenter);
    l->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutForm::FormShow()
{
    lblVersion->setText(QStringLiteral("Version ") + fileVersion_);
    OKButton->setFocus();
}
