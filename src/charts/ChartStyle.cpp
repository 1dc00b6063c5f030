#include "charts/ChartStyle.h"

#include "ui/Look.h"

#include <QChart>
#include <QLegend>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace charts {

QFont chartFont(int pixelSize, bool bold)
{
    QFont f = ui::proportionalGothicFont(pixelSize);
    f.setBold(bold);
    return f;
}

QPen linePen(const QColor& colour, qreal width, Qt::PenStyle style)
{
    // Not cosmetic: printed and saved pages scale the lines with everything else.
    return QPen(QBrush(colour), width, style, Qt::FlatCap, Qt::MiterJoin);
}

QString plain(const QString& text) { return text.toHtmlEscaped(); }

void frameChart(QChart& chart)
{
    chart.setTitleFont(chartFont(16, true));
    chart.setTitleBrush(Qt::black);
    chart.setBackgroundBrush(Qt::white);
    chart.setBackgroundRoundness(0);
    chart.setMargins(kChartMargins);
    chart.setAnimationOptions(QChart::NoAnimation);
    chart.legend()->setVisible(true);
    chart.legend()->setAlignment(Qt::AlignBottom);
    chart.legend()->setFont(chartFont(12));
    chart.legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
}

void styleAxis(QAbstractAxis& axis)
{
    axis.setTitleFont(chartFont(13));
    axis.setLabelsFont(chartFont(12));
    axis.setGridLinePen(linePen(QColor(228, 228, 228), 1));
    axis.setMinorGridLineVisible(false);
}

void setValueRange(QValueAxis& axis, const chartmodel::AxisRange& range, int decimals)
{
    axis.setRange(range.min, range.max);
    axis.setLabelFormat(QStringLiteral("%.%1f").arg(std::clamp(decimals, 0, 10)));
    if (!(range.step > 0.0) || !std::isfinite(range.step)) {
        axis.setTickType(QValueAxis::TicksFixed);
        return;
    }
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(range.min);
    axis.setTickInterval(range.step);
}

} // namespace charts
