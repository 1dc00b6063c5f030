#include "store/SqliteConnection.h"

#include "model/FileSafety.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdlib>

namespace store {

namespace {

Fault faultOf(int rc, const QString& message)
{
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return Fault::Busy;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB: return Fault::Unreachable;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return Fault::Permission;
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG: return Fault::Refused;
    default: break;
    }
    if (message.startsWith(QStringLiteral("no such table"))) return Fault::NoSchema;
    return Fault::Other;
}

// The file is made here, for its owner alone, and never through a link: SQLite would follow one.
void createFile(const QString& path)
{
    if (model::isLink(path))
        throw StoreError(Fault::Unreachable, QStringLiteral("データベースファイルがシンボリックリンクです: %1").arg(path));
    if (model::entryExists(path)) return;
    const QFileInfo info(path);
    if (!info.absoluteDir().exists() && !model::makePrivateFolder(info.absolutePath()))
        throw StoreError(Fault::Unreachable, QStringLiteral("データベースのフォルダを作れません: %1").arg(info.absolutePath()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw StoreError(Fault::Unreachable, QStringLiteral("データベースファイルを作れません: %1 (%2)").arg(path, file.errorString()));
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

SqliteConnection::SqliteConnection(const QString& path, Open mode, int busyTimeoutMs) : path_(path)
{
    if (mode == Open::CreateIfMissing) createFile(path);
    else if (!model::entryExists(path))
        throw StoreError(Fault::Unreachable, QStringLiteral("データベースファイルがありません: %1").arg(path));
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        sqlite3_close(db_);
        db_ = nullptr;
        throw StoreError(Fault::Unreachable, QStringLiteral("データベースファイルを開けません: %1 (%2)").arg(path, why));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    try {
        // Readers never wait for a writer; each commit is on the disk before it returns.
        const Rows wal = query(QStringLiteral("PRAGMA journal_mode=WAL"));
        if (wal.empty() || wal.text(0, 0) != QLatin1String("wal"))
            throw StoreError(Fault::Unreachable, QStringLiteral("データベースファイルを WAL で開けません: %1").arg(path));
        script(QStringLiteral("PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;"));
    } catch (...) {
        for (sqlite3_stmt* s : std::as_const(statements_)) sqlite3_finalize(s);
        sqlite3_close(db_);
        throw;
    }
}

SqliteConnection::~SqliteConnection()
{
    for (sqlite3_stmt* s : std::as_const(statements_)) sqlite3_finalize(s);
    sqlite3_close(db_);
}

void SqliteConnection::fail(int rc) const
{
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db_));
    const Fault fault = faultOf(rc, detail);
    QString text;
    switch (fault) {
    case Fault::Busy: text = QStringLiteral("データベースファイルがほかの処理に使われています"); break;
    case Fault::Permission: text = QStringLiteral("データベースファイルに書き込めません"); break;
    case Fault::NoSchema: text = QStringLiteral("データベースファイルが初期化されていません"); break;
    default: text = QStringLiteral("データベースファイルの処理に失敗しました"); break;
    }
    throw StoreError(fault, QStringLiteral("%1: %2 (%3)").arg(text, path_, detail));
}

sqlite3_stmt* SqliteConnection::prepared(const QString& sql)
{
    if (sqlite3_stmt* s = statements_.value(sql)) {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        return s;
    }
    sqlite3_stmt* s = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db_, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK) fail(rc);
    // Statements made for one call (lists of lots of a given length) are not kept for ever.
    if (statements_.size() > 64) {
        for (sqlite3_stmt* old : std::as_const(statements_)) sqlite3_finalize(old);
        statements_.clear();
    }
    statements_.insert(sql, s);
    return s;
}

Rows SqliteConnection::query(const QString& sql, const Params& params)
{
    sqlite3_stmt* s = prepared(sql);
    // "$N" is a named parameter to SQLite: bind each by its number.
    const int count = sqlite3_bind_parameter_count(s);
    for (int i = 1; i <= count; ++i) {
        const char* name = sqlite3_bind_parameter_name(s, i);
        const int n = name && name[0] == '$' ? std::atoi(name + 1) : 0;
        if (n < 1 || size_t(n) > params.size())
            throw StoreError(Fault::Other, QStringLiteral("SQL のパラメーター %1 がありません").arg(QString::fromUtf8(name ? name : "?")));
        const Value& v = params[size_t(n - 1)];
        const QByteArray bytes = v ? v->toUtf8() : QByteArray();
        const int rc = v ? sqlite3_bind_text(s, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT) : sqlite3_bind_null(s, i);
        if (rc != SQLITE_OK) fail(rc);
    }
    Rows out;
    const int columns = sqlite3_column_count(s);
    for (;;) {
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            sqlite3_reset(s);
            fail(rc);
        }
        std::vector<Value> row;
        row.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(s, c) == SQLITE_NULL) {
                row.emplace_back();
                continue;
            }
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            row.emplace_back(QString::fromUtf8(text, sqlite3_column_bytes(s, c)));
        }
        out.rows.push_back(std::move(row));
    }
    sqlite3_reset(s);
    return out;
}

void SqliteConnection::script(const QString& sql)
{
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
}

void SqliteConnection::beginWrite() { script(QStringLiteral("BEGIN IMMEDIATE")); }

void SqliteConnection::commit() { script(QStringLiteral("COMMIT")); }

void SqliteConnection::rollback() noexcept
{
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace store
