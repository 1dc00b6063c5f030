#include "WindowPictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace manual {

namespace {

const QColor kMarkColour(214, 40, 40);

QImage blankLike(QSize logical, qreal dpr)
{
    QImage img((QSizeF(logical) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::white);
    return img;
}

} // namespace

int titleBarHeight() { return 28; }

QImage widgetPicture(QWidget* widget) { return widget->grab().toImage(); }

QImage framedWindow(QWidget* window)
{
    const QImage content = widgetPicture(window);
    const qreal dpr = content.devicePixelRatio();
    const QSize inner = (QSizeF(content.size()) / dpr).toSize();
    const int bar = titleBarHeight();
    QImage img = blankLike(QSize(inner.width() + 2, inner.height() + bar + 1), dpr);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(0, 0, img.width(), bar), QColor(222, 226, 232));
    QFont f(QStringLiteral("Noto Sans CJK JP"));
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(QColor(40, 40, 40));
    p.drawText(QRect(10, 0, inner.width() - 80, bar), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
    // A close button, so the picture reads as a window.
    const QRect close(inner.width() - 30, (bar - 14) / 2, 14, 14);
    p.setPen(QPen(QColor(90, 90, 90), 1.6));
    p.drawLine(close.topLeft(), close.bottomRight());
    p.drawLine(close.topRight(), close.bottomLeft());
    p.drawImage(QPoint(1, bar), content);
    p.setPen(QPen(QColor(150, 155, 160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, inner.width() + 1, inner.height() + bar));
    return img;
}

QImage withMarks(const QImage& picture, const QList<Mark>& marks, QPoint offset)
{
    QImage img = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(picture.devicePixelRatio());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("Noto Sans CJK JP"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    for (const Mark& m : marks) {
        const QRectF r = QRectF(m.rect.translated(offset)).adjusted(1.5, 1.5, -1.5, -1.5);
        p.setPen(QPen(kMarkColour, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r, 4, 4);
        // The badge sits on the corner, covering as little of the window as it can.
        const QRectF badge(r.left() - 9, r.top() - 9, 20, 20);
        p.setPen(Qt::NoPen);
        p.setBrush(kMarkColour);
        p.drawEllipse(badge);
        p.setPen(Qt::white);
        p.drawText(badge, Qt::AlignCenter, QString::number(m.number));
    }
    return img;
}

QImage sideBySide(const QList<QImage>& pictures, int gap)
{
    if (pictures.isEmpty()) return {};
    const qreal dpr = pictures.front().devicePixelRatio();
    int width = 0, height = 0;
    for (const QImage& pic : pictures) {
        const QSize s = (QSizeF(pic.size()) / pic.devicePixelRatio()).toSize();
        width += s.width() + gap;
        height = std::max(height, s.height());
    }
    QImage img = blankLike(QSize(width - gap, height), dpr);
    QPainter p(&img);
    int x = 0;
    for (const QImage& pic : pictures) {
        p.drawImage(QPoint(x, 0), pic);
        x += int(pic.width() / pic.devicePixelRatio()) + gap;
    }
    return img;
}

} // namespace manual
