#include "PgCluster.h"

#include "store/PostgresConnection.h"

#include <QFile>
#include <QProcess>
#include <QUuid>

#include <map>
#include <stdexcept>

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

} // namespace store_test
