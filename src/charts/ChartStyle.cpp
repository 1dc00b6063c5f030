#include "charts/ChartStyle.h"

#include "ui/Look.h"

#include <QChart>
#include <QLegend>
#include <QFontMetricsF>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace charts {

namespace {

// The step the model gave an axis, kept for spacing its ticks later.
const char* const kStepProperty = "modelStep";

} // namespace

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
    axis.setProperty(kStepProperty, range.step);
}

void spaceTicks(QChart& chart)
{
    const QRectF plot = chart.plotArea();
    for (QAbstractAxis* a : chart.axes()) {
        auto* axis = qobject_cast<QValueAxis*>(a);
        const double step = axis ? axis->property(kStepProperty).toDouble() : 0.0;
        if (!axis || !(step > 0.0) || axis->tickType() != QValueAxis::TicksDynamic) continue;
        const QFontMetricsF metrics(axis->labelsFont());
        const bool vertical = axis->orientation() == Qt::Vertical;
        // A label's room: its line height on an upright axis, its text's width on a lying one.
        const QByteArray format = axis->labelFormat().toLatin1();
        const double widest = std::max(metrics.horizontalAdvance(QString::asprintf(format.constData(), axis->min())),
                                       metrics.horizontalAdvance(QString::asprintf(format.constData(), axis->max())));
        const double room = (vertical ? metrics.height() : widest) * 1.3;
        const double length = vertical ? plot.height() : plot.width();
        const double span = axis->max() - axis->min();
        if (!(length > 0.0) || !(span > 0.0)) continue;
        double interval = step;
        for (double factor : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0}) {
            interval = step * factor;
            if (length * interval / span >= room) break;
        }
        if (axis->tickInterval() != interval) axis->setTickInterval(interval);
    }
}

} // namespace charts
