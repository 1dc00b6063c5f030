// Baselines in either engine: the newest one not retracted is in force, and the lots after it
// are judged against its frozen limits, by the command line as the window judges them.
#include "CliTestSupport.h"
#include "StoreTestSupport.h"

#include "cli/SheetJudgement.h"
#include "judge/ControlConstants.h"
#include "sheetview/SheetEntry.h"

#include <QJsonArray>

using namespace store;
using namespace store_test;

namespace {

class BaselineTest : public EngineTest {};

const Characteristic kShaft{QStringLiteral("ギアシャフト"), QStringLiteral("外径研削"), QStringLiteral("G-03"), QStringLiteral("軸外径")};

// The sheet of a loaded range as the window shows it once entered, under a limit method.
sheetview::SheetView entered(const LoadedSheet& loaded, judge::LimitMethod method)
{
    sheetview::SheetView view = sheetview::enterSheet(loaded.record, model::AppSettings::defaults()).view;
    view.limitMethod = method;
    return view;
}

LoadRange lastLots(int n)
{
    LoadRange r;
    r.last = n;
    return r;
}

} // namespace

TEST_P(BaselineTest, TheNewestOneNotRetractedIsInForce)
{
    const auto db = fresh.open();
    publish(*db, sheet(kShaft.item, lots(QStringLiteral("A"), 20)));
    const LoadedSheet loaded = db->load(kShaft, {});
    EXPECT_FALSE(loaded.baseline);
    const BaselineLimits limits = limitsOfView(entered(loaded, judge::LimitMethod::ThreeSigma));
    EXPECT_THROW(db->setBaseline(loaded, limits, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral(" ")), StoreError);

    const qint64 first = db->setBaseline(loaded, limits, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral("量産開始"));
    BaselineLimits narrower = limits;
    narrower.ucl = QStringLiteral("10.01000");
    const qint64 second = db->setBaseline(loaded, narrower, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral("工具交換後"));
    const auto inForce = db->baselineInForce(kShaft);
    ASSERT_TRUE(inForce);
    EXPECT_EQ(inForce->id, second);
    EXPECT_EQ(inForce->limits.ucl, QStringLiteral("10.01000"));
    EXPECT_EQ(inForce->firstLot, QStringLiteral("A-0001"));
    EXPECT_EQ(inForce->lastLot, QStringLiteral("A-0020"));
    EXPECT_EQ(inForce->lotCount, 20);
    EXPECT_EQ(inForce->reason, QStringLiteral("工具交換後"));
    EXPECT_EQ(db->load(kShaft, {}).baseline->id, second);

    EXPECT_THROW(db->retractBaseline(second, QStringLiteral("eng"), QStringLiteral("A"), {}), StoreError);
    db->retractBaseline(second, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral("誤設定"));
    EXPECT_EQ(db->baselineInForce(kShaft)->id, first);
    db->retractBaseline(first, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral("廃止"));
    EXPECT_FALSE(db->baselineInForce(kShaft));
}

TEST_P(BaselineTest, LaterLotsAreJudgedAgainstTheFrozenLimits)
{
    const auto db = fresh.open();
    publish(*db, sheet(kShaft.item, lots(QStringLiteral("A"), 20, 5)));
    const LoadedSheet phase1 = db->load(kShaft, {});
    const BaselineLimits frozen = limitsOfView(entered(phase1, judge::LimitMethod::ThreeSigma));
    db->setBaseline(phase1, frozen, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral("量産開始"));

    // Five later lots, shifted up: against their own limits they look fine.
    QStringList shifted;
    for (const QString& line : lots(QStringLiteral("B"), 5, 5, 3)) {
        QStringList cells = line.split(u',');
        for (int i = 1; i < cells.size(); ++i) cells[i] = QString::number(cells[i].toDouble() + 0.3, 'f', 3);
        shifted << cells.join(u',');
    }
    publish(*db, sheet(kShaft.item, shifted, 5));

    const QStringList args{QStringLiteral("judge"), QStringLiteral("--db"), fresh.db(), QStringLiteral("--characteristic"),
                           characteristicPath(kShaft), QStringLiteral("--last"), QStringLiteral("5"), QStringLiteral("--format"),
                           QStringLiteral("json")};
    const cli_test::CliResult withBaseline = cli_test::runCli(args);
    EXPECT_EQ(withBaseline.status, 1) << withBaseline.err.toStdString();
    const QJsonObject json = withBaseline.json();
    EXPECT_TRUE(json.value(QStringLiteral("baseline")).toString().contains(QStringLiteral("A-0001～A-0020")));
    const QJsonObject sheetJson = json.value(QStringLiteral("sheets")).toArray().at(0).toObject();
    const QJsonObject limits = sheetJson.value(QStringLiteral("limits")).toObject();
    EXPECT_EQ(limits.value(QStringLiteral("ucl")).toString(), frozen.ucl);
    EXPECT_EQ(limits.value(QStringLiteral("lcl")).toString(), frozen.lcl);
    EXPECT_EQ(limits.value(QStringLiteral("dispersion_ucl")).toString(), frozen.dispersionUcl);
    EXPECT_EQ(sheetJson.value(QStringLiteral("judgements")).toObject().value(QStringLiteral("spc")).toString(), QStringLiteral("不合格"));

    db->retractBaseline(db->baselineInForce(kShaft)->id, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral("取消"));
    const QJsonObject own = cli_test::runCli(args).json();
    EXPECT_TRUE(own.value(QStringLiteral("baseline")).isNull());
    const QJsonObject ownLimits = own.value(QStringLiteral("sheets")).toArray().at(0).toObject().value(QStringLiteral("limits")).toObject();
    EXPECT_NE(ownLimits.value(QStringLiteral("ucl")).toString(), frozen.ucl);
}

TEST_P(BaselineTest, UnderTheChartConstantsEachLotGetsLimitsFromTheFrozenMeanAndSigma)
{
    const auto db = fresh.open();
    publish(*db, sheet(kShaft.item, lots(QStringLiteral("A"), 20, 5)));
    const LoadedSheet phase1 = db->load(kShaft, {});
    const BaselineLimits frozen = limitsOfView(entered(phase1, judge::LimitMethod::Standard));
    ASSERT_TRUE(frozen.basis);
    db->setBaseline(phase1, frozen, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral("量産開始"));
    // Later lots of unequal size, wider spread: their own sigma is not the frozen one.
    publish(*db, sheet(kShaft.item, {QStringLiteral("B1,10.2,9.8,10.1,,"), QStringLiteral("B2,10.3,9.7,10.0,10.1,9.9"),
                                     QStringLiteral("B3,10.25,9.75,,,")}, 5));

    const LoadedSheet phase2 = db->load(kShaft, lastLots(3));
    ASSERT_TRUE(phase2.baseline);
    cli::JudgeOptions options;
    const cli::SheetJudgement judged = cli::judgeSheet(phase2.record, 1, options, [&](sheetview::SheetView& view) {
        EXPECT_EQ(applyBaseline(view, *phase2.baseline), baselineText(*phase2.baseline));
    });
    EXPECT_EQ(judged.limitMethod, judge::LimitMethod::Standard);
    ASSERT_TRUE(judged.lotLimits);
    ASSERT_EQ(judged.lotLimits->lots.size(), 3u);
    const judge::LimitBasis& b = *frozen.basis;
    EXPECT_EQ(judged.lotLimits->centre, b.centre);
    EXPECT_EQ(judged.lotLimits->sigma, b.sigma);
    const int sizes[] = {3, 5, 2};
    for (size_t i = 0; i < 3; ++i) {
        const judge::LotLimits& l = judged.lotLimits->lots[i];
        EXPECT_EQ(l.n, sizes[i]);
        EXPECT_DOUBLE_EQ(l.ucl, b.centre + 3 * b.sigma / std::sqrt(double(sizes[i])));
        EXPECT_DOUBLE_EQ(*l.dispersionUcl, (judge::d2(sizes[i]) + 3 * judge::d3(sizes[i])) * b.sigma);
    }
    // The range's own estimate would differ.
    const auto own = sheetview::standardLimitsOf(entered(phase2, judge::LimitMethod::Standard));
    ASSERT_TRUE(own);
    EXPECT_NE(own->sigma, b.sigma);

    // A moving-range baseline does not fit a sheet of five measurements a lot.
    Baseline xrs = *phase2.baseline;
    xrs.limits.chart = judge::ChartKind::XRs;
    sheetview::SheetView view = entered(phase2, judge::LimitMethod::ThreeSigma);
    EXPECT_TRUE(applyBaseline(view, xrs).contains(QStringLiteral("使っていません")));
    EXPECT_EQ(view.limitMethod, judge::LimitMethod::ThreeSigma);
    EXPECT_FALSE(view.limitBasis);
}

QUORVANE_BOTH_ENGINES(BaselineTest);
