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
#include <cmath>

namespace charts {

namespace {

constexpr int kGuides = 7; // centre line, two limits, four zone lines

// Whether lot row i (0-based) of n is labelled: every lot up to 20 lots, every other up to
// 40, else the first and every 5th lot (up to 50) or every 10th: few labels keep the axis
// readable and its layout quick.
bool labelled(qsizetype i, qsizetype n)
{
    if (n <= 20) return true;
    if (n <= 40) return i % 2 == 0;
    const qsizetype step = n <= 50 ? 5 : 10 * ((n + 99) / 100);
    return i == 0 || (i + 1) % step == 0;
}

// Lot numbers under the horizontal axis. The axis needs distinct labels, so a repeated lot
// number gets invisible zero-width spaces.
void labelLots(QCategoryAxis& axis, const QStringList& lots)
{
    for (const QString& label : axis.categoriesLabels()) axis.remove(label);
    axis.setRange(-0.5, double(std::max<qsizetype>(lots.size(), 1)) - 0.5);
    axis.setLabelsAngle(lots.size() > 12 ? -90 : 0);
    QSet<QString> used;
    for (qsizetype i = 0; i < lots.size(); ++i) {
        if (!labelled(i, lots.size())) continue;
        QString label = plain(lots[i]);
        while (used.contains(label)) label += QChar(0x200B);
        used.insert(label);
        axis.append(label, double(i));
    }
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

} // namespace

ControlChartPlot::ControlChartPlot(QChart& chart)
    : chart_(chart), lotAxis_(new QCategoryAxis), valueAxis_(new QValueAxis)
{
    frameChart(chart);
    styleAxis(*lotAxis_);
    styleAxis(*valueAxis_);
    lotAxis_->setTitleText(QStringLiteral("ロット№"));
    lotAxis_->setLabelsFont(chartFont(11));
    lotAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    lotAxis_->setGridLineVisible(false);
    chart.addAxis(lotAxis_, Qt::AlignBottom);
    chart.addAxis(valueAxis_, Qt::AlignLeft);
    guides_ = std::make_unique<GuideSeries>(chart, lotAxis_, valueAxis_, kGuides);

    values_ = new QLineSeries;
    values_->setPen(linePen(kPointColor, 1.5));
    values_->setPointsVisible(true);
    marked_ = new QScatterSeries;
    marked_->setName(QStringLiteral("異常点"));
    marked_->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    marked_->setColor(kMarkedColor);
    marked_->setBorderColor(kMarkedColor);
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{values_, marked_}) {
        chart.addSeries(s);
        s->attachAxis(lotAxis_);
        s->attachAxis(valueAxis_);
    }
    for (QLegendMarker* m : chart.legend()->markers(values_)) m->setVisible(false);

    QObject::connect(marked_, &QScatterSeries::hovered, marked_, [this](const QPointF& p, bool entered) {
        const QList<QPointF> points = marked_->points();
        const auto at = std::find_if(points.begin(), points.end(),
                                     [&](const QPointF& q) { return qRound(q.x()) == qRound(p.x()); });
        if (entered && at != points.end())
            QToolTip::showText(QCursor::pos(), Qt::convertFromPlainText(markedTips_[at - points.begin()]));
        else QToolTip::hideText();
    });
}

ControlChartPlot::~ControlChartPlot() = default;

void ControlChartPlot::plot(const QStringList& lots, const judge::ControlPanel& panel)
{
    // A new title lays the whole chart out again.
    if (chart_.title() != plain(panel.title)) chart_.setTitle(plain(panel.title));
    // Relabelling lays out every label again: only when the lots changed.
    if (lots != lots_) {
        labelLots(*lotAxis_, lots);
        lots_ = lots;
    }
    valueAxis_->setTitleText(plain(panel.axisTitle));
    setValueRange(*valueAxis_, panel.low, panel.high, 8);

    const double left = -0.5, right = double(std::max<size_t>(panel.points.size(), 1)) - 0.5;
    int used = 0;
    // Zone lines first, beneath the centre line and the limits.
    for (bool zones : {true, false})
        for (const judge::GuideLine& g : panel.lines) {
            if ((g.kind == judge::GuideKind::Zone) != zones) continue;
            if (g.steps.empty()) {
                guides_->show(used++, g.label, guidePen(g.kind), QPointF(left, g.value), QPointF(right, g.value), !zones);
                continue;
            }
            // Each lot's limit across its width; lots without one are bridged.
            QList<QPointF> path;
            for (size_t i = 0; i < g.steps.size(); ++i)
                if (std::isfinite(g.steps[i])) path << QPointF(double(i) - 0.5, g.steps[i]) << QPointF(double(i) + 0.5, g.steps[i]);
            guides_->showPath(used++, g.label, guidePen(g.kind), path, !zones);
        }
    guides_->hideFrom(used);

    QList<QPointF> all, marked;
    markedTips_.clear();
    all.reserve(qsizetype(panel.points.size()));
    for (size_t i = 0; i < panel.points.size(); ++i) {
        const judge::ChartPoint& p = panel.points[i];
        all << QPointF(double(i), p.value);
        if (p.marked()) {
            marked << all.back();
            markedTips_ << p.tip;
        }
    }
    // Smaller points where many lots share the width.
    const qreal size = panel.points.size() > 50 ? 5 : 7;
    values_->setMarkerSize(size / 2); // a line series draws its points with the marker size as radius
    values_->replace(all);
    marked_->setMarkerSize(size + 4);
    marked_->replace(marked);
    for (QLegendMarker* m : chart_.legend()->markers(marked_)) m->setVisible(!marked.isEmpty());
}

} // namespace charts
