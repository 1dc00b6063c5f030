// The recovery journal: the workbook in an SQLite database in the user's data folder, written
// change by change, so that a crash, a killed program or a power cut loses no committed
// change. Each running copy writes a session of its own, held by a lock file while the copy
// runs; a session whose copy ended without closing it is offered for restoring at the next
// start. Not thread-safe: one thread uses a journal (JournalWriter runs it on its own).
#pragma once
#include "journal/Workbook.h"

#include <QString>
#include <memory>
#include <optional>

struct sqlite3;
class QLockFile;

namespace journal {

class Journal {
public:
    // Opens the journal file at `path` (created with owner-only access) and starts a session
    // for this copy, `program` naming it. A file that is not a sound journal is renamed aside
    // (setAsidePath) and a new one started. Throws JournalError when the journal cannot be
    // opened or written at all.
    static std::unique_ptr<Journal> open(const QString& path, const QString& program);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    qint64 session() const { return session_; }
    // Where a damaged journal found at open was moved; empty when none was.
    const QString& setAsidePath() const { return setAside_; }

    // The newest session that holds a workbook and ended without being closed, whose copy no
    // longer runs and that was not offered yet.
    std::optional<qint64> uncleanSession() const { return unclean_; }
    // Every session that ended without being closed counts as offered from now on.
    void markOffered();
    // The newest other session that holds a workbook and whose copy no longer runs.
    std::optional<qint64> previousSession() const;

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

    // The number of sessions kept besides running ones.
    static constexpr int kKeptSessions = 3;
    static constexpr int kKeptSnapshots = 3;

private:
    Journal() = default;
    void openDatabase(const QString& path, const QString& program);
    bool running(qint64 id) const;
    QString lockPath(const QString& token) const;
    void prune();

    sqlite3* db_ = nullptr;
    QString path_;
    QString setAside_;
    qint64 session_ = 0;
    std::unique_ptr<QLockFile> lock_;
    std::optional<qint64> unclean_;
    std::vector<qint64> orphans_;
    // The workbook as last committed; invalid after a failed write (the next writes all).
    Workbook last_;
    bool lastValid_ = false;
};

} // namespace journal
