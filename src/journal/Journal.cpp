#include "journal/Journal.h"

#include "journal/SessionLock.h"
#include "model/FileSafety.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <sqlite3.h>

#include <algorithm>

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
  station TEXT NOT NULL DEFAULT '',
  written TEXT NOT NULL DEFAULT '', -- the last commit, UTC
  offered_to INTEGER NOT NULL DEFAULT 0, -- the session whose start offers this one
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
PRAGMA user_version = 2;
)sql";

// Version 1 knew neither stations nor commit times, and offered every unclean session at once.
const char* const kFromVersion1 = R"sql(
ALTER TABLE session ADD COLUMN station TEXT NOT NULL DEFAULT '';
ALTER TABLE session ADD COLUMN written TEXT NOT NULL DEFAULT '';
ALTER TABLE session ADD COLUMN offered_to INTEGER NOT NULL DEFAULT 0;
UPDATE session SET written = started;
PRAGMA user_version = 2;
)sql";

constexpr int kClosed = 1, kOffered = 2;

QString now() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs); }

// The columns a SessionInfo is read from, in this order.
const std::string kInfoColumns = "id, written, station, sheet_count, state";

SessionInfo sessionInfo(const Statement& row)
{
    SessionInfo s;
    s.id = row.integer(0);
    s.written = QDateTime::fromString(row.text(1), Qt::ISODateWithMs); // version 1 kept local times
    s.station = row.text(2);
    s.sheets = int(row.integer(3));
    s.closed = row.integer(4) == kClosed;
    return s;
}

void newestFirst(std::vector<SessionInfo>& sessions)
{
    std::stable_sort(sessions.begin(), sessions.end(), [](const SessionInfo& a, const SessionInfo& b) {
        return a.written != b.written ? a.written > b.written : a.id > b.id;
    });
}

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

// The shown sheet and its view bound to six parameters, starting at `first`, in the order
// readView reads them.
Statement& bindView(Statement& s, int first, const Workbook& book)
{
    return s.bind(first, book.shown)
        .bind(first + 1, book.chart)
        .bind(first + 2, book.limitMethod)
        .bind(first + 3, book.ucl)
        .bind(first + 4, book.lcl)
        .bind(first + 5, book.rsUcl);
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

QString journalFileName(const QString& hostName)
{
    QString host;
    for (const QChar c : hostName.left(64))
        host += c.isLetterOrNumber() && c.unicode() < 128 ? c : c == u'-' ? c : QChar(u'_');
    if (host.isEmpty()) host = QStringLiteral("localhost");
    return QStringLiteral("journal-%1.sqlite").arg(host);
}

Journal::Journal() = default;

std::unique_ptr<Journal> Journal::open(const QString& path, const QString& program, const QString& station)
{
    std::unique_ptr<Journal> j(new Journal);
    try {
        j->openDatabase(path, program, station);
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
    j->openDatabase(path, program, station);
    return j;
}

Journal::~Journal()
{
    if (db_) sqlite3_close(db_);
}

void Journal::openDatabase(const QString& path, const QString& program, const QString& station)
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
        } else if (v == 1) {
            exec(db_, kFromVersion1);
        } else if (v != 2) {
            throw DamagedJournal("journal: unknown version");
        }
        // The lock is held before the session can be seen: a copy starting at the same
        // moment never takes it for the session of a copy that ended.
        const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces);
        lock_ = SessionLock::hold(lockPath(token));
        if (!lock_) throw JournalError("journal: cannot lock the session");
        const QString started = now();
        Statement add(db_, "INSERT INTO session(program, started, token, station, written) VALUES(?, ?, ?, ?, ?)");
        add.bind(1, program).bind(2, started).bind(3, token).bind(4, station).bind(5, started).run();
        session_ = sqlite3_last_insert_rowid(db_);
        // In the same transaction: two copies starting together never offer the same session.
        claimCrashedSessions();
        t.commit();
    }
    prune();
}

void Journal::claimCrashedSessions()
{
    Statement ended(db_, ("SELECT " + kInfoColumns +
                          ", offered_to FROM session WHERE state = 0 AND id <> ? AND sheet_count > 0 ORDER BY id DESC")
                             .c_str());
    ended.bind(1, session_);
    std::vector<SessionInfo> claimed;
    while (ended.step()) {
        const qint64 id = ended.integer(0);
        const qint64 offeredTo = ended.integer(5);
        if (running(id)) continue;
        // Another start is offering it now; one that ended before its operator answered
        // leaves it to the next start.
        if (offeredTo != 0 && running(offeredTo)) continue;
        claimed.push_back(sessionInfo(ended));
    }
    Statement claim(db_, "UPDATE session SET offered_to = ? WHERE id = ?");
    for (const SessionInfo& s : claimed) claim.bind(1, session_).bind(2, s.id).run();
    newestFirst(claimed);
    crashed_ = std::move(claimed);
}

QString Journal::lockPath(const QString& token) const { return path_ + QStringLiteral(".") + token + QStringLiteral(".lock"); }

bool Journal::running(qint64 id) const
{
    if (id == session_) return true;
    Statement s(db_, "SELECT token FROM session WHERE id = ?");
    s.bind(1, id);
    return s.step() && SessionLock::held(lockPath(s.text(0)));
}

void Journal::prune()
{
    std::vector<std::pair<qint64, QString>> dropped; // sessions and their tokens
    {
        // Sessions that hold no workbook go; of those closed the newest are kept, of those
        // ended uncleanly every one until it was offered and enough sessions started after
        // the one that offered it.
        Statement all(db_, "SELECT id, sheet_count, state, token, offered_to FROM session WHERE id <> ? ORDER BY id DESC");
        all.bind(1, session_);
        int closedKept = 0;
        while (all.step()) {
            const qint64 id = all.integer(0);
            const qint64 state = all.integer(2);
            const QString token = all.text(3);
            if (SessionLock::held(lockPath(token))) continue;
            bool keep = false;
            if (all.integer(1) > 0) {
                if (state == kClosed) keep = closedKept++ < kKeptSessions;
                else if (state == kOffered) keep = session_ - all.integer(4) <= kKeptSessions;
                else keep = true;
            }
            if (!keep) dropped.emplace_back(id, token);
        }
    }
    if (dropped.empty()) return;
    Transaction t(db_);
    for (const auto& [id, token] : dropped) {
        Statement(db_, "DELETE FROM snapshot_sheet WHERE snapshot IN (SELECT id FROM snapshot WHERE session = ?)")
            .bind(1, id)
            .run();
        Statement(db_, "DELETE FROM snapshot WHERE session = ?").bind(1, id).run();
        Statement(db_, "DELETE FROM sheet WHERE session = ?").bind(1, id).run();
        Statement(db_, "DELETE FROM session WHERE id = ?").bind(1, id).run();
    }
    t.commit();
    // The lock files that ended copies left behind.
    for (const auto& [id, token] : dropped) QFile::remove(lockPath(token));
}

void Journal::markOffered()
{
    if (crashed_.empty()) return;
    Statement(db_, "UPDATE session SET state = ? WHERE offered_to = ? AND state = 0").bind(1, kOffered).bind(2, session_).run();
    crashed_.clear();
}

std::vector<SessionInfo> Journal::endedSessions() const
{
    Statement s(db_, ("SELECT " + kInfoColumns + " FROM session WHERE id <> ? AND sheet_count > 0").c_str());
    s.bind(1, session_);
    std::vector<SessionInfo> out;
    while (s.step())
        if (!running(s.integer(0))) out.push_back(sessionInfo(s));
    newestFirst(out);
    return out;
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
    Statement head(db_, "UPDATE session SET sheet_count = ?, shown = ?, chart = ?, limit_method = ?, ucl = ?, lcl = ?, "
                        "rs_ucl = ?, written = ? WHERE id = ?");
    bindView(head.bind(1, book.count()), 2, book).bind(8, now()).bind(9, session_).run();
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
    Statement head(db_, "INSERT INTO snapshot(session, whole, sheet_count, shown, chart, limit_method, ucl, lcl, rs_ucl) "
                        "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
    bindView(head.bind(1, session_).bind(2, s.whole ? 1 : 0).bind(3, b.count()), 4, b).run();
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
