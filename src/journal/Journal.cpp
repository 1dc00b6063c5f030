#include "journal/Journal.h"

#include "model/FileSafety.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QUuid>

#include <sqlite3.h>

namespace journal {

namespace {

// An SQLite failure; damaged files are told apart from files that cannot be written.
class SqliteError : public JournalError {
public:
    SqliteError(sqlite3* db, int code)
        : JournalError(std::string("journal: ") + (db ? sqlite3_errmsg(db) : sqlite3_errstr(code))), code_(code)
    {
    }
    bool damaged() const { return (code_ & 0xff) == SQLITE_CORRUPT || (code_ & 0xff) == SQLITE_NOTADB; }

private:
    int code_;
};

class DamagedJournal : public JournalError {
public:
    using JournalError::JournalError;
};

void check(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) throw SqliteError(db, rc);
}

void exec(sqlite3* db, const char* sql) { check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr)); }

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) { check(db, sqlite3_prepare_v2(db, sql, -1, &s_, nullptr)); }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, qint64 v)
    {
        check(db_, sqlite3_bind_int64(s_, i, v));
        return *this;
    }
    Statement& bind(int i, const QString& v)
    {
        const QByteArray u = v.toUtf8();
        check(db_, sqlite3_bind_text(s_, i, u.constData(), int(u.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bindBlob(int i, const QByteArray& v)
    {
        check(db_, sqlite3_bind_blob(s_, i, v.constData(), int(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // True while there is a row.
    bool step()
    {
        const int rc = sqlite3_step(s_);
        check(db_, rc);
        return rc == SQLITE_ROW;
    }
    void run()
    {
        step();
        sqlite3_reset(s_);
    }
    qint64 integer(int i) const { return sqlite3_column_int64(s_, i); }
    QString text(int i) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s_, i)), sqlite3_column_bytes(s_, i));
    }
    QByteArray blob(int i) const
    {
        const void* p = sqlite3_column_blob(s_, i);
        return QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(s_, i));
    }

private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

// One write transaction, rolled back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : db_(db) { exec(db, "BEGIN IMMEDIATE"); }
    ~Transaction()
    {
        if (!done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit()
    {
        exec(db_, "COMMIT");
        done_ = true;
    }

private:
    sqlite3* db_;
    bool done_ = false;
};

const char* const kSchema = R"sql(
CREATE TABLE session(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  program TEXT NOT NULL,
  started TEXT NOT NULL,
  token TEXT NOT NULL, -- names the lock file held while the copy runs
  state INTEGER NOT NULL DEFAULT 0, -- 0 running or ended uncleanly, 1 closed, 2 unclean and offered
  sheet_count INTEGER NOT NULL DEFAULT 0,
  shown INTEGER NOT NULL DEFAULT 0,
  chart INTEGER NOT NULL DEFAULT 0,
  limit_method INTEGER NOT NULL DEFAULT 0,
  ucl TEXT NOT NULL DEFAULT '',
  lcl TEXT NOT NULL DEFAULT '',
  rs_ucl TEXT NOT NULL DEFAULT '');
CREATE TABLE sheet(
  session INTEGER NOT NULL,
  idx INTEGER NOT NULL,
  caption TEXT NOT NULL,
  record BLOB NOT NULL,
  PRIMARY KEY(session, idx)) WITHOUT ROWID;
CREATE TABLE snapshot(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  session INTEGER NOT NULL,
  whole INTEGER NOT NULL,
  sheet_count INTEGER NOT NULL,
  shown INTEGER NOT NULL,
  chart INTEGER NOT NULL,
  limit_method INTEGER NOT NULL,
  ucl TEXT NOT NULL,
  lcl TEXT NOT NULL,
  rs_ucl TEXT NOT NULL);
CREATE TABLE snapshot_sheet(
  snapshot INTEGER NOT NULL,
  idx INTEGER NOT NULL,
  caption TEXT NOT NULL,
  record BLOB NOT NULL,
  PRIMARY KEY(snapshot, idx)) WITHOUT ROWID;
PRAGMA user_version = 1;
)sql";

// The journal's folder is the user's own and closed to everyone else, so no one can plant a
// name in it (the WAL, the locks); the file exists with owner-only access, never through a
// link, before SQLite opens it, and SQLite gives its WAL and shared-memory files the same access.
void prepareFile(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!model::makeOwnPrivateFolder(folder)) throw JournalError("journal: not a private folder of the user's " + folder.toStdString());
    if (!model::makeOwnPrivateFile(path)) throw JournalError("journal: not a file of the user's own " + path.toStdString());
}

// The shown sheet and its view (shown, chart, limit method, UCL, LCL, Rs-UCL) from six columns
// of a row, starting at `first`.
void readView(const Statement& row, int first, Workbook& book)
{
    book.shown = int(row.integer(first));
    book.chart = int(row.integer(first + 1));
    book.limitMethod = int(row.integer(first + 2));
    book.ucl = row.text(first + 3);
    book.lcl = row.text(first + 4);
    book.rsUcl = row.text(first + 5);
}

// Reads a workbook's sheets: rows 0..count-1, each exactly once.
void readSheets(Statement& rows, int count, Workbook& book)
{
    while (rows.step()) {
        const qint64 idx = rows.integer(0);
        if (idx != book.count()) throw DamagedJournal("journal: a sheet is missing");
        book.captions.append(rows.text(1));
        book.sheets.push_back(decodeRecord(rows.blob(2)));
    }
    if (book.count() != count) throw DamagedJournal("journal: a sheet is missing");
}

} // namespace

std::unique_ptr<Journal> Journal::open(const QString& path, const QString& program)
{
    std::unique_ptr<Journal> j(new Journal);
    try {
        j->openDatabase(path, program);
        return j;
    } catch (const SqliteError& e) {
        if (!e.damaged()) throw;
    } catch (const DamagedJournal&) {
    }
    // Set the damaged file aside (with its WAL) and start a new one.
    j.reset(new Journal);
    const QString aside = path + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    if (!QFile::rename(path, aside)) throw JournalError("journal: cannot set aside " + path.toStdString());
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString side = path + QLatin1String(suffix);
        if (QFile::exists(side) && !QFile::rename(side, aside + QLatin1String(suffix))) QFile::remove(side);
    }
    j->setAside_ = aside;
    j->openDatabase(path, program);
    return j;
}

Journal::~Journal()
{
    if (db_) sqlite3_close(db_);
}

void Journal::openDatabase(const QString& path, const QString& program)
{
    path_ = path;
    prepareFile(path);
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) throw SqliteError(db_, rc);
    sqlite3_busy_timeout(db_, 5000);
    {
        Statement mode(db_, "PRAGMA journal_mode=WAL");
        if (!mode.step() || mode.text(0) != QLatin1String("wal")) throw JournalError("journal: WAL mode unavailable");
    }
    // Every commit reaches the disk before it returns: a power cut loses nothing committed.
    exec(db_, "PRAGMA synchronous=FULL");
    {
        Statement quick(db_, "PRAGMA quick_check");
        if (!quick.step() || quick.text(0) != QLatin1String("ok")) throw DamagedJournal("journal: damaged");
    }
    {
        Transaction t(db_);
        Statement version(db_, "PRAGMA user_version");
        version.step();
        const qint64 v = version.integer(0);
        if (v == 0) {
            Statement tables(db_, "SELECT count(*) FROM sqlite_master");
            tables.step();
            if (tables.integer(0) != 0) throw DamagedJournal("journal: not a journal");
            exec(db_, kSchema);
        } else if (v != 1) {
            throw DamagedJournal("journal: unknown version");
        }
        // The lock is held before the session can be seen: a copy starting at the same
        // moment never takes it for the session of a copy that ended.
        const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces);
        lock_ = std::make_unique<QLockFile>(lockPath(token));
        lock_->setStaleLockTime(0);
        if (!lock_->tryLock(0)) throw JournalError("journal: cannot lock the session");
        Statement add(db_, "INSERT INTO session(program, started, token) VALUES(?, ?, ?)");
        add.bind(1, program).bind(2, QDateTime::currentDateTime().toString(Qt::ISODateWithMs)).bind(3, token).run();
        session_ = sqlite3_last_insert_rowid(db_);
        t.commit();
    }

    Statement ended(db_, "SELECT id, sheet_count FROM session WHERE state = 0 AND id <> ? ORDER BY id DESC");
    ended.bind(1, session_);
    while (ended.step()) {
        const qint64 id = ended.integer(0);
        if (running(id)) continue;
        orphans_.push_back(id);
        if (!unclean_ && ended.integer(1) > 0) unclean_ = id;
    }
    prune();
}

QString Journal::lockPath(const QString& token) const { return path_ + QStringLiteral(".") + token + QStringLiteral(".lock"); }

bool Journal::running(qint64 id) const
{
    if (id == session_) return true;
    Statement s(db_, "SELECT token FROM session WHERE id = ?");
    s.bind(1, id);
    if (!s.step()) return false;
    QLockFile probe(lockPath(s.text(0)));
    probe.setStaleLockTime(0); // a lock whose process is gone is taken over at once
    if (!probe.tryLock(0)) return true;
    probe.unlock();
    return false;
}

void Journal::prune()
{
    std::vector<qint64> dropped;
    {
        // Sessions that hold no workbook go; of the others the newest are kept.
        Statement all(db_, "SELECT id, sheet_count FROM session WHERE id <> ? ORDER BY id DESC");
        all.bind(1, session_);
        int kept = 0;
        while (all.step()) {
            const qint64 id = all.integer(0);
            if (running(id)) continue;
            if (all.integer(1) > 0 && kept < kKeptSessions) ++kept;
            else dropped.push_back(id);
        }
    }
    if (dropped.empty()) return;
    Transaction t(db_);
    for (qint64 id : dropped) {
        Statement(db_, "DELETE FROM snapshot_sheet WHERE snapshot IN (SELECT id FROM snapshot WHERE session = ?)")
            .bind(1, id)
            .run();
        Statement(db_, "DELETE FROM snapshot WHERE session = ?").bind(1, id).run();
        Statement(db_, "DELETE FROM sheet WHERE session = ?").bind(1, id).run();
        Statement(db_, "DELETE FROM session WHERE id = ?").bind(1, id).run();
    }
    t.commit();
}

void Journal::markOffered()
{
    if (orphans_.empty()) return;
    Transaction t(db_);
    for (qint64 id : orphans_) Statement(db_, "UPDATE session SET state = 2 WHERE id = ? AND state = 0").bind(1, id).run();
    t.commit();
    orphans_.clear();
    unclean_.reset();
}

std::optional<qint64> Journal::previousSession() const
{
    Statement s(db_, "SELECT id FROM session WHERE id <> ? AND sheet_count > 0 ORDER BY id DESC");
    s.bind(1, session_);
    while (s.step())
        if (!running(s.integer(0))) return s.integer(0);
    return std::nullopt;
}

std::optional<Workbook> Journal::readSession(qint64 id) const
{
    // One read transaction: the header and the sheets of one commit.
    exec(db_, "BEGIN");
    struct End {
        sqlite3* db;
        ~End() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } end{db_};
    Statement head(db_, "SELECT sheet_count, shown, chart, limit_method, ucl, lcl, rs_ucl FROM session WHERE id = ?");
    head.bind(1, id);
    if (!head.step() || head.integer(0) <= 0) return std::nullopt;
    Workbook book;
    const int count = int(head.integer(0));
    readView(head, 1, book);
    Statement rows(db_, "SELECT idx, caption, record FROM sheet WHERE session = ? ORDER BY idx");
    rows.bind(1, id);
    readSheets(rows, count, book);
    if (book.shown < 0 || book.shown >= count) throw DamagedJournal("journal: shown sheet out of range");
    return book;
}

void Journal::write(const Workbook& book)
{
    const bool full = !lastValid_;
    lastValid_ = false; // until this write has committed
    Transaction t(db_);
    if (full || book.count() != last_.count() || book.shown != last_.shown || book.chart != last_.chart ||
        book.limitMethod != last_.limitMethod || book.ucl != last_.ucl || book.lcl != last_.lcl ||
        book.rsUcl != last_.rsUcl) {
        Statement(db_, "UPDATE session SET sheet_count = ?, shown = ?, chart = ?, limit_method = ?, ucl = ?, "
                       "lcl = ?, rs_ucl = ? WHERE id = ?")
            .bind(1, book.count())
            .bind(2, book.shown)
            .bind(3, book.chart)
            .bind(4, book.limitMethod)
            .bind(5, book.ucl)
            .bind(6, book.lcl)
            .bind(7, book.rsUcl)
            .bind(8, session_)
            .run();
    }
    Statement put(db_, "INSERT OR REPLACE INTO sheet(session, idx, caption, record) VALUES(?, ?, ?, ?)");
    for (int i = 0; i < book.count(); ++i) {
        if (!full && i < last_.count() && last_.captions.value(i) == book.captions.value(i) &&
            sameRecord(last_.sheets[size_t(i)], book.sheets[size_t(i)]))
            continue;
        put.bind(1, session_).bind(2, i).bind(3, book.captions.value(i)).bindBlob(4, encodeRecord(book.sheets[size_t(i)]));
        put.run();
    }
    if (full || book.count() < last_.count())
        Statement(db_, "DELETE FROM sheet WHERE session = ? AND idx >= ?").bind(1, session_).bind(2, book.count()).run();
    t.commit();
    last_ = book;
    lastValid_ = true;
}

void Journal::addSnapshot(const Snapshot& s)
{
    Transaction t(db_);
    const Workbook& b = s.book;
    Statement(db_, "INSERT INTO snapshot(session, whole, sheet_count, shown, chart, limit_method, ucl, lcl, rs_ucl) "
                   "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bind(1, session_)
        .bind(2, s.whole ? 1 : 0)
        .bind(3, b.count())
        .bind(4, b.shown)
        .bind(5, b.chart)
        .bind(6, b.limitMethod)
        .bind(7, b.ucl)
        .bind(8, b.lcl)
        .bind(9, b.rsUcl)
        .run();
    const qint64 id = sqlite3_last_insert_rowid(db_);
    Statement put(db_, "INSERT INTO snapshot_sheet(snapshot, idx, caption, record) VALUES(?, ?, ?, ?)");
    for (int i = 0; i < b.count(); ++i)
        put.bind(1, id).bind(2, i).bind(3, b.captions.value(i)).bindBlob(4, encodeRecord(b.sheets[size_t(i)])).run();
    // Older snapshots of the session beyond the kept number go.
    const char* const older = "SELECT id FROM snapshot WHERE session = ?1 ORDER BY id DESC LIMIT -1 OFFSET ?2";
    Statement(db_, (std::string("DELETE FROM snapshot_sheet WHERE snapshot IN (") + older + ")").c_str())
        .bind(1, session_)
        .bind(2, kKeptSnapshots)
        .run();
    Statement(db_, (std::string("DELETE FROM snapshot WHERE id IN (") + older + ")").c_str())
        .bind(1, session_)
        .bind(2, kKeptSnapshots)
        .run();
    t.commit();
}

std::optional<Snapshot> Journal::lastSnapshot() const
{
    exec(db_, "BEGIN");
    struct End {
        sqlite3* db;
        ~End() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } end{db_};
    Statement head(db_, "SELECT id, whole, sheet_count, shown, chart, limit_method, ucl, lcl, rs_ucl FROM snapshot "
                        "WHERE session = ? ORDER BY id DESC LIMIT 1");
    head.bind(1, session_);
    if (!head.step()) return std::nullopt;
    Snapshot s;
    s.whole = head.integer(1) != 0;
    Workbook& b = s.book;
    readView(head, 3, b);
    Statement rows(db_, "SELECT idx, caption, record FROM snapshot_sheet WHERE snapshot = ? ORDER BY idx");
    rows.bind(1, head.integer(0));
    readSheets(rows, int(head.integer(2)), b);
    return s;
}

void Journal::closeSession()
{
    Statement(db_, "UPDATE session SET state = 1 WHERE id = ?").bind(1, session_).run();
}

} // namespace journal
