// The recovery journal: the workbook in an SQLite database in the user's data folder, written
// change by change, so that a crash, a killed program or a power cut loses no committed
// change. Each running copy writes a session of its own, held by a session lock while the copy
// runs; a session whose copy ended without closing it is offered for restoring at the first
// start after it. One file per host: SQLite's write-ahead log must never be shared between
// machines (a home on a network share). Not thread-safe: one thread uses a journal
// (JournalWriter runs it on its own).
#pragma once
#include "journal/Workbook.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace journal {

class SessionLock;

// The journal's file name for a host: the host's name kept to letters, digits, '-' and '_'.
QString journalFileName(const QString& hostName);

// A session as the operator chooses among them.
struct SessionInfo {
    qint64 id = 0;
    QDateTime written; // the last commit
    QString station;   // where the copy ran: host and display
    int sheets = 0;
    bool closed = false; // ended normally
    friend bool operator==(const SessionInfo&, const SessionInfo&) = default;
};

class Journal {
public:
    // Opens the journal file at `path` (created with owner-only access) and starts a session
    // for this copy, `program` naming it and `station` telling where it runs. A file that is
    // not a sound journal is renamed aside (setAsidePath) and a new one started. Throws
    // JournalError when the journal cannot be opened or written at all.
    static std::unique_ptr<Journal> open(const QString& path, const QString& program, const QString& station = {});
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    qint64 session() const { return session_; }
    // Where a damaged journal found at open was moved; empty when none was.
    const QString& setAsidePath() const { return setAside_; }

    // The sessions this start offers, newest first: they hold a workbook and ended without
    // being closed, no copy of theirs runs, and no other start has offered them or is
    // offering them now. Taken for this start when it opened, so two starts never offer
    // the same session.
    const std::vector<SessionInfo>& crashedSessions() const { return crashed_; }
    // The sessions this start offers count as offered from now on; no other is touched.
    void markOffered();
    // Every other session kept that holds a workbook and whose copy no longer runs, the
    // latest written first.
    std::vector<SessionInfo> endedSessions() const;

    // A session's workbook; none when the session holds none.
    std::optional<Workbook> readSession(qint64 id) const;

    // Commits the workbook as this session's: only sheets that differ from the last write
    // are written, in one durable transaction.
    void write(const Workbook& book);
    // Keeps what an operation is about to replace; the last three of a session are kept.
    void addSnapshot(const Snapshot& snapshot);
    std::optional<Snapshot> lastSnapshot() const;
    // The copy ends normally.
    void closeSession();

    // Sessions that ended normally: the newest this many are kept. A session that ended
    // without closing is kept until it was offered and this many sessions started after it.
    static constexpr int kKeptSessions = 3;
    static constexpr int kKeptSnapshots = 3;

private:
    Journal();
    void openDatabase(const QString& path, const QString& program, const QString& station);
    void claimCrashedSessions();
    bool running(qint64 id) const;
    QString lockPath(const QString& token) const;
    void prune();

    sqlite3* db_ = nullptr;
    QString path_;
    QString setAside_;
    qint64 session_ = 0;
    std::unique_ptr<SessionLock> lock_;
    std::vector<SessionInfo> crashed_;
    // The workbook as last committed; invalid after a failed write (the next writes all).
    Workbook last_;
    bool lastValid_ = false;
};

} // namespace journal
