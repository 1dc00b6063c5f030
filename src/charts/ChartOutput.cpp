#include "charts/ChartOutput.h"

#include "charts/ChartStyle.h"
#include "model/FileSafety.h"

#include <QChartView>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "model/FileFailure.h"

#include <cerrno>

namespace charts {

namespace {

constexpr qreal kPngScale = 2.0;
constexpr int kPdfResolution = 300;

// Where the views lie, relative to the first one's parent.
QRect pageRect(const QList<QWidget*>& views)
{
    QRect page;
    for (const QWidget* v : views) page = page.united(v->geometry());
    return page;
}

void prepare(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QRectF paintArea(const QPagedPaintDevice& device, int resolution)
{
    return QRectF(QPointF(0, 0), device.pageLayout().paintRectPixels(resolution).size());
}

// The heading's font at the page's scale, and the height its lines take.
QFont headingFont() { return chartFont(13); }
int headingHeight(const QStringList& heading)
{
    if (heading.isEmpty()) return 0;
    return int(heading.size()) * QFontMetrics(headingFont()).lineSpacing() + 8;
}

} // namespace

void paintPage(QPainter& painter, const Page& content, const QRectF& target)
{
    const QList<QWidget*>& views = content.views;
    const QRect viewsRect = pageRect(views);
    if (viewsRect.isEmpty() || target.isEmpty()) return;
    const int top = headingHeight(content.heading);
    const QSize page(viewsRect.width(), viewsRect.height() + top);
    const qreal scale = std::min(target.width() / page.width(), target.height() / page.height());
    const QPointF corner = target.center() - QPointF(page.width() * scale, page.height() * scale) / 2;
    if (top > 0) {
        painter.save();
        painter.translate(corner);
        painter.scale(scale, scale);
        painter.setFont(headingFont());
        painter.setPen(Qt::black);
        const int line = QFontMetrics(headingFont()).lineSpacing();
        for (qsizetype i = 0; i < content.heading.size(); ++i)
            painter.drawText(QRectF(4, 2 + double(i) * line, page.width() - 8, line), Qt::AlignLeft | Qt::AlignVCenter, content.heading[i]);
        painter.restore();
    }
    const QPointF origin = corner + QPointF(0, top * scale);
    for (QWidget* v : views) {
        const QRectF at(origin + QPointF(v->x() - viewsRect.x(), v->y() - viewsRect.y()) * scale,
                        QSizeF(v->width(), v->height()) * scale);
        if (auto* chart = qobject_cast<QChartView*>(v)) {
            chart->render(&painter, at, chart->viewport()->rect()); // drawn as vectors, sharp at any scale
            continue;
        }
        painter.save();
        painter.translate(at.topLeft());
        painter.scale(scale, scale);
        v->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.restore();
    }
}

QImage pageImage(const Page& page, qreal scale)
{
    const QRect views = pageRect(page.views);
    if (views.isEmpty()) return QImage();
    const QSize size = QSize(views.width(), views.height() + headingHeight(page.heading)) * scale;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    prepare(p);
    paintPage(p, page, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

bool savePng(const Page& page, const QString& path, QString& error)
{
    const QImage image = pageImage(page, kPngScale);
    if (const auto failure = model::saveFile(path, [&](QIODevice& file) { return image.save(&file, "PNG"); })) {
        error = model::problemText(failure->problem);
        return false;
    }
    return true;
}

bool savePdf(const Page& page, const QString& path, const QString& title, QString& error)
{
    bool drawn = true;
    const auto failure = model::saveFile(path, [&](QIODevice& file) {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Quorvane"));
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                                         QPageLayout::Millimeter));
        QPainter p(&writer);
        if (!p.isActive()) {
            drawn = false;
            return false;
        }
        prepare(p);
        paintPage(p, page, paintArea(writer, kPdfResolution));
        return p.end(); // the document is complete in the file before it is committed
    });
    if (!drawn) {
        error = QStringLiteral("PDFの描画を開始できませんでした。");
        return false;
    }
    if (failure) {
        error = model::problemText(failure->problem);
        return false;
    }
    return true;
}

bool printPage(QPrinter& printer, const Page& page)
{
    QPainter p;
    if (!p.begin(&printer)) return false;
    prepare(p);
    paintPage(p, page, paintArea(printer, printer.resolution()));
    return p.end();
}

} // namespace charts
