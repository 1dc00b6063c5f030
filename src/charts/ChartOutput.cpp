#include "charts/ChartOutput.h"

#include "model/FileSafety.h"

#include <QChartView>
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

} // namespace

void paintPage(QPainter& painter, const QList<QWidget*>& views, const QRectF& target)
{
    const QRect page = pageRect(views);
    if (page.isEmpty() || target.isEmpty()) return;
    const qreal scale = std::min(target.width() / page.width(), target.height() / page.height());
    const QPointF origin = target.center() - QPointF(page.width() * scale, page.height() * scale) / 2;
    for (QWidget* v : views) {
        const QRectF at(origin + QPointF(v->x() - page.x(), v->y() - page.y()) * scale,
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

QImage pageImage(const QList<QWidget*>& views, qreal scale)
{
    const QSize size = pageRect(views).size() * scale;
    if (size.isEmpty()) return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    prepare(p);
    paintPage(p, views, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

bool savePng(const QList<QWidget*>& views, const QString& path, QString& error)
{
    const QImage image = pageImage(views, kPngScale);
    if (const auto failure = model::saveFile(path, [&](QIODevice& file) { return image.save(&file, "PNG"); })) {
        error = model::problemText(failure->problem);
        return false;
    }
    return true;
}

bool savePdf(const QList<QWidget*>& views, const QString& path, const QString& title, QString& error)
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
        paintPage(p, views, paintArea(writer, kPdfResolution));
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

bool printPage(QPrinter& printer, const QList<QWidget*>& views)
{
    QPainter p;
    if (!p.begin(&printer)) return false;
    prepare(p);
    paintPage(p, views, paintArea(printer, printer.resolution()));
    return p.end();
}

} // namespace charts
