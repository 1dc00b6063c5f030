// What the store's tests share: the PostgreSQL cluster of the run, a fresh store of either engine
// for each test, and the sheets they publish.
#pragma once
#include "PgCluster.h"
#include "model/SheetRecord.h"
#include "store/Store.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace store {
// Test names say which engine: "Embedded", "PostgreSQL".
inline void PrintTo(Engine e, std::ostream* os) { *os << (e == Engine::Server ? "PostgreSQL" : "Embedded"); }
} // namespace store

namespace store_test {

// An empty store of one engine for one test: an embedded file in a folder of its own, or a
// database of its own in the run's cluster; given the schema unless asked not to.
class FreshStore {
public:
    explicit FreshStore(store::Engine engine, bool initialise = true);
    store::Engine engine() const { return engine_; }
    // The --db text.
    const QString& db() const { return db_; }
    store::Target target() const { return store::parseTarget(db_); }
    std::unique_ptr<store::Store> open() const { return store::Store::open(target()); }
    // The server's store as another role would connect to it (the embedded file as it is).
    QString dbAs(const QString& user) const;
    const ServerDatabase* server() const { return server_.get(); }

private:
    store::Engine engine_;
    QTemporaryDir folder_;
    std::unique_ptr<ServerDatabase> server_;
    QString db_;
};

// Every store test runs once per engine.
class EngineTest : public ::testing::TestWithParam<store::Engine> {
protected:
    FreshStore fresh{GetParam()};
};
std::string engineName(const ::testing::TestParamInfo<store::Engine>& info);
#define QUORVANE_BOTH_ENGINES(suite)                                                                                   \
    INSTANTIATE_TEST_SUITE_P(Engines, suite, ::testing::Values(store::Engine::Embedded, store::Engine::Server),       \
                             store_test::engineName)

// A sheet as the window saves it: the four names, unit "mm", tolerance 9.5 to 10.5 with three
// decimals, `measurements` columns and the given data lines, all lots enabled.
model::SheetRecord sheet(const QString& item, const QStringList& lines, int measurements = 3);

// Lines "LOT,v,v,v" for lots PREFIX-0001 … with values around 10.
QStringList lots(const QString& prefix, int count, int measurements = 3, int seed = 0);

// The fault of the StoreError the work raises (its message into `message`); a test failure and
// Fault::Other when it raises none.
store::Fault faultOf(const std::function<void()>& work, QString* message = nullptr);

// Runs the event loop until `done` holds or `ms` pass; whether it holds.
bool waitUntil(const std::function<bool()>& done, int ms);

// A Unix socket that takes connections into its queue and never answers them: a server that hangs.
class SilentSocket {
public:
    explicit SilentSocket(const QString& path);
    ~SilentSocket();
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;
    bool ok() const { return bound_; }

private:
    int fd_ = -1;
    bool bound_ = false;
};

// Publishes a sheet (station "A", operator "op") and returns the counts.
store::PublishCounts publish(store::Store& db, const model::SheetRecord& record, const QString& reason = {},
                             const QString& station = QStringLiteral("A"));

} // namespace store_test
