// The plant store's driver: libpq on one server connection. Every wait has a limit of its own
// (the connection's and the statement's, see Timeouts), so an unreachable host, a server that
// stopped answering or a socket that accepts and never answers ends in an error within the
// limit instead of a hang; keepalives find a dead peer on an idle connection. The server must
// store its text as UTF-8.
#pragma once
#include "store/Connection.h"
#include "store/Target.h"

#include <vector>

struct pg_conn;

namespace store {

class PostgresConnection final : public Connection {
public:
    // Throws StoreError: Unreachable, Authentication, Timeout, NoSchema (no such database) or
    // Encoding.
    PostgresConnection(const Target& target, const Credentials& credentials);
    ~PostgresConnection() override;

    Engine engine() const override { return Engine::Server; }
    Rows query(const QString& sql, const Params& params = {}) override;
    void script(const QString& sql) override;
    void beginWrite() override;
    void commit() override;
    void rollback() noexcept override;
    QString describe() const override { return display_; }

    // Notifications for a channel from now on (LISTEN needs a session of its own: not through a pooler).
    void listen(const QString& channel);
    struct Notification {
        QString channel;
        QString payload;
    };
    // The notifications that arrive within `timeoutMs` (those already received at once).
    // Throws StoreError (ConnectionLost) when the connection broke.
    std::vector<Notification> waitForNotifications(int timeoutMs);

    // The server process serving this connection.
    int backendPid() const;

private:
    Rows run(const QString& sql, const Params* params);
    std::vector<Notification> takeNotifications();
    [[noreturn]] void lost(const QString& why);

    pg_conn* conn_ = nullptr;
    QString display_;
    int answerMs_ = 0; // how long a statement may go unanswered before the connection is given up
};

} // namespace store
