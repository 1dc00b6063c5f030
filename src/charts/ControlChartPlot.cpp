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

constexpr int kGuides = 9; // centre line, two limits, four zone lines, two specification limits

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

QPen guidePen(chartmodel::LineKind kind)
{
    switch (kind) {
    case chartmodel::LineKind::Centre: return linePen(kCentreColor, 1.5);
    case chartmodel::LineKind::Upper:
    case chartmodel::LineKind::Lower: return linePen(kLimitColor, 1.5, Qt::DashLine);
    case chartmodel::LineKind::SpecUpper:
    case chartmodel::LineKind::SpecLower: return linePen(kSpecColor, 1.5, Qt::DashDotLine);
    case chartmodel::LineKind::Zone: break;
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
    values_ = std::make_unique<GuideSeries>(chart, lotAxis_, valueAxis_, 1);

    points_ = new QScatterSeries;
    points_->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    points_->setColor(kPointColor);
    points_->setBorderColor(kPointColor);
    marked_ = new QScatterSeries;
    marked_->setName(QStringLiteral("異常点"));
    marked_->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    marked_->setColor(kMarkedColor);
    marked_->setBorderColor(kMarkedColor);
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{points_, marked_}) {
        chart.addSeries(s);
        s->attachAxis(lotAxis_);
        s->attachAxis(valueAxis_);
    }
    for (QLegendMarker* m : chart.legend()->markers(points_)) m->setVisible(false);
    // More pieces of lines go beneath the points.
    guides_->setAbove({points_, marked_});
    values_->setAbove({points_, marked_});

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

void ControlChartPlot::plot(const QStringList& lots, const chartmodel::ControlPanel& panel)
{
    // A new title lays the whole chart out again.
    if (chart_.title() != plain(panel.title)) chart_.setTitle(plain(panel.title));
    // Relabelling lays out every label again: only when the lots changed.
    if (lots != lots_) {
        labelLots(*lotAxis_, lots);
        lots_ = lots;
    }
    valueAxis_->setTitleText(plain(panel.axisTitle));
    setValueRange(*valueAxis_, panel.range, panel.labelDecimals);

    const double left = -0.5, right = double(std::max<size_t>(panel.points.size(), 1)) - 0.5;
    guides_->begin();
    // Zone lines first, beneath the centre line and the limits.
    for (bool zones : {true, false})
        for (const chartmodel::GuideLine& g : panel.lines) {
            if ((g.kind == chartmodel::LineKind::Zone) != zones) continue;
            if (g.stepped()) guides_->add(g.label(), guidePen(g.kind), stepPieces(g.steps), !zones);
            else if (g.value) guides_->add(g.label(), guidePen(g.kind), {{QPointF(left, *g.value), QPointF(right, *g.value)}}, !zones);
        }
    guides_->end();

    // The polyline breaks where a lot has no point.
    QList<QList<QPointF>> pieces(1);
    QList<QPointF> all, marked;
    markedTips_.clear();
    for (size_t i = 0; i < panel.points.size(); ++i) {
        const chartmodel::ChartPoint& p = panel.points[i];
        if (!p.value) {
            if (!pieces.back().isEmpty()) pieces.append(QList<QPointF>());
            continue;
        }
        const QPointF at(double(i), *p.value);
        pieces.back() << at;
        all << at;
        if (p.marked()) {
            marked << at;
            markedTips_ << p.tip;
        }
    }
    values_->begin();
    values_->add(panel.valueName, linePen(kPointColor, 1.5), pieces, false);
    values_->end();
    // Smaller points where many lots share the width.
    const qreal size = panel.points.size() > 50 ? 5 : 7;
    points_->setMarkerSize(size);
    points_->replace(all);
    marked_->setMarkerSize(size + 4);
    marked_->replace(marked);
    for (QLegendMarker* m : chart_.legend()->markers(points_)) m->setVisible(false);
    for (QLegendMarker* m : chart_.legend()->markers(marked_)) m->setVisible(!marked.isEmpty());
}

} // namespace charts
