#pragma once
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// Pictures of the program's windows for the manual: a top-level window with a plain title
// bar drawn above it (offscreen windows have no frame), parts of a window, and numbered
// marks that the text refers to.
namespace manual {

// The window as the operator sees it: its content under a title bar with its caption.
QImage framedWindow(QWidget* window);
// A part of a window, as it is painted.
QImage widgetPicture(QWidget* widget);

struct Mark {
    QRect rect; // in the coordinates of the window the picture was taken of (logical pixels)
    int number = 0;
};
// Draws a frame around every marked area and a numbered badge at its upper left corner.
// `offset` moves the marks (for a framed window: below its title bar).
QImage withMarks(const QImage& picture, const QList<Mark>& marks, QPoint offset = {});
// The height of the title bar framedWindow() draws, in logical pixels.
int titleBarHeight();
// Pictures side by side on a white ground, aligned at the top.
QImage sideBySide(const QList<QImage>& pictures, int gap = 16);

} // namespace manual
