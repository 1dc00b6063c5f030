#include "StoreTestSupport.h"

#include "ImportedSheet.h"
#include "store/PostgresConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <QProcess>
#include <QUuid>

#include <atomic>

namespace store_test {

namespace {

std::map<QString, QString> readState(const QString& path)
{
    std::map<QString, QString> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) out[QString::fromUtf8(line.left(eq))] = QString::fromUtf8(line.mid(eq + 1));
    }
    return out;
}

} // namespace

Cluster::Cluster(QString state, bool owned) : state_(std::move(state)), owned_(owned)
{
    const auto values = readState(state_);
    socket_ = values.count(QStringLiteral("socket")) ? values.at(QStringLiteral("socket")) : QString();
    port_ = values.count(QStringLiteral("port")) ? values.at(QStringLiteral("port")) : QString();
    if (socket_.isEmpty()) throw std::runtime_error("no PostgreSQL cluster: " + state_.toStdString());
}

void Cluster::script(const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral(QUORVANE_PG_CLUSTER), arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error("pg-cluster.sh " + arguments.join(u' ').toStdString() + " failed");
}

Cluster& Cluster::shared()
{
    // Under CTest the fixture started it; run alone, the test program starts one for itself.
    static std::unique_ptr<Cluster> cluster = [] {
        if (QFile::exists(QStringLiteral(QUORVANE_PG_STATE))) return std::unique_ptr<Cluster>(new Cluster(QStringLiteral(QUORVANE_PG_STATE), false));
        return startPrivate();
    }();
    return *cluster;
}

std::unique_ptr<Cluster> Cluster::startPrivate()
{
    auto folder = std::make_unique<QTemporaryDir>();
    const QString state = folder->filePath(QStringLiteral("pg-cluster.state"));
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral(QUORVANE_PG_CLUSTER), {QStringLiteral("start"), state, QStringLiteral(QUORVANE_CLI)});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) throw std::runtime_error("cannot start a PostgreSQL cluster");
    std::unique_ptr<Cluster> c(new Cluster(state, true));
    c->folder_ = std::move(folder);
    return c;
}

Cluster::~Cluster()
{
    if (!owned_) return;
    try {
        script({QStringLiteral("stop"), state_});
    } catch (const std::exception&) {
    }
}

QString Cluster::uri(const QString& database, const QString& user, const QString& more) const
{
    QString u = QStringLiteral("postgresql:///%1?host=%2&port=%3&user=%4").arg(database, socket_, port_, user);
    if (!more.isEmpty()) u += u'&' + more;
    return u;
}

void Cluster::superuser(const QString& sql)
{
    store::PostgresConnection c(store::parseTarget(uri(QStringLiteral("postgres"))), {});
    c.script(sql);
}

void Cluster::createDatabase(const QString& name, const QString& encoding)
{
    superuser(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING '%2'").arg(name, encoding));
}

void Cluster::dropDatabase(const QString& name) { superuser(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name)); }

void Cluster::halt() { script({QStringLiteral("halt"), state_}); }
void Cluster::resume() { script({QStringLiteral("resume"), state_}); }

ServerDatabase::ServerDatabase(Cluster& cluster, const QString& encoding) : cluster_(cluster)
{
    name_ = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).left(20);
    cluster_.createDatabase(name_, encoding);
}

ServerDatabase::~ServerDatabase()
{
    try {
        cluster_.dropDatabase(name_);
    } catch (const std::exception&) {
        // A halted private cluster goes with its folder.
    }
}

FreshStore::FreshStore(store::Engine engine, bool initialise) : engine_(engine)
{
    if (engine == store::Engine::Server) {
        server_ = std::make_unique<ServerDatabase>(Cluster::shared());
        db_ = server_->uri();
    } else {
        db_ = folder_.filePath(QStringLiteral("history.sqlite"));
    }
    if (initialise) store::Store::init(target());
}

QString FreshStore::dbAs(const QString& user) const { return server_ ? server_->uri(user) : db_; }

std::string engineName(const ::testing::TestParamInfo<store::Engine>& info)
{
    return info.param == store::Engine::Server ? "PostgreSQL" : "Embedded";
}

model::SheetRecord sheet(const QString& item, const QStringList& lines, int measurements)
{
    model::SheetRecord r = test_support::importedSheet(item, {}, std::max(10, int(lines.size())), measurements);
    r.product = QStringLiteral("ギアシャフト");
    r.process = QStringLiteral("外径研削");
    r.device = QStringLiteral("G-03");
    r.dataLines = lines;
    r.enableFlags = QStringList(lines.size(), QStringLiteral("1"));
    return r;
}

QStringList lots(const QString& prefix, int count, int measurements, int seed)
{
    QStringList out;
    for (int i = 1; i <= count; ++i) {
        QString line = QStringLiteral("%1-%2").arg(prefix).arg(i, 4, 10, QChar(u'0'));
        for (int m = 0; m < measurements; ++m) line += QStringLiteral(",%1").arg(10.0 + ((i * 7 + m * 13 + seed) % 21 - 10) / 100.0, 0, 'f', 3);
        out << line;
    }
    return out;
}

bool waitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

store::PublishCounts publish(store::Store& db, const model::SheetRecord& record, const QString& reason, const QString& station)
{
    return db.publish(store::planPublication(record, {station, QStringLiteral("op"), reason}));
}

} // namespace store_test
