#include "charts/ChartStyle.h"

#include "ui/Look.h"

#include <QChart>
#include <QLegend>
#include <QValueAxis>
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
    chart.setMargins(QMargins(6, 4, 10, 4));
    chart.setAnimationOptions(QChart::NoAnimation);
    chart.legend()->setVisible(true);
    chart.legend()->setAlignment(Qt::AlignBottom);
    chart.legend()->setFont(chartFont(12));
}

void styleAxis(QAbstractAxis& axis)
{
    axis.setTitleFont(chartFont(13));
    axis.setLabelsFont(chartFont(12));
    axis.setGridLinePen(linePen(QColor(228, 228, 228), 1));
    axis.setMinorGridLineVisible(false);
}

namespace {

// A round step (1, 2 or 5 times a power of ten) giving about `ticks` intervals.
double roundStep(double span, int ticks)
{
    const double raw = span / std::max(ticks, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * magnitude) return m * magnitude;
    return 10.0 * magnitude;
}

int decimalsOf(double step)
{
    for (int d = 0; d < 8; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * scaled) return d;
    }
    return 8;
}

} // namespace

void setValueRange(QValueAxis& axis, double low, double high, int ticks, double minStep)
{
    axis.setRange(low, high);
    const double span = high - low;
    if (!(span > 0.0) || !std::isfinite(span)) return;
    const double step = std::max(roundStep(span, ticks), minStep);
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(std::ceil(low / step) * step);
    axis.setTickInterval(step);
    axis.setLabelFormat(QStringLiteral("%.%1f").arg(decimalsOf(step)));
}

} // namespace charts
