#include "ui/NotHeldCharacters.h"

#include "model/Cp932.h"
#include "ui/Interaction.h"

#include <QLabel>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

namespace ui {

void warnPasteNotHeld(QWidget* parent, const QString& character)
{
    showMessage(parent,
                QStringLiteral("貼り付けるデータに使用できない文字%1が含まれています。貼り付けは行いませんでした。")
                    .arg(model::characterForMessage(character)),
                kWarningCaption, MessageIcon::Warning);
}

QString notHeldNote(const QString& character)
{
    return QStringLiteral("%1は使用できない文字です（入力されませんでした）").arg(model::characterForMessage(character));
}

void noteNotHeld(QWidget* field, const QString& character)
{
    // Not a tool tip: those close at the release of the very key that brought the note.
    QWidget* window = field->window();
    auto* note = window->findChild<QLabel*>(QLatin1String(kNotHeldNoteName), Qt::FindDirectChildrenOnly);
    if (!note) {
        note = new QLabel(window, Qt::ToolTip | Qt::FramelessWindowHint);
        note->setObjectName(QLatin1String(kNotHeldNoteName));
        note->setPalette(QToolTip::palette());
        note->setFont(QToolTip::font());
        note->setFrameStyle(QFrame::Box | QFrame::Plain);
        note->setMargin(3);
        auto* timer = new QTimer(note);
        timer->setSingleShot(true);
        timer->setInterval(4000);
        QObject::connect(timer, &QTimer::timeout, note, &QWidget::hide);
    }
    note->setText(notHeldNote(character));
    note->adjustSize();
    note->move(field->mapToGlobal(QPoint(0, field->height())));
    note->show();
    note->raise();
    note->findChild<QTimer*>()->start();
}

} // namespace ui
