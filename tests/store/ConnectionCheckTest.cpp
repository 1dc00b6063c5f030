// The settings dialog's connection test tells the operator what stands in the way, and never
// makes or changes a store while it looks.
#include "StoreTestSupport.h"

#include "store/ConnectionCheck.h"
#include "store/Messages.h"
#include "store/PublishReport.h"

#include <QFileInfo>

using namespace store;
using namespace store_test;

class ConnectionCheckTest : public EngineTest {};

TEST_P(ConnectionCheckTest, SaysWhetherTheStoreCanBeUsedAndIfNotWhy)
{
    const ConnectionCheck fine = checkConnection(fresh.target());
    EXPECT_TRUE(fine.ok) << fine.text.toStdString();
    EXPECT_TRUE(fine.text.startsWith(QStringLiteral("接続できました（データベースの版 1）。"))) << fine.text.toStdString();

    // A store made by a newer program that this one cannot use.
    fresh.open()->connection().query(QStringLiteral("INSERT INTO schema_version (version, compatible) VALUES (2, 2)"));
    const ConnectionCheck newer = checkConnection(fresh.target());
    EXPECT_FALSE(newer.ok);
    EXPECT_EQ(newer.fault, Fault::SchemaTooNew);
    EXPECT_TRUE(newer.text.startsWith(QStringLiteral("データベースはこのプログラムより新しい版で作られているため使えません。")));

    // A database without a store: told so, and left without one.
    FreshStore bare(GetParam(), false);
    if (GetParam() == Engine::Embedded) Store::connect(bare.target(), {}, Store::Open::CreateEmbedded); // an empty SQLite file
    const ConnectionCheck none = checkConnection(bare.target());
    EXPECT_EQ(none.fault, Fault::NoSchema) << none.text.toStdString();
    EXPECT_TRUE(none.text.startsWith(QStringLiteral("データベースが初期化されていません。")));
    EXPECT_EQ(faultOf([&] { checkSchema(*Store::connect(bare.target(), {})); }), Fault::NoSchema);
}
QUORVANE_BOTH_ENGINES(ConnectionCheckTest);

TEST(ConnectionCheck, AnEmbeddedFileNotMadeYetIsFineAndStaysUnmade)
{
    QTemporaryDir folder;
    Target t;
    t.path = folder.filePath(QStringLiteral("history.sqlite"));
    const ConnectionCheck check = checkConnection(t);
    EXPECT_TRUE(check.ok);
    EXPECT_TRUE(check.text.startsWith(QStringLiteral("このPCのデータベースはまだありません。")));
    EXPECT_FALSE(QFileInfo::exists(t.path));
}

TEST(ConnectionCheck, AServerOutOfReachOrRefusingTheUserIsToldApart)
{
    Cluster& cluster = Cluster::shared();
    FreshStore fresh(Engine::Server);
    const QString database = fresh.server()->name();

    QTemporaryDir nowhere;
    const ConnectionCheck unreachable = checkConnection(parseTarget(
        QStringLiteral("postgresql:///%1?host=%2&port=%3").arg(database, nowhere.path(), cluster.port())));
    EXPECT_EQ(unreachable.fault, Fault::Unreachable) << unreachable.text.toStdString();
    EXPECT_TRUE(unreachable.text.startsWith(QStringLiteral("データベースに接続できません。")));

    const Target withPassword = parseTarget(fresh.dbAs(QStringLiteral("quorvane_pw")));
    for (const std::optional<QByteArray>& password : {std::optional<QByteArray>(), std::optional<QByteArray>("wrong")}) {
        const ConnectionCheck refused = checkConnection(withPassword, {password});
        EXPECT_EQ(refused.fault, Fault::Authentication) << refused.text.toStdString();
        EXPECT_TRUE(refused.text.startsWith(QStringLiteral("認証に失敗しました。")));
        EXPECT_FALSE(refused.text.contains(kPassword));
    }
    EXPECT_TRUE(checkConnection(withPassword, {kPassword.toUtf8()}).ok);
}

TEST(PublishReport, SheetsAddUpAndEachNamesItsOwnProblems)
{
    PublishOutcome first;
    first.kind = PublishOutcome::Kind::Stored;
    first.counts.added = 3;
    first.counts.unchanged = 1;
    first.counts.alreadyStored = 1; // a resend counts as unchanged
    first.counts.skipped = {{4, QStringLiteral("K004"), QStringLiteral("測定値がありません")}};
    PublishOutcome second;
    second.kind = PublishOutcome::Kind::Stored;
    second.counts.changed = 2;
    PublishOutcome failed;
    failed.kind = PublishOutcome::Kind::Failed;
    failed.error = StoreError(Fault::Permission, QStringLiteral("データベースの権限がありません"));
    PublishOutcome kept;
    kept.kind = PublishOutcome::Kind::Kept;
    kept.keptLots = 6;

    const QString text = publishReport({{QStringLiteral("シート1（軸外径）"), first},
                                        {QStringLiteral("シート2（内径）"), second},
                                        {QStringLiteral("シート3（長さ）"), failed},
                                        {QStringLiteral("シート4（幅）"), kept}});
    EXPECT_EQ(text.split(u'\n'),
              (QStringList{QStringLiteral("7 ロットを登録しました（新規 3、変更 2、変更なし 2）"), keptMessage(6),
                           QStringLiteral("シート1（軸外径）: 登録しなかったロット 1 件: 測定値がありません (K004)"),
                           QStringLiteral("シート3（長さ）: 登録できませんでした: データベースの権限がありません")}));
    // One sheet: its own message, without a sheet name.
    EXPECT_EQ(publishReport({{QStringLiteral("シート1（軸外径）"), first}}), first.message());
}
