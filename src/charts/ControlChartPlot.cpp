#include "charts/ControlChartPlot.h"

#include "charts/ChartStyle.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QSet>
#include <QTextDocument>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>

namespace charts {

namespace {

constexpr int kMostLotLabels = 25;

// Lot numbers under the horizontal axis: every lot while they fit, else every n-th. The
// axis needs distinct labels, so a repeated lot number gets invisible zero-width spaces.
QCategoryAxis* lotAxis(const QStringList& lots)
{
    auto* axis = new QCategoryAxis;
    axis->setTitleText(QStringLiteral("ロット№"));
    axis->setTitleFont(chartFont(13));
    axis->setLabelsFont(chartFont(11));
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(-0.5, std::max<qsizetype>(lots.size(), 1) - 0.5);
    axis->setGridLinePen(linePen(QColor(235, 235, 235), 1));
    const qsizetype step = (lots.size() + kMostLotLabels - 1) / kMostLotLabels;
    if (step > 1 || lots.size() > 12) axis->setLabelsAngle(-90);
    QSet<QString> used;
    for (qsizetype i = 0; i < lots.size(); i += std::max<qsizetype>(step, 1)) {
        QString label = plain(lots[i]);
        while (used.contains(label)) label += QChar(0x200B);
        used.insert(label);
        axis->append(label, lotPosition(int(i)));
    }
    return axis;
}

QPen guidePen(judge::GuideKind kind)
{
    switch (kind) {
    case judge::GuideKind::Centre: return linePen(kCentreColor, 1.5);
    case judge::GuideKind::Upper:
    case judge::GuideKind::Lower: return linePen(kLimitColor, 1.5, Qt::DashLine);
    case judge::GuideKind::Zone: break;
    }
    return linePen(kZoneColor, 1, Qt::DotLine);
}

void attach(QChart& chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y, bool inLegend)
{
    chart.addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
    for (QLegendMarker* m : chart.legend()->markers(series)) m->setVisible(inLegend);
}

QScatterSeries* points(const QColor& colour, qreal size)
{
    auto* s = new QScatterSeries;
    s->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    s->setMarkerSize(size);
    s->setColor(colour);
    s->setBorderColor(colour);
    return s;
}

} // namespace

void plotControlPanel(QChart& chart, const QStringList& lots, const judge::ControlPanel& panel)
{
    resetChart(chart, plain(panel.title));
    QCategoryAxis* x = lotAxis(lots);
    QValueAxis* y = valueAxis(panel.axisTitle, panel.low, panel.high, 8);
    chart.addAxis(x, Qt::AlignBottom);
    chart.addAxis(y, Qt::AlignLeft);

    const double left = -0.5, right = double(std::max<size_t>(panel.points.size(), 1)) - 0.5;
    // Zone lines first, so that everything else lies on top of them.
    for (bool zones : {true, false})
        for (const judge::GuideLine& g : panel.lines) {
            if ((g.kind == judge::GuideKind::Zone) != zones) continue;
            auto* s = new QLineSeries;
            s->setName(plain(g.label));
            s->setPen(guidePen(g.kind));
            s->append({QPointF(left, g.value), QPointF(right, g.value)});
            attach(chart, s, x, y, !zones);
        }

    QList<QPointF> all, normal, marked;
    QStringList tips;
    for (size_t i = 0; i < panel.points.size(); ++i) {
        const judge::ChartPoint& p = panel.points[i];
        const QPointF at(lotPosition(int(i)), p.value);
        all << at;
        (p.marked() ? marked : normal) << at;
        tips << p.tip;
    }
    auto* polyline = new QLineSeries;
    polyline->setPen(linePen(kPointColor, 1.5));
    polyline->replace(all);
    attach(chart, polyline, x, y, false);

    // Smaller points where many lots share the width.
    const qreal size = panel.points.size() > 50 ? 5 : 7;
    auto* normalPoints = points(kPointColor, size);
    normalPoints->replace(normal);
    attach(chart, normalPoints, x, y, false);
    auto* markedPoints = points(kMarkedColor, size + 4);
    markedPoints->setName(QStringLiteral("異常点"));
    markedPoints->replace(marked);
    attach(chart, markedPoints, x, y, !marked.isEmpty());

    for (QScatterSeries* s : {normalPoints, markedPoints})
        QObject::connect(s, &QScatterSeries::hovered, s, [tips](const QPointF& p, bool entered) {
            const int i = qRound(p.x());
            if (entered && i >= 0 && i < tips.size())
                QToolTip::showText(QCursor::pos(), Qt::convertFromPlainText(tips[i], Qt::WhiteSpaceNormal));
            else QToolTip::hideText();
        });
}

} // namespace charts
