#include "judge/CapabilityStudy.h"
#include "chartmodel/StudyTable.h"
#include "TestSheet.h"
#include "model/NumberText.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <boost/math/distributions/normal.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>

using namespace judge;
using judge::testing::TestSheet;

namespace {

// Fixed samples: splitmix64 uniforms through a quantile function, written with three
// decimals as a sheet holds them (so values repeat), in lots of five.
std::vector<double> sample(std::uint64_t seed, int n, const std::function<double(double)>& quantile, int digits = 3)
{
    std::vector<double> out;
    for (int i = 0; i < n; ++i) {
        std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        const double u = (double(z >> 11) + 0.5) * 0x1.0p-53;
        out.push_back(model::formatFixed(quantile(u), digits).toDouble());
    }
    return out;
}

double standardNormal(double u) { return boost::math::quantile(boost::math::normal_distribution<double>(), u); }

UsedLots lotsOf(const std::vector<double>& values)
{
    TestSheet s(5);
    for (size_t i = 0; i < values.size(); i += 5)
        s.values(std::vector<double>(values.begin() + std::ptrdiff_t(i), values.begin() + std::ptrdiff_t(std::min(i + 5, values.size()))));
    return usedLots(s.view());
}

// scipy as the independent reference: Box-Cox λ by maximum likelihood, the lognormal fit and
// the Weibull fit (both with the location fixed at 0, the Weibull's optimiser held to tight
// tolerances), their percentiles at Φ(−3), ½ and Φ(3), the fraction above a limit, and the
// Weibull fit's A² from its own CDF.
const char* const kScipyScript = R"(
import json, sys
import numpy as np
from scipy import optimize, stats
data = json.load(sys.stdin)
ps = [stats.norm.cdf(-3), 0.5, stats.norm.cdf(3)]
def tight(func, x0, args=(), disp=0):
    return optimize.fmin(func, x0, args=args, disp=0, xtol=1e-13, ftol=1e-15, maxiter=200000, maxfun=200000)
out = {}
for name, entry in data.items():
    x = np.array(entry['values'])
    upper = entry['upper']
    r = {'lambda': float(stats.boxcox_normmax(x, method='mle'))}
    s, _, scale = stats.lognorm.fit(x, floc=0)
    r['lognormal'] = [float(np.log(scale)), float(s)]
    r['lognormal_percentiles'] = [float(stats.lognorm.ppf(p, s, scale=scale)) for p in ps]
    r['lognormal_above'] = float(stats.lognorm.sf(upper, s, scale=scale))
    c, _, sc = stats.weibull_min.fit(x, floc=0, optimizer=tight)
    r['weibull'] = [float(c), float(sc)]
    r['weibull_percentiles'] = [float(stats.weibull_min.ppf(p, c, scale=sc)) for p in ps]
    z = np.sort(x)
    n = len(z)
    i = np.arange(1, n + 1)
    a2 = -n - np.sum((2 * i - 1) * (stats.weibull_min.logcdf(z, c, scale=sc) + stats.weibull_min.logsf(z[::-1], c, scale=sc))) / n
    r['weibull_a2'] = float(a2)
    out[name] = r
print(json.dumps(out))
)";

QJsonObject scipy(const QJsonObject& data)
{
    QProcess p;
    const QString python = QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
    p.start(python, {QStringLiteral("-c"), QString::fromUtf8(kScipyScript)});
    if (!p.waitForStarted(30000)) {
        ADD_FAILURE() << "python3 does not start";
        return {};
    }
    p.write(QJsonDocument(data).toJson(QJsonDocument::Compact));
    p.closeWriteChannel();
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        ADD_FAILURE() << "scipy failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

double weibullLogLikelihood(const std::vector<double>& x, double shape, double scale)
{
    long double sum = 0.0L;
    for (double v : x) {
        const double r = v / scale;
        sum += std::log(shape / scale) + (shape - 1) * std::log(r) - std::pow(r, shape);
    }
    return static_cast<double>(sum);
}

void expectRelative(double actual, double expected, double tolerance, const std::string& what)
{
    EXPECT_LE(std::fabs(actual - expected), tolerance * std::fabs(expected)) << what << ": " << actual << " against " << expected;
}

struct Case {
    const char* name;
    std::vector<double> values;
    double upper;
};

} // namespace

TEST(NonNormalCapability, FitsAgreeWithScipy)
{
    const std::vector<Case> cases{
        {"lognormal", sample(11, 60, [](double u) { return std::exp(0.2 + 0.35 * standardNormal(u)); }), 3.5},
        {"weibull", sample(12, 80, [](double u) { return 2.0 * std::pow(-std::log1p(-u), 1 / 1.7); }), 5.0},
        // A roughness-like characteristic with two decimals: few distinct values, many repeats.
        {"coarse", sample(13, 100, [](double u) { return 0.8 + 0.07 * standardNormal(u) + 0.05 * u * u; }, 2), 1.2},
    };
    QJsonObject data;
    for (const Case& c : cases) {
        QJsonArray values;
        for (double v : c.values) values.append(v);
        data[QString::fromUtf8(c.name)] = QJsonObject{{QStringLiteral("values"), values}, {QStringLiteral("upper"), c.upper}};
    }
    const QJsonObject reference = scipy(data);
    ASSERT_EQ(reference.size(), int(cases.size()));

    for (const Case& c : cases) {
        const std::string name = c.name;
        const QJsonObject ref = reference[QString::fromUtf8(c.name)].toObject();
        const UsedLots used = lotsOf(c.values);
        const SpecLimits limits{SpecKind::UpperOnly, c.upper, 0.0};
        auto fitted = [&](Distribution d) {
            const NonNormalStudy st = studyNonNormal(used, limits, d, WithinMethod::RBar);
            EXPECT_TRUE(st.result) << name;
            return st.result.value_or(PercentileCapability{});
        };
        const auto percentiles = [](const PercentileCapability& pc) { return std::vector<double>{pc.p00135, pc.p50, pc.p99865}; };

        EXPECT_NEAR(fitted(Distribution::BoxCox).fit.lambda, ref["lambda"].toDouble(), 1e-4) << name;

        const PercentileCapability lognormal = fitted(Distribution::Lognormal);
        expectRelative(lognormal.fit.location, ref["lognormal"][0].toDouble(), 1e-9, name + " meanlog");
        expectRelative(lognormal.fit.spread, ref["lognormal"][1].toDouble(), 1e-9, name + " sdlog");
        for (int i = 0; i < 3; ++i)
            expectRelative(percentiles(lognormal)[size_t(i)], ref["lognormal_percentiles"][i].toDouble(), 1e-9, name + " lognormal percentile");
        expectRelative(lognormal.ppmExpected, ref["lognormal_above"].toDouble() * 1e6, 1e-9, name + " lognormal ppm");

        const PercentileCapability weibull = fitted(Distribution::Weibull);
        const double ours = weibullLogLikelihood(c.values, weibull.fit.shape, weibull.fit.scale);
        const double theirs = weibullLogLikelihood(c.values, ref["weibull"][0].toDouble(), ref["weibull"][1].toDouble());
        EXPECT_GE(ours, theirs - 1e-12 * std::fabs(theirs)) << name;
        for (int i = 0; i < 3; ++i)
            expectRelative(percentiles(weibull)[size_t(i)], ref["weibull_percentiles"][i].toDouble(), 1e-4, name + " Weibull percentile");
        ASSERT_TRUE(weibull.goodness) << name;
        EXPECT_NEAR(weibull.goodness->a2, ref["weibull_a2"].toDouble(), 1e-6) << name;
    }
}

TEST(NonNormalCapability, TheAutomaticChoiceAndValuesTheFitsCannotTake)
{
    const SpecLimits tolerance{SpecKind::Tolerance, 9.0, 0.0};
    // Strongly skewed: the normal is rejected, a fit for positive values is chosen.
    const std::vector<double> skewed = sample(21, 100, [](double u) { return std::exp(0.8 * standardNormal(u)); });
    const NonNormalStudy chosen = studyNonNormal(lotsOf(skewed), tolerance, Distribution::Auto, WithinMethod::RBar);
    ASSERT_TRUE(chosen.result && chosen.result->goodness);
    ASSERT_EQ(chosen.candidates.size(), 4u);
    EXPECT_EQ(chosen.candidates.front().family, FitFamily::Normal);
    EXPECT_LT(chosen.candidates.front().goodness->p, 0.01);
    EXPECT_NE(chosen.result->fit.family, FitFamily::Normal);
    for (const FitCandidate& c : chosen.candidates) EXPECT_LE(c.goodness->p, chosen.result->goodness->p);
    // The lower limit 0 lies beneath every value: below it nothing is expected, and no index is infinite.
    for (Distribution d : {Distribution::BoxCox, Distribution::Lognormal, Distribution::Weibull}) {
        const PercentileCapability pc = *studyNonNormal(lotsOf(skewed), tolerance, d, WithinMethod::RBar).result;
        for (const std::optional<double>& index : {pc.pp, pc.ppl, pc.ppu, pc.ppk, pc.cp, pc.cpk})
            EXPECT_TRUE(!index || std::isfinite(*index)) << int(d);
        EXPECT_TRUE(pc.ppk && std::isfinite(pc.ppmExpected)) << int(d);
        EXPECT_LT(pc.p00135, pc.p50);
        EXPECT_LT(pc.p50, pc.p99865);
    }

    // A value of 0: the positive fits are refused with the reason, and the automatic choice
    // falls back on the normal, whose percentile indices are then the normal Pp and Ppk.
    TestSheet s(5);
    s.lot({"0.0", "0.4", "0.5", "0.6", "0.5"}).lot({"0.3", "0.7", "0.5", "0.4", "0.6"});
    const SpecLimits limits{SpecKind::Tolerance, 1.2, -0.2};
    for (Distribution d : {Distribution::BoxCox, Distribution::Lognormal, Distribution::Weibull}) {
        const CapabilityStudy st = studyCapability(usedLots(s.view()), ChartKind::XbarR, limits, {{}, {}, d});
        EXPECT_EQ(st.nonNormal->refused, FitRefusal::NotPositive);
        EXPECT_FALSE(st.nonNormal->result);
        EXPECT_TRUE(chartmodel::nonNormalRefusalLine(st).contains(QStringLiteral("0以下"))) << chartmodel::nonNormalRefusalLine(st).toStdString();
        EXPECT_TRUE(chartmodel::nonNormalLines(st).empty());
        EXPECT_TRUE(st.pp); // the normal study stays
    }
    const CapabilityStudy normal = studyCapability(usedLots(s.view()), ChartKind::XbarR, limits, {{}, {}, Distribution::Auto});
    const PercentileCapability& pc = *normal.nonNormal->result;
    EXPECT_EQ(pc.fit.family, FitFamily::Normal);
    EXPECT_EQ(normal.nonNormal->candidates.size(), 1u);
    EXPECT_NEAR(*pc.pp, *normal.pp, 1e-12);
    EXPECT_NEAR(*pc.ppk, *normal.ppk, 1e-12);
    EXPECT_NEAR(pc.ppmExpected, *normal.ppmOverall, 1e-9);

    TestSheet flat(5);
    flat.lot({"2", "2", "2"});
    EXPECT_EQ(studyCapability(usedLots(flat.view()), ChartKind::XbarR, limits, {{}, {}, Distribution::Auto}).nonNormal->refused,
              FitRefusal::NoSpread);
}

TEST(NonNormalCapability, WeibullPValueFromTheTable)
{
    // A*² = A²(1 + 0.2/√N); with N = 25 the factor is 1.04.
    const auto p = [](double adjusted) { return weibullAndersonDarling(adjusted / 1.04, 25); };
    EXPECT_NEAR(p(0.637).p, 0.10, 1e-12);
    EXPECT_NEAR(p(0.877).p, 0.025, 1e-12);
    EXPECT_EQ(p(0.637).bound, PBound::Exact);
    EXPECT_NEAR(p((0.757 + 0.877) / 2).p, std::sqrt(0.05 * 0.025), 1e-12); // log-linear between points
    EXPECT_EQ(p(0.2).p, 0.25);
    EXPECT_EQ(p(0.2).bound, PBound::AtLeast);
    EXPECT_EQ(p(3.0).p, 0.01);
    EXPECT_EQ(p(3.0).bound, PBound::AtMost);
}
