#pragma once
#include <QAbstractSpinBox>

namespace ui {

// A spin edit that behaves like an edit with arrows: its text may be empty or out of range
// while the operator types (each change is reported), and leaving it brings a value outside
// the range to the nearest bound. value() of a text that is not a number is the minimum.
class SpinEdit final : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    int minimum() const { return min_; }
    int maximum() const { return max_; }
    void setRange(int min, int max);
    void setMaxLength(int n);

    QString text() const;
    void setText(const QString& t);
    int value() const;
    void setValue(int v); // clamps to the range
    int bounded(int v) const;

    QLineEdit* editor() const { return lineEdit(); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    void textChanged(const QString& text);
    // Emitted when the focus leaves, before the value is brought into range.
    void exited();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    int min_ = 0, max_ = 100;
};

} // namespace ui
