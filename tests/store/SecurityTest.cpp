// The server's roles hold, and a password reaches neither a settings file, nor the outbox, nor
// any message.
#include "CliTestSupport.h"
#include "StoreTestSupport.h"

#include "store/Outbox.h"
#include "store/PostgresConnection.h"
#include "store/StoreSettings.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QSettings>

using namespace store;
using namespace store_test;

namespace {

const Characteristic kShaft{QStringLiteral("ギアシャフト"), QStringLiteral("外径研削"), QStringLiteral("G-03"), QStringLiteral("軸外径")};


QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ServerSecurityTest, AStationCannotChangeHistoryOrSetBaselines)
{
    FreshStore fresh(Engine::Server);
    const auto station = Store::open(parseTarget(fresh.dbAs(QStringLiteral("station_login"))));
    EXPECT_EQ(publish(*station, sheet(kShaft.item, lots(QStringLiteral("A"), 5))).added, 5);
    for (const char* sql : {"UPDATE lot_revisions SET lot = 'x'", "DELETE FROM lot_revisions", "UPDATE characteristics SET item = 'x'",
                            "DELETE FROM publications", "TRUNCATE lot_revisions", "DROP TABLE lot_revisions"})
        EXPECT_EQ(faultOf([&] { station->connection().query(QString::fromLatin1(sql)); }), Fault::Permission) << sql;

    const LoadedSheet loaded = station->load(kShaft, {});
    BaselineLimits limits;
    limits.ucl = QStringLiteral("10.1");
    limits.lcl = QStringLiteral("9.9");
    limits.dispersionUcl = QStringLiteral("0.3");
    EXPECT_EQ(faultOf([&] { station->setBaseline(loaded, limits, QStringLiteral("op"), QStringLiteral("A"), QStringLiteral("r")); }),
              Fault::Permission);

    const auto engineer = Store::open(parseTarget(fresh.dbAs(QStringLiteral("engineer_login"))));
    const qint64 id = engineer->setBaseline(loaded, limits, QStringLiteral("eng"), QStringLiteral("A"), QStringLiteral("量産開始"));
    EXPECT_EQ(faultOf([&] { engineer->connection().query(QStringLiteral("DELETE FROM baselines")); }), Fault::Permission);
    EXPECT_EQ(faultOf([&] { station->retractBaseline(id, QStringLiteral("op"), QStringLiteral("A"), QStringLiteral("r")); }), Fault::Permission);

    const auto reader = Store::open(parseTarget(fresh.dbAs(QStringLiteral("reader_login"))));
    EXPECT_EQ(reader->characteristics().size(), 1u);
    EXPECT_EQ(faultOf([&] { publish(*reader, sheet(kShaft.item, lots(QStringLiteral("B"), 1))); }), Fault::Permission);
    EXPECT_EQ(engineer->history(kShaft, QStringLiteral("A-0001")).size(), 1u);
}

TEST(ServerSecurityTest, APasswordStaysInMemory)
{
    FreshStore fresh(Engine::Server);
    const QString socket = Cluster::shared().socketFolder();
    const QString pwUri = fresh.dbAs(QStringLiteral("quorvane_pw"));

    // Never in a connection string...
    EXPECT_EQ(faultOf([&] { parseTarget(QStringLiteral("postgresql://quorvane_pw:%1@localhost/db").arg(kPassword)); }), Fault::Invalid);
    EXPECT_EQ(faultOf([&] { parseTarget(pwUri + QStringLiteral("&password=x")); }), Fault::Invalid);
    EXPECT_EQ(faultOf([&] { parseTarget(QStringLiteral("host=h password=x")); }), Fault::Invalid);

    // ...nor in the settings, either way.
    QTemporaryDir folder;
    const QString ini = folder.filePath(QStringLiteral("Quorvane.ini"));
    StoreSettings s;
    s.mode = StoreMode::Server;
    s.host = socket;
    s.port = QStringLiteral("5432");
    s.database = fresh.server()->name();
    s.user = QStringLiteral("quorvane_pw");
    {
        QSettings settings(ini, QSettings::IniFormat);
        saveStoreSettings(settings, s);
        StoreSettings withPassword = s;
        withPassword.user = QStringLiteral("quorvane_pw:") + kPassword;
        EXPECT_EQ(faultOf([&] { saveStoreSettings(settings, withPassword); }), Fault::Invalid);
        withPassword = s;
        withPassword.host = QStringLiteral("h password=") + kPassword;
        EXPECT_EQ(faultOf([&] { saveStoreSettings(settings, withPassword); }), Fault::Invalid);
    }
    {
        QSettings settings(ini, QSettings::IniFormat);
        EXPECT_EQ(loadStoreSettings(settings), s);
    }
    {
        // One written by hand is refused.
        QSettings planted(folder.filePath(QStringLiteral("planted.ini")), QSettings::IniFormat);
        saveStoreSettings(planted, s);
        planted.setValue(QStringLiteral("Database/Password"), kPassword);
        QString message;
        EXPECT_EQ(faultOf([&] { loadStoreSettings(planted); }, &message), Fault::Invalid);
        EXPECT_FALSE(message.contains(kPassword));
        // Saving the settings again (the window's settings dialog) takes the password out.
        saveStoreSettings(planted, s);
        planted.sync();
        EXPECT_EQ(loadStoreSettings(planted), s);
        EXPECT_FALSE(fileBytes(planted.fileName()).contains(kPassword.toUtf8()));
    }

    // The password the operator typed opens the store; a wrong or missing one fails without showing it.
    const Target target = targetOf(s);
    QString message;
    EXPECT_EQ(faultOf([&] { Store::open(target); }, &message), Fault::Authentication);
    const QByteArray wrong = QByteArrayLiteral("wrong-Secret-42");
    EXPECT_EQ(faultOf([&] { Store::open(target, {wrong}); }, &message), Fault::Authentication);
    EXPECT_FALSE(message.contains(QString::fromUtf8(wrong))) << message.toStdString();
    const auto db = Store::open(target, {kPassword.toUtf8()});
    EXPECT_EQ(publish(*db, sheet(kShaft.item, lots(QStringLiteral("A"), 2))).added, 2);

    // A kept publication holds the store's name, not the password.
    const QString outboxPath = folder.filePath(QStringLiteral("outbox.sqlite"));
    {
        Outbox outbox(outboxPath);
        outbox.add(target.key(), planPublication(sheet(kShaft.item, lots(QStringLiteral("B"), 2)), {}));
    }
    for (const QString& path : {ini, outboxPath, outboxPath + QStringLiteral("-wal")})
        EXPECT_FALSE(fileBytes(path).contains(kPassword.toUtf8())) << path.toStdString();

    // The command line takes it from PGPASSWORD only, and never prints it.
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), kPassword);
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(QUORVANE_CLI), {QStringLiteral("store"), QStringLiteral("list"), QStringLiteral("--db"), pwUri});
    ASSERT_TRUE(cli.waitForFinished(60000));
    const QByteArray out = cli.readAllStandardOutput() + cli.readAllStandardError();
    EXPECT_EQ(cli.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(kShaft.item.toUtf8()));
    EXPECT_FALSE(out.contains(kPassword.toUtf8()));
    const cli_test::CliResult without = cli_test::runCli({QStringLiteral("store"), QStringLiteral("list"), QStringLiteral("--db"), pwUri});
    EXPECT_EQ(without.status, 2);
    EXPECT_TRUE(QString::fromUtf8(without.err).contains(QStringLiteral("認証"))) << without.err.toStdString();
}
