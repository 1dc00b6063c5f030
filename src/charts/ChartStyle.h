// The look shared by the in-program charts: fonts with Japanese glyphs, the colours of
// points, marks and guide lines, and the frame every chart gets.
#pragma once
#include <QColor>
#include <QFont>
#include <QPen>

class QChart;
class QValueAxis;

namespace charts {

inline const QColor kPointColor{31, 78, 156};
// The anomaly colour of the result grids; nothing else in a chart is drawn in it.
inline const QColor kMarkedColor{255, 0, 0};
inline const QColor kCentreColor{0, 128, 0};
inline const QColor kLimitColor{196, 40, 40};
inline const QColor kZoneColor{170, 170, 170};
inline const QColor kBarColor{140, 180, 230};
inline const QColor kBarEdgeColor{40, 80, 140};
inline const QColor kCurveColor{230, 120, 0};
inline const QColor kSpecColor{150, 0, 150};

QFont chartFont(int pixelSize, bool bold = false);
QPen linePen(const QColor& colour, qreal width, Qt::PenStyle style = Qt::SolidLine);

// Empties a chart of its series and axes and gives it the common frame: title font,
// margins, white background, legend at the bottom.
void resetChart(QChart& chart, const QString& title);

// A value axis over [low, high] with about `ticks` round tick values (steps not below
// `minStep`), labelled with as many decimals as the tick step needs.
QValueAxis* valueAxis(const QString& title, double low, double high, int ticks, double minStep = 0.0);

// Chart titles, axis titles and labels are rich text: the operator's texts are escaped.
QString plain(const QString& text);

} // namespace charts
