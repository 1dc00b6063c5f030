// The embedded store's driver: the sqlite3 C API on one file. Write transactions take the
// write lock at once (BEGIN IMMEDIATE) and wait for it up to the busy timeout; the file is
// written with a write-ahead log and synchronous commits, so a committed transaction survives
// a crash or a power cut.
#pragma once
#include "store/Connection.h"

#include <QHash>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

class SqliteConnection final : public Connection {
public:
    enum class Open { Existing, CreateIfMissing };
    // Throws StoreError (Fault::Unreachable) when the file cannot be opened, is a link, or is
    // not an SQLite file. A file created here is readable by its owner only.
    SqliteConnection(const QString& path, Open mode, int busyTimeoutMs = 30000);
    ~SqliteConnection() override;

    Engine engine() const override { return Engine::Embedded; }
    Rows query(const QString& sql, const Params& params = {}) override;
    void script(const QString& sql) override;
    void beginWrite() override;
    void commit() override;
    void rollback() noexcept override;
    QString describe() const override { return path_; }

private:
    sqlite3_stmt* prepared(const QString& sql);
    [[noreturn]] void fail(int rc) const;

    sqlite3* db_ = nullptr;
    QString path_;
    // Prepared statements by their text: publications and loads run the same few again and again.
    QHash<QString, sqlite3_stmt*> statements_;
};

} // namespace store
