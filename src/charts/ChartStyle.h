// The look shared by the in-program charts: fonts with Japanese glyphs, the colours of
// points, marks and guide lines, the frame every chart gets and its value axes.
#pragma once
#include "chartmodel/AxisScale.h"

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QPen>

class QAbstractAxis;
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
inline const QColor kFittedColor{0, 128, 128}; // a fitted distribution's density
inline const QColor kSpecColor{150, 0, 150};
// The space around every chart's plot area and axes.
inline const QMargins kChartMargins{6, 4, 10, 4};

QFont chartFont(int pixelSize, bool bold = false);
QPen linePen(const QColor& colour, qreal width, Qt::PenStyle style = Qt::SolidLine);

// Chart titles, axis titles and labels are rich text: the operator's texts are escaped.
QString plain(const QString& text);

// The common frame: title font, margins, white background, legend at the bottom with each
// line's own stroke (solid, dashed) as its swatch.
void frameChart(QChart& chart);

// Axis title and label fonts, light grid lines.
void styleAxis(QAbstractAxis& axis);

// The model's range, a tick at every step, labelled with `decimals` decimals.
void setValueRange(QValueAxis& axis, const chartmodel::AxisRange& range, int decimals);

// Ticks of a laid-out chart's value axes far enough apart for their labels: a multiple (2, 5,
// 10, ...) of the model's step where the plot area is too short or narrow for every step.
void spaceTicks(QChart& chart);

} // namespace charts
