// A page of the chart window (its chart views and, on the capability study page, the table
// beside them) drawn anywhere else: into an
// image for the clipboard or a PNG file, into a PDF file, onto a printer. Files are written
// to a temporary file and renamed, so a failed save leaves an existing file as it was.
#pragma once
#include <QImage>
#include <QList>
#include <QString>

class QWidget;
class QPainter;
class QPrinter;
class QRectF;

namespace charts {

// Draws the widgets (children of one parent) into `target` as they lie on the screen, scaled
// to fit and centred.
void paintPage(QPainter& painter, const QList<QWidget*>& views, const QRectF& target);

// The page at `scale` times its size on the screen, on white.
QImage pageImage(const QList<QWidget*>& views, qreal scale);

// On failure `error` says why.
bool savePng(const QList<QWidget*>& views, const QString& path, QString& error);
bool savePdf(const QList<QWidget*>& views, const QString& path, const QString& title, QString& error);
bool printPage(QPrinter& printer, const QList<QWidget*>& views);

} // namespace charts
