// What a publication sends, decided without a store: which lots go, which are left out and why,
// when two contents are the same lot, and the texts of the command line.
#include "StoreTestSupport.h"

#include "cli/CommandLine.h"
#include "cli/StoreArguments.h"
#include "store/Characteristic.h"
#include "store/Publication.h"

#include <QDateTime>

using namespace store;
using store_test::sheet;

namespace {

QStringList rows(const PublicationPlan& plan)
{
    QStringList out;
    for (const PlannedLot& l : plan.lots) out << QStringLiteral("%1:%2").arg(l.row).arg(l.lot);
    return out;
}

} // namespace

TEST(PlanTest, SendsLotsWithNumberAndValuesAndSaysWhyOthersStay)
{
    model::SheetRecord r = sheet(QStringLiteral("軸外径"),
                                 {QStringLiteral("A1,10.0,,10.2"), QStringLiteral(",10.1"), QStringLiteral("A3,,,"),
                                  QStringLiteral("A1,9.9"), QStringLiteral("A5,abc"), QStringLiteral("K006,"),
                                  QStringLiteral("\"A,7\",10"), QStringLiteral("A8, ,10.3")});
    r.enableFlags[7] = QStringLiteral("0");
    r.lotCount = 8;
    const PublicationPlan plan = planPublication(r, {QStringLiteral("st"), QStringLiteral("op"), {}});

    EXPECT_EQ(rows(plan), (QStringList{QStringLiteral("1:A1"), QStringLiteral("7:A,7"), QStringLiteral("8:A8")}));
    EXPECT_EQ(plan.lots[0].content.cells, (QStringList{QStringLiteral("10.0"), QString(), QStringLiteral("10.2")}));
    EXPECT_FALSE(plan.lots[2].content.enabled);
    EXPECT_NE(plan.lots[0].publicationId, plan.lots[1].publicationId);
    QStringList why;
    for (const SkippedLot& s : plan.skipped) why << QStringLiteral("%1:%2").arg(s.row).arg(s.reason);
    // Row 6 is an untouched default row: not worth a line.
    EXPECT_EQ(why, (QStringList{QStringLiteral("2:ロット番号がありません"), QStringLiteral("3:測定値がありません"),
                                QStringLiteral("4:同じロット番号が 1 行目にあります"), QStringLiteral("5:数値でない測定値があります: abc")}));
    EXPECT_FALSE(plan.defaultNames);

    // What the outbox keeps comes back whole.
    const auto back = PublicationPlan::fromJson(plan.toJson());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->characteristic, plan.characteristic);
    EXPECT_EQ(rows(*back), rows(plan));
    EXPECT_EQ(back->lots[2].content, plan.lots[2].content);
    EXPECT_EQ(back->lots[1].publicationId, plan.lots[1].publicationId);
    EXPECT_FALSE(PublicationPlan::fromJson("{\"lots\": 3}"));
}

TEST(PlanTest, DefaultItemOrLotNumbersAreFlagged)
{
    EXPECT_TRUE(planPublication(sheet(QStringLiteral("Sheet2"), {QStringLiteral("A1,1")}), {}).defaultNames);
    EXPECT_TRUE(planPublication(sheet(QStringLiteral("軸外径"), {QStringLiteral("A1,1"), QStringLiteral("K002,1")}), {}).defaultNames);
    // K002 on row 1 is a name the operator gave.
    EXPECT_FALSE(planPublication(sheet(QStringLiteral("軸外径"), {QStringLiteral("K002,1")}), {}).defaultNames);
    EXPECT_FALSE(planPublication(sheet(QStringLiteral("Sheet2 B"), {QStringLiteral("A1,1")}), {}).defaultNames);
}

TEST(PlanTest, ContentComparesEnableStateAndNumbers)
{
    auto content = [](bool enabled, QStringList cells) { return LotContent{enabled, std::move(cells)}; };
    const LotContent a = content(true, {QStringLiteral("1.5"), QString(), QStringLiteral("2")});
    EXPECT_TRUE(sameContent(a, content(true, {QStringLiteral("1.500"), QStringLiteral(" "), QStringLiteral("2.0"), QString()})));
    EXPECT_TRUE(sameContent(a, content(true, {QStringLiteral("+1.5e0"), QStringLiteral("\t"), QStringLiteral("2")})));
    EXPECT_FALSE(sameContent(a, content(false, a.cells)));
    EXPECT_FALSE(sameContent(a, content(true, {QStringLiteral("1.5"), QStringLiteral("2")}))); // a blank moved
    EXPECT_FALSE(sameContent(a, content(true, {QStringLiteral("1.5"), QString(), QStringLiteral("2"), QStringLiteral("0")})));
    EXPECT_FALSE(sameContent(a, content(true, {QStringLiteral("1.5000001"), QString(), QStringLiteral("2")})));
}

TEST(PlanTest, CharacteristicPathEscapes)
{
    const Characteristic c{QStringLiteral("a/b"), QStringLiteral("c\\d"), QStringLiteral(""), QStringLiteral("軸/外径\\")};
    EXPECT_EQ(characteristicPath(c), QStringLiteral("a\\/b/c\\\\d//軸\\/外径\\\\"));
    EXPECT_EQ(parseCharacteristicPath(characteristicPath(c)), c);
    for (const char* bad : {"a/b/c", "a/b/c/d/e", "a/b/c/d\\", "a/b/c/d\\x"})
        EXPECT_THROW(parseCharacteristicPath(QString::fromUtf8(bad)), StoreError) << bad;
}

TEST(PlanTest, CommandLineStoreOptions)
{
    using namespace cli;
    const auto judge = std::get<JudgeCommand>(parseCommandLine({QStringLiteral("judge"), QStringLiteral("--db"), QStringLiteral("x.sqlite"),
                                                                QStringLiteral("--characteristic=a/b/c/d"), QStringLiteral("--from"),
                                                                QStringLiteral("2026-12-07"), QStringLiteral("--to"), QStringLiteral("2026-12-07T14:30")}));
    ASSERT_TRUE(judge.store);
    EXPECT_EQ(*judge.store->fromUs, QDateTime(QDate(2026, 12, 7), QTime(0, 0)).toMSecsSinceEpoch() * 1000);
    // --to includes the whole minute it names, and a date its whole day.
    EXPECT_EQ(*judge.store->toUs, QDateTime(QDate(2026, 12, 7), QTime(14, 31)).toMSecsSinceEpoch() * 1000 - 1);
    EXPECT_EQ(*localTimeUs(QStringLiteral("2026-12-07"), true), QDateTime(QDate(2026, 12, 8), QTime(0, 0)).toMSecsSinceEpoch() * 1000 - 1);
    EXPECT_EQ(periodSeconds(QStringLiteral("7d")), 7 * 86400);

    const auto batch = std::get<ReportCommand>(parseCommandLine({QStringLiteral("report"), QStringLiteral("--db"), QStringLiteral("x"),
                                                                 QStringLiteral("--all"), QStringLiteral("--since"), QStringLiteral("24h"),
                                                                 QStringLiteral("--kind"), QStringLiteral("control")}));
    EXPECT_TRUE(batch.store->all);
    EXPECT_EQ(batch.store->sinceSeconds, 86400);

    const QStringList refused[] = {
        {QStringLiteral("judge"), QStringLiteral("f.csv"), QStringLiteral("--db"), QStringLiteral("x"), QStringLiteral("--characteristic"), QStringLiteral("a/b/c/d")},
        {QStringLiteral("judge"), QStringLiteral("--db"), QStringLiteral("x")},
        {QStringLiteral("judge"), QStringLiteral("f.csv"), QStringLiteral("--last"), QStringLiteral("5")},
        {QStringLiteral("judge"), QStringLiteral("--db"), QStringLiteral("x"), QStringLiteral("--characteristic"), QStringLiteral("a/b/c/d"),
         QStringLiteral("--last"), QStringLiteral("5"), QStringLiteral("--from"), QStringLiteral("2026-12-07")},
        {QStringLiteral("judge"), QStringLiteral("--db"), QStringLiteral("x"), QStringLiteral("--characteristic"), QStringLiteral("a/b/c/d"),
         QStringLiteral("--last"), QStringLiteral("101")},
        {QStringLiteral("judge"), QStringLiteral("--db"), QStringLiteral("x"), QStringLiteral("--characteristic"), QStringLiteral("a/b/c/d"),
         QStringLiteral("--from"), QStringLiteral("2026-02-30")},
        {QStringLiteral("report"), QStringLiteral("--db"), QStringLiteral("x"), QStringLiteral("--all"), QStringLiteral("--kind"), QStringLiteral("control")},
        {QStringLiteral("report"), QStringLiteral("--db"), QStringLiteral("x"), QStringLiteral("--all"), QStringLiteral("--since"), QStringLiteral("0h"),
         QStringLiteral("--kind"), QStringLiteral("control")},
        {QStringLiteral("store"), QStringLiteral("list")},
        {QStringLiteral("store"), QStringLiteral("history"), QStringLiteral("--db"), QStringLiteral("x"), QStringLiteral("--lot"), QStringLiteral("A")},
        {QStringLiteral("store"), QStringLiteral("publish"), QStringLiteral("--db"), QStringLiteral("x")},
        {QStringLiteral("store"), QStringLiteral("list"), QStringLiteral("--db"), QStringLiteral("x"), QStringLiteral("--reason"), QStringLiteral("r")},
    };
    for (const QStringList& args : refused) EXPECT_THROW(parseCommandLine(args), UsageError) << args.join(u' ').toStdString();
}
