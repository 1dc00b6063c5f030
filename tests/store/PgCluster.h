// A PostgreSQL cluster made by pg-cluster.sh for the store's tests and benchmarks, and a
// database of its own in it.
#pragma once
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace store_test {

// The password of the cluster's "quorvane_pw" role (pg-cluster.sh).
inline const QString kPassword = QStringLiteral("pw-Quorvane-テスト");

// A cluster made by pg-cluster.sh: the run's (the CTest fixture's, or one this process starts
// when run on its own), or a private one for a test that stops and starts its server.
class Cluster {
public:
    static Cluster& shared();
    static std::unique_ptr<Cluster> startPrivate();
    ~Cluster();

    // "postgresql:///DB?host=…&port=…&user=USER" and anything more after "&".
    QString uri(const QString& database, const QString& user = QStringLiteral("postgres"), const QString& more = {}) const;
    QString socketFolder() const { return socket_; }
    QString port() const { return port_; }
    void createDatabase(const QString& name, const QString& encoding = QStringLiteral("UTF8"));
    void dropDatabase(const QString& name);
    // Stops the server at once (as a crash would), keeping its data; starts it again.
    void halt();
    void resume();

private:
    Cluster(QString state, bool owned);
    void script(const QStringList& arguments);
    void superuser(const QString& sql);

    QString state_;
    bool owned_;
    QString socket_;
    QString port_;
    std::unique_ptr<QTemporaryDir> folder_; // the state file of an owned cluster
};

// A database of its own in a cluster, dropped at the end.
class ServerDatabase {
public:
    explicit ServerDatabase(Cluster& cluster, const QString& encoding = QStringLiteral("UTF8"));
    ~ServerDatabase();
    QString uri(const QString& user = QStringLiteral("postgres"), const QString& more = {}) const { return cluster_.uri(name_, user, more); }
    const QString& name() const { return name_; }
    Cluster& cluster() const { return cluster_; }

private:
    Cluster& cluster_;
    QString name_;
};

} // namespace store_test
