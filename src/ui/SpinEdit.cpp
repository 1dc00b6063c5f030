#include "ui/SpinEdit.h"

#include <QFocusEvent>
#include <QLineEdit>

#include <algorithm>

namespace ui {

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(true);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::textChanged);
}

void SpinEdit::setRange(int min, int max)
{
    min_ = min;
    max_ = max;
}

void SpinEdit::setMaxLength(int n) { lineEdit()->setMaxLength(n); }

QString SpinEdit::text() const { return lineEdit()->text(); }

void SpinEdit::setText(const QString& t)
{
    if (t != lineEdit()->text()) lineEdit()->setText(t);
}

int SpinEdit::value() const
{
    bool ok = false;
    const int v = lineEdit()->text().toInt(&ok);
    return ok ? v : min_;
}

int SpinEdit::bounded(int v) const { return max_ > min_ ? std::clamp(v, min_, max_) : v; }

void SpinEdit::setValue(int v) { setText(QString::number(bounded(v))); }

void SpinEdit::stepBy(int steps) { setValue(value() + steps); }

QValidator::State SpinEdit::validate(QString& input, int&) const
{
    for (QChar c : input)
        if (!c.isDigit() && c != u'-') return QValidator::Invalid;
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    StepEnabled e;
    if (value() < max_) e |= StepUpEnabled;
    if (value() > min_) e |= StepDownEnabled;
    return e;
}

void SpinEdit::focusOutEvent(QFocusEvent* e)
{
    // A popup opening over the field or another window becoming active does not leave it.
    if (e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason) {
        emit exited();
        if (bounded(value()) != value()) setValue(value());
    }
    QAbstractSpinBox::focusOutEvent(e);
}

} // namespace ui
