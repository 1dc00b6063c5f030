#include "dialogs/TSheetsForm.h"

#include "ui/InputMethod.h"
#include "ui/Look.h"
#include "ui/SpinEdit.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSheetsForm::TSheetsForm(QWidget* parent) : ui::FormDialog(parent, QStringLiteral("シート数設定"))
{
    setFixedSize(203, 83);
    setFont(ui::gothicFont(12));
    spinTab = new ui::SpinEdit(this);
    spinTab->setRange(1, 100);
    spinTab->setMaxLength(3);
    spinTab->setValue(3);
    spinTab->setToolTip(QStringLiteral("「シート数（項目数）」を１～１００の範囲で設定してください。"));
    btnOk = new QPushButton(QStringLiteral("ＯＫ"), this);
    btnCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    btnOk->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    auto* l = new QGridLayout(this);
    l->addWidget(new QLabel(QStringLiteral("ｼｰﾄ数(項目数)"), this), 0, 0);
    l->addWidget(spinTab, 0, 1);
    l->addWidget(btnOk, 1, 0);
    l->addWidget(btnCancel, 1, 1);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Only digits and Backspace, typed or pasted (the spin edit's own filter); direct input;
    // yellow while focused.
    ui::setJapaneseInput(spinTab, false);
    colourWhileFocused({spinTab});
}

void TSheetsForm::FormShow() { spinTab->setFocus(); }

void TSheetsForm::keyPressEvent(QKeyEvent* e)
{
    // Enter moves the focus on and acts as OK; Esc moves it back and acts as Cancel.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        focusNextChild();
        accept();
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        focusPreviousChild();
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}
