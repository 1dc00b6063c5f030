// Loading a range of lots into a sheet from either engine: publication order, the sheet's shape
// and header, dates and stations, and a range longer than a sheet.
#include "StoreTestSupport.h"

#include "model/DataLine.h"

#include <QThread>

using namespace store;
using namespace store_test;

namespace {

class LoadTest : public EngineTest {};

QStringList lotNumbers(const model::SheetRecord& r)
{
    QStringList out;
    for (const QString& line : r.dataLines) out << model::readDataLine(line).lotNumber;
    return out;
}

const Characteristic kShaft{QStringLiteral("ギアシャフト"), QStringLiteral("外径研削"), QStringLiteral("G-03"), QStringLiteral("軸外径")};

} // namespace

TEST_P(LoadTest, LotsComeInPublicationOrderShapedByTheNewest)
{
    const auto db = fresh.open();
    publish(*db, sheet(kShaft.item, lots(QStringLiteral("A"), 5)));
    model::SheetRecord later = sheet(kShaft.item, lots(QStringLiteral("B"), 3, 5), 5);
    later.unit = QStringLiteral("μm");
    later.digits = QStringLiteral("2");
    later.specUpper = QStringLiteral("10.6");
    publish(*db, later, {}, QStringLiteral("B"));
    // A changed lot keeps its place: the order is that of first publication.
    model::SheetRecord fix = sheet(kShaft.item, {QStringLiteral("A-0002,9.5,9.6,9.7")});
    fix.unit = QStringLiteral("mm");
    publish(*db, fix, QStringLiteral("訂正"));

    const LoadedSheet all = db->load(kShaft, {});
    const model::SheetRecord& r = all.record;
    EXPECT_EQ(lotNumbers(r), (QStringList{QStringLiteral("A-0001"), QStringLiteral("A-0002"), QStringLiteral("A-0003"),
                                          QStringLiteral("A-0004"), QStringLiteral("A-0005"), QStringLiteral("B-0001"),
                                          QStringLiteral("B-0002"), QStringLiteral("B-0003")}));
    EXPECT_EQ(model::readDataLine(r.dataLines[1]).cells, (QStringList{QStringLiteral("9.5"), QStringLiteral("9.6"), QStringLiteral("9.7")}));
    EXPECT_EQ(r.lotCount, 10);
    EXPECT_EQ(r.measurementCount, 5);
    // The header is the newest revision's: A-0002's correction, published last.
    EXPECT_EQ(r.unit, QStringLiteral("mm"));
    EXPECT_EQ(r.digits, QStringLiteral("3"));
    EXPECT_EQ(r.item, kShaft.item);
    EXPECT_EQ(all.lots.size(), 8u);
    EXPECT_FALSE(all.note);
    EXPECT_GT(all.origin.newestSequence, 0);

    LoadRange last3;
    last3.last = 3;
    const LoadedSheet tail = db->load(kShaft, last3);
    EXPECT_EQ(lotNumbers(tail.record), (QStringList{QStringLiteral("B-0001"), QStringLiteral("B-0002"), QStringLiteral("B-0003")}));
    EXPECT_EQ(tail.record.unit, QStringLiteral("μm"));
    EXPECT_EQ(tail.record.digits, QStringLiteral("2"));
    EXPECT_EQ(tail.record.specUpper, QStringLiteral("10.6"));

    LoadRange stationB;
    stationB.station = QStringLiteral("B");
    EXPECT_EQ(lotNumbers(db->load(kShaft, stationB).record).size(), 3);
}

TEST_P(LoadTest, DatesIncludeBothEndsAndALongRangeKeepsTheNewestHundred)
{
    const auto db = fresh.open();
    publish(*db, sheet(kShaft.item, lots(QStringLiteral("A"), 100)));
    const qint64 firstTime = db->history(kShaft, QStringLiteral("A-0001")).front().publishedUs;
    QThread::msleep(20);
    publish(*db, sheet(kShaft.item, lots(QStringLiteral("B"), 30)));
    const qint64 secondTime = db->history(kShaft, QStringLiteral("B-0001")).front().publishedUs;
    ASSERT_LT(firstTime, secondTime);

    LoadRange first;
    first.fromUs = firstTime;
    first.toUs = firstTime;
    const LoadedSheet a = db->load(kShaft, first);
    EXPECT_EQ(a.lots.size(), 100u);
    EXPECT_EQ(a.lots.front().lot, QStringLiteral("A-0001"));
    EXPECT_FALSE(a.note);

    LoadRange everything;
    everything.fromUs = firstTime;
    const LoadedSheet b = db->load(kShaft, everything);
    EXPECT_EQ(b.lotsInRange, 130);
    ASSERT_EQ(b.lots.size(), 100u);
    EXPECT_EQ(b.lots.front().lot, QStringLiteral("A-0031"));
    EXPECT_EQ(b.lots.back().lot, QStringLiteral("B-0030"));
    EXPECT_EQ(b.record.lotCount, 100);
    ASSERT_TRUE(b.note);
    EXPECT_TRUE(b.note->contains(QStringLiteral("130"))) << b.note->toStdString();

    LoadRange none;
    none.toUs = firstTime - 1;
    EXPECT_THROW(db->load(kShaft, none), StoreError);
    LoadRange tooMany;
    tooMany.last = 101;
    EXPECT_THROW(db->load(kShaft, tooMany), StoreError);
    try {
        db->load({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("w")}, {});
        FAIL() << "loaded an unknown characteristic";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.fault(), Fault::NotFound);
    }
}

QUORVANE_BOTH_ENGINES(LoadTest);
