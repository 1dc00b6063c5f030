// Publishing into either engine: revisions follow the content, never the text; nothing stored
// is changed; a resend is stored once; any text goes in and comes back exactly.
#include "StoreTestSupport.h"

#include "model/DataLine.h"

using namespace store;
using namespace store_test;

namespace {

class PublishTest : public EngineTest {};

QStringList valuesOf(const Revision& r) { return r.content.cells; }

} // namespace

TEST_P(PublishTest, RevisionsFollowTheContentAndEarlierOnesStay)
{
    const auto db = fresh.open();
    model::SheetRecord s = sheet(QStringLiteral("軸外径"), {QStringLiteral("A1,10.1,10.2,"), QStringLiteral("A2,9.9,,10.0"),
                                                            QStringLiteral("A3,10.0,10.0,10.0")});
    PublishCounts c = publish(*db, s);
    EXPECT_EQ(c.added, 3);
    const Characteristic k{s.product, s.process, s.device, s.item};

    // The same numbers written otherwise, a blank of blanks, one more blank column, and a new
    // unit: nothing new to store.
    model::SheetRecord same = sheet(s.item, {QStringLiteral("A1,10.100,1.02e1, "), QStringLiteral("A2,9.90,\"  \",10"),
                                             QStringLiteral("A3,10,10.000,10.0")}, 4);
    same.unit = QStringLiteral("μm");
    c = publish(*db, same);
    EXPECT_EQ(c.unchanged, 3);
    EXPECT_EQ(c.added + c.changed, 0);
    ASSERT_EQ(db->history(k, QStringLiteral("A1")).size(), 1u);

    // A changed lot needs a reason; without one it is left out and nothing is written.
    model::SheetRecord changed = sheet(s.item, {QStringLiteral("A1,10.1,10.2,"), QStringLiteral("A2,9.9,10.5,10.0"),
                                                QStringLiteral("A3,10.0,10.0,10.0")});
    changed.unit = QStringLiteral("μm");
    c = publish(*db, changed);
    EXPECT_EQ(c.withoutReason, 1);
    EXPECT_EQ(c.changed, 0);
    ASSERT_EQ(db->history(k, QStringLiteral("A2")).size(), 1u);

    changed.enableFlags[2] = QStringLiteral("0");
    c = publish(*db, changed, QStringLiteral("測定ミスの訂正"), QStringLiteral("B"));
    EXPECT_EQ(c.changed, 2); // A2's value, A3's enable check
    EXPECT_EQ(c.unchanged, 1);

    const std::vector<Revision> a2 = db->history(k, QStringLiteral("A2"));
    ASSERT_EQ(a2.size(), 2u);
    EXPECT_EQ(valuesOf(a2[0]), (QStringList{QStringLiteral("9.9"), QString(), QStringLiteral("10.0")}));
    EXPECT_FALSE(a2[0].reason);
    EXPECT_EQ(a2[0].header.unit, QStringLiteral("mm"));
    EXPECT_EQ(valuesOf(a2[1]), (QStringList{QStringLiteral("9.9"), QStringLiteral("10.5"), QStringLiteral("10.0")}));
    EXPECT_EQ(a2[1].reason, QStringLiteral("測定ミスの訂正"));
    EXPECT_EQ(a2[1].station, QStringLiteral("B"));
    EXPECT_EQ(a2[1].header.unit, QStringLiteral("μm"));
    EXPECT_LT(a2[0].sequence, a2[1].sequence);
    EXPECT_LE(a2[0].publishedUs, a2[1].publishedUs);
    EXPECT_FALSE(db->history(k, QStringLiteral("A3")).back().content.enabled);

    const std::vector<CharacteristicSummary> all = db->characteristics();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].lots, 3);
    EXPECT_EQ(all[0].unit, QStringLiteral("μm"));
}

TEST_P(PublishTest, AResentPublicationIsStoredOnce)
{
    const auto db = fresh.open();
    const PublicationPlan plan = planPublication(sheet(QStringLiteral("軸外径"), lots(QStringLiteral("L"), 5)), {QStringLiteral("A"), {}, {}});
    EXPECT_EQ(db->publish(plan).added, 5);
    // Meanwhile another station changes a lot: the resend still finds its own ids and adds nothing.
    model::SheetRecord other = sheet(QStringLiteral("軸外径"), lots(QStringLiteral("L"), 1, 3, 5));
    EXPECT_EQ(publish(*db, other, QStringLiteral("再測定"), QStringLiteral("B")).changed, 1);
    const PublishCounts again = db->publish(plan);
    EXPECT_EQ(again.alreadyStored, 5);
    EXPECT_EQ(again.added + again.changed + again.unchanged, 0);
    const Characteristic k = plan.characteristic;
    EXPECT_EQ(db->history(k, QStringLiteral("L-0001")).size(), 2u);
    EXPECT_EQ(db->history(k, QStringLiteral("L-0001")).back().station, QStringLiteral("B"));
    EXPECT_EQ(db->history(k, QStringLiteral("L-0002")).size(), 1u);
}

TEST_P(PublishTest, AnyTextGoesInAsItIsAndComesBackExactly)
{
    const auto db = fresh.open();
    const QStringList texts{QStringLiteral("O'Brien"), QStringLiteral("back\\slash"), QStringLiteral("'; DROP TABLE lot_revisions; --"),
                            QStringLiteral("\"quoted\" $1 %s"), QStringLiteral("ＡＢＣ１２３"), QStringLiteral("ABC123"),
                            QStringLiteral("АВС123"), // Cyrillic look-alikes
                            QStringLiteral("ABC123 "), QStringLiteral("軸外径\t改")};
    for (int i = 0; i < texts.size(); ++i) {
        model::SheetRecord s = sheet(texts[i], {model::writeDataLine(texts[i] + QStringLiteral(",1"), {QStringLiteral("10.0"), QStringLiteral("9.9")})}, 2);
        s.product = texts[(i + 1) % texts.size()];
        s.unit = texts[(i + 2) % texts.size()];
        s.specUpper = QStringLiteral("12.5");
        EXPECT_EQ(publish(*db, s).added, 1) << texts[i].toStdString();
    }
    const std::vector<CharacteristicSummary> all = db->characteristics();
    ASSERT_EQ(all.size(), size_t(texts.size())); // every look-alike is a characteristic of its own
    for (int i = 0; i < texts.size(); ++i) {
        const Characteristic k{texts[(i + 1) % texts.size()], QStringLiteral("外径研削"), QStringLiteral("G-03"), texts[i]};
        const QString lot = texts[i] + QStringLiteral(",1");
        const std::vector<Revision> h = db->history(k, lot);
        ASSERT_EQ(h.size(), 1u) << texts[i].toStdString();
        EXPECT_EQ(h[0].header.unit, texts[(i + 2) % texts.size()]);
        const LoadedSheet loaded = db->load(k, {});
        EXPECT_EQ(model::readDataLine(loaded.record.dataLines.value(0)).lotNumber, lot);
        EXPECT_EQ(loaded.record.item, texts[i]);
        EXPECT_EQ(loaded.record.specUpper, QStringLiteral("12.5"));
    }
    // The tables are all still there.
    EXPECT_EQ(db->connection().query(QStringLiteral("SELECT count(*) FROM lot_revisions")).integer(0, 0), texts.size());
}

TEST_P(PublishTest, DefaultNamesAreStoredOnlyWhenConfirmed)
{
    const auto db = fresh.open();
    const PublicationPlan plan = planPublication(sheet(QStringLiteral("Sheet1"), {QStringLiteral("K001,10.0")}), {});
    try {
        db->publish(plan);
        FAIL() << "published a sheet with default names";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.fault(), Fault::Invalid);
        EXPECT_TRUE(e.message().contains(QStringLiteral("Sheet1"))) << e.what();
    }
    EXPECT_TRUE(db->characteristics().empty());
    PublishOptions confirmed;
    confirmed.allowDefaultNames = true;
    EXPECT_EQ(db->publish(plan, confirmed).added, 1);
}

QUORVANE_BOTH_ENGINES(PublishTest);
