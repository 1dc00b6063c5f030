#include "ui/InputMethod.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

namespace ui {

namespace {
constexpr Qt::InputMethodHints kDirect = Qt::ImhPreferLatin | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText;
}

void setJapaneseInput(QWidget* widget, bool on)
{
    if (!widget) return;
    widget->setAttribute(Qt::WA_InputMethodEnabled, true);
    const Qt::InputMethodHints hints = on ? (widget->inputMethodHints() & ~kDirect) : (widget->inputMethodHints() | kDirect);
    if (hints == widget->inputMethodHints()) return;
    widget->setInputMethodHints(hints);
    if (widget->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImHints);
}

bool japaneseInputOn(const QWidget* widget)
{
    return widget && widget->testAttribute(Qt::WA_InputMethodEnabled) && !(widget->inputMethodHints() & Qt::ImhLatinOnly);
}

} // namespace ui
