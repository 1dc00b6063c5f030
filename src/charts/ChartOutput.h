// A page of the chart window (its chart views and, on the capability study page, the table
// beside them) drawn anywhere else: into an image for the clipboard or a PNG file, into a PDF
// file, onto a printer; above it the lines that identify what it shows (product, item,
// specification, date, program). Files are written to a temporary file and renamed, so a
// failed save leaves an existing file as it was.
#pragma once
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;
class QPainter;
class QPrinter;
class QRectF;

namespace charts {

// What a page shows: the widgets (children of one parent) as they lie on the screen, and the
// lines of text above them.
struct Page {
    QList<QWidget*> views;
    QStringList heading;
};

// Draws the heading at the top of `target`, then the widgets below it, scaled to fit and centred.
void paintPage(QPainter& painter, const Page& page, const QRectF& target);

// The page at `scale` times its size on the screen, on white.
QImage pageImage(const Page& page, qreal scale);

// On failure `error` says why.
bool savePng(const Page& page, const QString& path, QString& error);
bool savePdf(const Page& page, const QString& path, const QString& title, QString& error);
bool printPage(QPrinter& printer, const Page& page);

} // namespace charts
