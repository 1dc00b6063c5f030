#include "dialogs/TSheetsForm.h"

#include "ui/Look.h"
#include "ui/SpinEdit.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSheetsForm::TSheetsForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("シート数設定"));
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

    // Only digits and Backspace; yellow while focused.
    spinTab->editor()->installEventFilter(this);
    spinTab->installEventFilter(this);
    connect(spinTab, &ui::SpinEdit::exited, this, [this] {
        ui::setFieldColour(spinTab, ui::kFieldColor);
    });
}

void TSheetsForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    spinTab->setFocus();
}

bool TSheetsForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && watched == spinTab) {
        ui::setFieldColour(spinTab, ui::kFocusColor);
    }
    if (event->type() == QEvent::KeyPress && watched == spinTab->editor()) {
        auto* k = static_cast<QKeyEvent*>(event);
        const QString t = k->text();
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Escape) return false;
        if (!t.isEmpty() && t[0].isPrint() && !(t[0] >= u'0' && t[0] <= u'9')) return true;
    }
    return QDialog::eventFilter(watched, event);
}

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
