// The schema's version in either engine: made once, left as it is, a newer one this program
// cannot use refused with a message; and PostgreSQL's own conditions (UTF-8).
#include "StoreTestSupport.h"

using namespace store;
using namespace store_test;

namespace {

class SchemaTest : public EngineTest {};


} // namespace

TEST_P(SchemaTest, MadeOnceAndANewerOneRefusedUnlessItKeepsThisProgramWorking)
{
    FreshStore bare(GetParam(), false);
    QString message;
    EXPECT_EQ(faultOf([&] { Store::open(bare.target()); }, &message),
              GetParam() == Engine::Server ? Fault::NoSchema : Fault::Unreachable);
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(Store::init(bare.target()).outcome, InitOutcome::Created);
    EXPECT_EQ(Store::init(bare.target()).outcome, InitOutcome::Current);
    Store::open(bare.target())->connection().query(QStringLiteral("INSERT INTO schema_version (version, compatible) VALUES (2, 2)"));

    EXPECT_EQ(faultOf([&] { Store::open(bare.target()); }, &message), Fault::SchemaTooNew);
    EXPECT_TRUE(message.contains(QStringLiteral("版 2"))) << message.toStdString();
    EXPECT_EQ(faultOf([&] { Store::init(bare.target()); }), Fault::SchemaTooNew);

    // A later upgrade that keeps version 1 programs working.
    Store::connect(bare.target(), {})->query(QStringLiteral("INSERT INTO schema_version (version, compatible) VALUES (3, 1)"));
    EXPECT_NO_THROW(Store::open(bare.target())->characteristics());
    EXPECT_EQ(Store::init(bare.target()).outcome, InitOutcome::NewerCompatible);
}

QUORVANE_BOTH_ENGINES(SchemaTest);

TEST(ServerSchemaTest, ADatabaseThatIsNotUtf8IsRefused)
{
    ServerDatabase latin1(Cluster::shared(), QStringLiteral("LATIN1"));
    QString message;
    EXPECT_EQ(faultOf([&] { Store::init(parseTarget(latin1.uri())); }, &message), Fault::Encoding);
    EXPECT_TRUE(message.contains(QStringLiteral("UTF-8"))) << message.toStdString();
}
