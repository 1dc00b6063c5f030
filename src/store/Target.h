// Which store a front end talks to: an embedded SQLite file, or a PostgreSQL server named by
// a libpq connection string (a URI such as postgresql://user@host:5432/db?sslmode=require, or
// postgresql:///db?host=/socket/dir&port=N). A password never travels in either: libpq finds
// it in ~/.pgpass, a service file or PGPASSWORD, or the window asks and keeps the answer in
// memory; a connection string that carries one is refused.
#pragma once
#include "store/Connection.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace store {

// How long the program waits for a server. A connection that does not come up within
// `connectSeconds`, or a statement that gets no answer within `statementSeconds` (the server
// is told the same limit), fails with Fault::Timeout.
struct Timeouts {
    int connectSeconds = 10;
    int statementSeconds = 30;
    int keepaliveIdleSeconds = 30;
};

struct Target {
    Engine engine = Engine::Embedded;
    QString path;     // the embedded file
    QString conninfo; // the server's connection string, as given
    Timeouts timeouts;

    // Identifies the store (the file, or the server's host, port, database and user) so that
    // the outbox sends each publication to the store it was meant for.
    QString key() const;
    // For messages: the file, or the server's host and database; never a password.
    QString display() const;
};

// The --db argument: a libpq URI ("postgresql://" or "postgres://") or a keyword string
// holding "=" is a server, anything else the path of an embedded file. Throws StoreError
// (Fault::Invalid) for a connection string that cannot be read or that carries a password.
Target parseTarget(const QString& db);

// True when a connection string names a password.
bool carriesPassword(const QString& conninfo);

// A password the operator typed, held in memory only while the program runs. It is handed to
// libpq at connection time and never written, logged or put into a message.
struct Credentials {
    std::optional<QByteArray> password;
};

} // namespace store
