// A page of the chart window (its chart views, top to bottom) drawn anywhere else: into an
// image for the clipboard or a PNG file, into a PDF file, onto a printer. Files are written
// to a temporary file and renamed, so a failed save leaves an existing file as it was.
#pragma once
#include <QImage>
#include <QList>
#include <QString>

class QChartView;
class QPainter;
class QPrinter;
class QRectF;

namespace charts {

// Draws the views into `target` as they lie on the screen, scaled to fit and centred.
void paintPage(QPainter& painter, const QList<QChartView*>& views, const QRectF& target);

// The page at `scale` times its size on the screen, on white.
QImage pageImage(const QList<QChartView*>& views, qreal scale);

// On failure `error` says why.
bool savePng(const QList<QChartView*>& views, const QString& path, QString& error);
bool savePdf(const QList<QChartView*>& views, const QString& path, const QString& title, QString& error);
bool printPage(QPrinter& printer, const QList<QChartView*>& views);

} // namespace charts
