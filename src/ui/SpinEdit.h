#pragma once
#include "ui/KeyFilters.h"

#include <QAbstractSpinBox>

namespace ui {

class FilteredLineEdit;

// A spin edit that behaves like an edit with arrows: its text may be empty or out of range
// while the operator types (each change is reported), and leaving it brings a value outside
// the range to the nearest bound. Only the ASCII digits of its filter get in, however they
// are entered. value() of a text that is not a number is the minimum.
class SpinEdit final : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    int minimum() const { return min_; }
    int maximum() const { return max_; }
    void setRange(int min, int max);
    void setMaxLength(int n);
    // Digits by default; the decimal-digits field takes 0 to 5 only.
    void setCharFilter(CharFilter filter);

    QString text() const;
    void setText(const QString& t);
    int value() const;
    void setValue(int v); // clamps to the range
    int bounded(int v) const;

    QLineEdit* editor() const { return lineEdit(); }
    // Whether the text is a number (ASCII digits with an optional minus).
    bool hasNumber() const;

    void stepBy(int steps) override;

signals:
    void textChanged(const QString& text);
    // Emitted when the focus leaves, before the value is brought into range.
    void exited();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* e) override;
    bool event(QEvent* e) override;

private:
    FilteredLineEdit* edit_;
    QString reported_;
    int min_ = 0, max_ = 100;
};

} // namespace ui
