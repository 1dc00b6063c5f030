#include "ui/FilteredLineEdit.h"

#include "ui/InputMethod.h"
#include "ui/NotHeldCharacters.h"
#include "ui/ShortenedText.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>
#include <QValidator>

namespace ui {

namespace {

// Hands every change to the field's filter; the field adopts the filtered text.
class FilterValidator final : public QValidator {
public:
    explicit FilterValidator(FilteredLineEdit* edit) : QValidator(edit), edit_(edit) {}
    State validate(QString& input, int& pos) const override
    {
        input = edit_->filtered(input, pos);
        return Acceptable;
    }

private:
    FilteredLineEdit* edit_;
};

// Events through which the operator changes a field's text.
bool operatorEvent(QEvent::Type t)
{
    switch (t) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu: return true;
    default: return false;
    }
}

// Events that put text the operator did not type: pasting, dropping, the middle button.
bool pastesText(QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress: return static_cast<QKeyEvent*>(e)->matches(QKeySequence::Paste);
    case QEvent::Drop:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu: return true;
    default: return false;
    }
}

} // namespace

FilteredLineEdit::FilteredLineEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new FilterValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) { accepted_ = t; });
}

QString FilteredLineEdit::filtered(const QString& input, int& cursor) const
{
    if (!operatorInput()) return input;
    FilteredText r = filterInsertion(filter_, accepted_, input, cursor, maxInput_);
    if (!r.notHeld.isEmpty()) {
        notHeld_ = r.notHeld;
        if (pasting_) {
            // Nothing of a paste is taken when a part of it would be lost.
            pasteRefused_ = true;
            cursor = std::min(cursorBefore_, int(accepted_.size()));
            return accepted_;
        }
    }
    cursor = r.cursor;
    return std::move(r.text);
}

void FilteredLineEdit::reportNotHeld()
{
    if (notHeld_.isEmpty()) return;
    const QString character = std::exchange(notHeld_, QString());
    const bool pasted = std::exchange(pasteRefused_, false);
    // Once the change has been handled: a message box opened inside the field's own event
    // would close an in-place editor under it.
    QMetaObject::invokeMethod(
        this,
        [this, character, pasted] {
            if (pasted) warnPasteNotHeld(window(), character);
            else noteNotHeld(this, character);
        },
        Qt::QueuedConnection);
}

bool FilteredLineEdit::event(QEvent* e)
{
    if (e->type() == QEvent::ReadOnlyChange) {
        // Becoming writable switches the input method back on; direct input stays direct.
        const bool handled = QLineEdit::event(e);
        reapplyJapaneseInput(this);
        return handled;
    }
    if (e->type() == QEvent::ToolTip) {
        const QString shown = shownText();
        if (shown != text()) {
            // The whole value first; the field's hint, if any, below it.
            const QString hint = toolTip();
            QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), hint.isEmpty() ? text() : text() + u'\n' + hint, this, rect());
            return true;
        }
    }
    if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) update(); // shortened or whole
    if (!operatorEvent(e->type())) return QLineEdit::event(e);
    const OperatorInput input(this, pastesText(e));
    return QLineEdit::event(e);
}

QMenu* FilteredLineEdit::createFilteredContextMenu()
{
    QMenu* menu = createStandardContextMenu();
    // The menu's paste runs after the menu has closed, outside any event of the field. The
    // item is known by the shortcut shown beside it.
    const QString pasteKey = u'\t' + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* item : menu->actions()) {
        if (!item->text().endsWith(pasteKey)) continue;
        disconnect(item, &QAction::triggered, this, nullptr);
        connect(item, &QAction::triggered, this, [this] {
            const OperatorInput input(this, true);
            paste();
        });
    }
    return menu;
}

QRect FilteredLineEdit::textRect() const
{
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins());
    // QLineEdit keeps 2 pixels on either side of its text, 1 above and below.
    return contents.adjusted(2, 1, -2, -1);
}

QString FilteredLineEdit::shownText() const
{
    if (hasFocus() || echoMode() != Normal) return text();
    // QLineEdit scrolls a text once it and the cursor's pixel no longer fit.
    return shortenedText(fontMetrics(), textRect().width() - 1, text());
}

void FilteredLineEdit::paintEvent(QPaintEvent* e)
{
    const QString shown = shownText();
    if (shown == text()) {
        QLineEdit::paintEvent(e);
        return;
    }
    QPainter p(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &p, this);
    const QRect r = textRect();
    p.setClipRect(r);
    p.setPen(palette().color(QPalette::Text));
    const Qt::Alignment horizontal = QStyle::visualAlignment(layoutDirection(), alignment()) & Qt::AlignHorizontal_Mask;
    p.drawText(r, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

void FilteredLineEdit::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createFilteredContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

} // namespace ui
