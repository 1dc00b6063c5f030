#include "ui/InputMethod.h"

#include <QAbstractSpinBox>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLineEdit>
#include <QVariant>
#include <QWidget>

namespace ui {

namespace {

constexpr Qt::InputMethodHints kDirect = Qt::ImhPreferLatin | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText;
constexpr const char* kDirectProperty = "quorvaneDirectInput";

void apply(QWidget* widget, bool on)
{
    widget->setProperty(kDirectProperty, !on);
    widget->setAttribute(Qt::WA_InputMethodEnabled, on);
    const Qt::InputMethodHints hints = on ? (widget->inputMethodHints() & ~kDirect) : (widget->inputMethodHints() | kDirect);
    if (hints != widget->inputMethodHints()) widget->setInputMethodHints(hints);
    if (widget->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

} // namespace

void setJapaneseInput(QWidget* widget, bool on)
{
    if (!widget) return;
    if (!on && widget->hasFocus()) QGuiApplication::inputMethod()->reset();
    apply(widget, on);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget))
        if (auto* edit = spin->findChild<QLineEdit*>()) apply(edit, on);
}

bool japaneseInputOn(const QWidget* widget)
{
    return widget && widget->testAttribute(Qt::WA_InputMethodEnabled) && !(widget->inputMethodHints() & Qt::ImhLatinOnly);
}

void reapplyJapaneseInput(QWidget* widget)
{
    const QVariant direct = widget->property(kDirectProperty);
    if (direct.isValid()) apply(widget, !direct.toBool());
}

void switchJapaneseInputOff()
{
    // A composition left open would otherwise be committed into the dialog's first field.
    QGuiApplication::inputMethod()->reset();
    QGuiApplication::inputMethod()->hide();
}

} // namespace ui
