// Draws one chart of the control chart from its data: the guide lines, the polyline of the
// lot values with their points, and the points the run rules marked in the anomaly colour
// with their rules as tooltip.
#pragma once
#include "judge/ChartData.h"

#include <QStringList>

class QChart;

namespace charts {

void plotControlPanel(QChart& chart, const QStringList& lots, const judge::ControlPanel& panel);

// The horizontal position of lot row `index` (0-based) in a chart drawn by plotControlPanel.
inline double lotPosition(int index) { return double(index); }

} // namespace charts
