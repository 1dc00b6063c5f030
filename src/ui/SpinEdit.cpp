#include "ui/SpinEdit.h"

#include "ui/FilteredLineEdit.h"
#include "ui/FocusMoves.h"

#include <QFocusEvent>

#include <algorithm>

namespace ui {

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent), edit_(new FilteredLineEdit(this))
{
    edit_->setCharFilter(CharFilter::Digits);
    setLineEdit(edit_);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(true);
    // A paste whose characters were all refused reports the unchanged text again; the
    // change handlers hear of real changes only.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& t) {
        if (t == reported_) return;
        reported_ = t;
        emit textChanged(t);
    });
}

void SpinEdit::setRange(int min, int max)
{
    min_ = min;
    max_ = max;
}

void SpinEdit::setMaxLength(int n) { edit_->setMaxInput(n); }

void SpinEdit::setCharFilter(CharFilter filter) { edit_->setCharFilter(filter); }

QString SpinEdit::text() const { return lineEdit()->text(); }

void SpinEdit::setText(const QString& t)
{
    if (t != lineEdit()->text()) lineEdit()->setText(t);
}

bool SpinEdit::hasNumber() const { return countFromText(lineEdit()->text()).has_value(); }

int SpinEdit::value() const { return countFromText(lineEdit()->text()).value_or(min_); }

int SpinEdit::bounded(int v) const { return max_ > min_ ? std::clamp(v, min_, max_) : v; }

void SpinEdit::setValue(int v) { setText(QString::number(bounded(v))); }

void SpinEdit::stepBy(int steps) { setValue(value() + steps); }

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    StepEnabled e;
    if (value() < max_) e |= StepUpEnabled;
    if (value() > min_) e |= StepDownEnabled;
    return e;
}

void SpinEdit::focusOutEvent(QFocusEvent* e)
{
    if (leavesField(*e)) {
        emit exited();
        if (!hasNumber() || bounded(value()) != value()) setValue(value());
    }
    QAbstractSpinBox::focusOutEvent(e);
}

bool SpinEdit::event(QEvent* e)
{
    // The spin edit runs its text field's context menu itself.
    if (e->type() == QEvent::ContextMenu) {
        const FilteredLineEdit::OperatorInput input(edit_, true);
        return QAbstractSpinBox::event(e);
    }
    return QAbstractSpinBox::event(e);
}

} // namespace ui
