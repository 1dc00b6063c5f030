#include "ui/FormDialog.h"

#include "ui/FocusMoves.h"
#include "ui/Look.h"
#include "ui/SpinEdit.h"

#include <QBoxLayout>
#include <QFocusEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace ui {

FormDialog::FormDialog(QWidget* parent, const QString& title)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(title);
}

void FormDialog::colourWhileFocused(std::initializer_list<QWidget*> fields)
{
    for (QWidget* field : fields) {
        colouredFields_.append(field);
        field->installEventFilter(this);
        if (auto* spin = qobject_cast<SpinEdit*>(field))
            connect(spin, &SpinEdit::exited, this, [this, spin] { fieldLeft(spin); });
    }
}

void FormDialog::resetFieldColours()
{
    for (QWidget* field : colouredFields_) setFieldColour(field, kFieldColor);
}

void FormDialog::fieldEntered(QWidget* field) { setFieldColour(field, kFocusColor); }

void FormDialog::fieldLeft(QWidget* field) { setFieldColour(field, kFieldColor); }

void FormDialog::showGuidance(const QString& text, MessageIcon icon) { showMessage(this, text, kGuidanceCaption, icon); }

void FormDialog::addOkCancelRow(QBoxLayout* layout, QPushButton*& ok, QPushButton*& cancel, const QString& okText)
{
    ok = new QPushButton(okText, this);
    cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    ok->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FormDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous()) return; // restored, not opened
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    FormShow();
}

bool FormDialog::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        auto* field = qobject_cast<QWidget*>(watched);
        if (field && colouredFields_.contains(field)) {
            if (type == QEvent::FocusIn) fieldEntered(field);
            else if (!qobject_cast<SpinEdit*>(field) && leavesField(*static_cast<QFocusEvent*>(event))) fieldLeft(field);
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ui
