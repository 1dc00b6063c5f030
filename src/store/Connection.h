// The thin driver interface under the history store: one connection to the embedded SQLite
// file or to a PostgreSQL server, SQL texts with bound parameters written "$1", "$2", … (both
// engines accept them), every value passed and returned as text. Not thread-safe: one thread
// uses a connection.
#pragma once
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

namespace store {

enum class Engine { Embedded, Server };

// What went wrong, as far as the operator and the outbox need to tell failures apart.
enum class Fault {
    Unreachable,    // no server at the address, or the file cannot be opened
    Authentication, // the server refused the user or the password
    Timeout,        // no answer within the time allowed
    ConnectionLost, // the connection broke during the work
    Busy,           // another writer held the store for too long, or the server was too busy
    Permission,     // the role may not do this
    NoSchema,       // the database holds no store
    SchemaTooNew,   // the store was made by a newer program that this one cannot use
    SchemaTooOld,   // the store must be upgraded with "store init"
    Encoding,       // the database is not UTF-8
    Refused,        // the server refused the data (a constraint, a value out of range)
    NotFound,       // the characteristic or lot asked for is not stored
    Invalid,        // the request itself cannot be carried out (bad settings, a password in them)
    Other,
};

// Failures worth trying again later: the data were not refused, the way to them was broken.
bool isTransient(Fault fault);

class StoreError : public std::runtime_error {
public:
    StoreError(Fault fault, const QString& message, const QString& sqlState = {});
    Fault fault() const { return fault_; }
    QString message() const { return QString::fromUtf8(what()); }
    const QString& sqlState() const { return sqlState_; }

private:
    Fault fault_;
    QString sqlState_;
};

// A bound value: text, or SQL NULL.
using Value = std::optional<QString>;
using Params = std::vector<Value>;

struct Rows {
    std::vector<std::vector<Value>> rows;
    bool empty() const { return rows.empty(); }
    size_t size() const { return rows.size(); }
    // The text of a cell; empty for NULL.
    QString text(size_t row, size_t column) const { return rows.at(row).at(column).value_or(QString()); }
    qint64 integer(size_t row, size_t column) const { return text(row, column).toLongLong(); }
    bool isNull(size_t row, size_t column) const { return !rows.at(row).at(column).has_value(); }
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual Engine engine() const = 0;

    // One statement; its rows (none for a statement that returns none). Throws StoreError.
    virtual Rows query(const QString& sql, const Params& params = {}) = 0;
    // Several statements without parameters (the schema).
    virtual void script(const QString& sql) = 0;

    // A write transaction: SQLite takes the write lock at once and waits for it up to the busy
    // timeout, so concurrent writers queue instead of failing.
    virtual void beginWrite() = 0;
    virtual void commit() = 0;
    // Never throws: used on the way out of a failure.
    virtual void rollback() noexcept = 0;

    // The server's or the file's name for messages.
    virtual QString describe() const = 0;
};

// Rolls back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(Connection& c) : c_(c) { c_.beginWrite(); }
    ~WriteTransaction()
    {
        if (!done_) c_.rollback();
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit()
    {
        c_.commit();
        done_ = true;
    }

private:
    Connection& c_;
    bool done_ = false;
};

} // namespace store
