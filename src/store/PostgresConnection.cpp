#include "store/PostgresConnection.h"

#include "store/SocketWait.h"

#include <QDeadlineTimer>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>

namespace store {

namespace {

// How long past the server's own statement limit the program waits for its answer.
constexpr int kAnswerMarginMs = 5000;

QString text(const char* s) { return QString::fromUtf8(s ? s : "").trimmed(); }

Fault faultOfState(const QString& state)
{
    if (state.startsWith(QStringLiteral("08")) || state == u"57P01" || state == u"57P02" || state == u"57P03")
        return Fault::ConnectionLost;
    if (state == u"57014") return Fault::Timeout;
    if (state == u"40001" || state == u"40P01" || state == u"55P03" || state.startsWith(QStringLiteral("53"))) return Fault::Busy;
    if (state == u"42501") return Fault::Permission;
    if (state == u"42P01" || state == u"3F000") return Fault::NoSchema;
    if (state.startsWith(QStringLiteral("28"))) return Fault::Authentication;
    if (state.startsWith(QStringLiteral("22")) || state.startsWith(QStringLiteral("23"))) return Fault::Refused;
    return Fault::Other;
}

QString faultText(Fault fault)
{
    switch (fault) {
    case Fault::ConnectionLost: return QStringLiteral("データベースサーバーとの接続が切れました");
    case Fault::Timeout: return QStringLiteral("データベースサーバーが時間内に応答しませんでした");
    case Fault::Busy: return QStringLiteral("データベースサーバーが混み合っています");
    case Fault::Permission: return QStringLiteral("データベースの権限がありません");
    case Fault::NoSchema: return QStringLiteral("データベースが初期化されていません (quorvane-cli store init で作成してください)");
    case Fault::Authentication: return QStringLiteral("データベースの認証に失敗しました");
    case Fault::Refused: return QStringLiteral("データベースサーバーがデータを受け付けませんでした");
    default: return QStringLiteral("データベースの処理に失敗しました");
    }
}

// A failed connection attempt told apart by what libpq says; the server's own messages may be
// in another language, so the checks fall back to "unreachable".
StoreError connectError(PGconn* conn, const QString& display)
{
    const QString why = text(PQerrorMessage(conn));
    const QString lower = why.toLower();
    if (PQconnectionNeedsPassword(conn))
        return StoreError(Fault::Authentication,
                          QStringLiteral("データベースの認証に失敗しました: パスワードが必要です (%1)").arg(display));
    if (lower.contains(QStringLiteral("authentication")) || lower.contains(QStringLiteral("password")) || lower.contains(QStringLiteral("role \"")))
        return StoreError(Fault::Authentication, QStringLiteral("データベースの認証に失敗しました (%1): %2").arg(display, why));
    if (lower.contains(QStringLiteral("database \"")) && lower.contains(QStringLiteral("does not exist")))
        return StoreError(Fault::NoSchema, QStringLiteral("データベースがありません (%1): %2").arg(display, why));
    return StoreError(Fault::Unreachable, QStringLiteral("データベースサーバーに接続できません (%1): %2").arg(display, why));
}

// Waits for the connection's socket with what is left of the deadline; false when it ran out.
bool waitFor(PGconn* conn, SocketEvent event, const QDeadlineTimer& deadline)
{
    const qint64 left = deadline.remainingTime();
    if (left == 0) return false;
    return waitForSocket(PQsocket(conn), event, int(std::min<qint64>(left, 1 << 30)));
}

} // namespace

PostgresConnection::PostgresConnection(const Target& target, const Credentials& credentials)
    : display_(target.display()), answerMs_(target.timeouts.statementSeconds * 1000 + kAnswerMarginMs)
{
    const Timeouts& t = target.timeouts;
    const QByteArray connect = QByteArray::number(t.connectSeconds);
    const QByteArray idle = QByteArray::number(t.keepaliveIdleSeconds);
    const QByteArray userTimeout = QByteArray::number(qint64(t.statementSeconds) * 1000);
    // The server ends a statement that runs too long and a session left inside a transaction.
    const QByteArray options = QByteArrayLiteral("-c statement_timeout=") + QByteArray::number(qint64(t.statementSeconds) * 1000)
                               + QByteArrayLiteral(" -c idle_in_transaction_session_timeout=")
                               + QByteArray::number(qint64(t.statementSeconds) * 2000);
    const QByteArray conninfo = target.conninfo.toUtf8();
    std::vector<const char*> keys{"connect_timeout", "keepalives", "keepalives_idle", "keepalives_interval",
                                  "keepalives_count", "tcp_user_timeout", "application_name", "options",
                                  "dbname"};
    std::vector<const char*> values{connect.constData(), "1", idle.constData(), "10", "3", userTimeout.constData(),
                                    "quorvane", options.constData(), conninfo.constData()};
    // The connection string comes after the defaults, so what it names wins; the encoding is ours.
    keys.push_back("client_encoding");
    values.push_back("UTF8");
    if (credentials.password) {
        keys.push_back("password");
        values.push_back(credentials.password->constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);

    conn_ = PQconnectStartParams(keys.data(), values.data(), 1);
    if (!conn_) throw StoreError(Fault::Other, QStringLiteral("データベースへの接続を始められません (メモリ不足)"));
    if (PQstatus(conn_) == CONNECTION_BAD) {
        const StoreError e = connectError(conn_, display_);
        PQfinish(conn_);
        throw e;
    }
    // The connection string may name a time limit of its own.
    int connectSeconds = t.connectSeconds;
    if (PQconninfoOption* used = PQconninfo(conn_)) {
        for (const PQconninfoOption* o = used; o->keyword; ++o)
            if (QByteArrayView(o->keyword) == "connect_timeout" && o->val && std::atoi(o->val) > 0) connectSeconds = std::atoi(o->val);
        PQconninfoFree(used);
    }
    const QDeadlineTimer deadline(qint64(std::max(connectSeconds, 1)) * 1000);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (state == PGRES_POLLING_FAILED) {
            const StoreError e = connectError(conn_, display_);
            PQfinish(conn_);
            throw e;
        }
        if (!waitFor(conn_, state == PGRES_POLLING_READING ? SocketEvent::Readable : SocketEvent::Writable, deadline)) {
            PQfinish(conn_);
            throw StoreError(Fault::Timeout, QStringLiteral("データベースサーバーが %1 秒以内に応答しませんでした (%2)")
                                                 .arg(connectSeconds)
                                                 .arg(display_));
        }
        state = PQconnectPoll(conn_);
    }
    const QString encoding = text(PQparameterStatus(conn_, "server_encoding"));
    if (encoding != u"UTF8") {
        PQfinish(conn_);
        throw StoreError(Fault::Encoding,
                         QStringLiteral("データベースの文字コードが UTF-8 ではありません (%1: %2)").arg(display_, encoding));
    }
    PQsetnonblocking(conn_, 1);
    // The server's notices and warnings are not the operator's business; failures come as errors.
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
}

PostgresConnection::~PostgresConnection()
{
    if (conn_) PQfinish(conn_);
}

void PostgresConnection::lost(const QString& why)
{
    if (conn_) PQfinish(conn_);
    conn_ = nullptr;
    throw StoreError(why.isEmpty() ? Fault::ConnectionLost : Fault::Timeout,
                     why.isEmpty() ? QStringLiteral("データベースサーバーとの接続が切れました (%1)").arg(display_) : why);
}

Rows PostgresConnection::run(const QString& sql, const Params* params)
{
    if (!conn_) throw StoreError(Fault::ConnectionLost, QStringLiteral("データベースサーバーとの接続が切れました (%1)").arg(display_));
    const QByteArray statement = sql.toUtf8();
    std::vector<QByteArray> bytes;
    std::vector<const char*> values;
    int sent = 0;
    if (params) {
        bytes.reserve(params->size());
        for (const Value& v : *params) {
            bytes.push_back(v ? v->toUtf8() : QByteArray());
            values.push_back(v ? bytes.back().constData() : nullptr);
        }
        sent = PQsendQueryParams(conn_, statement.constData(), int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    } else {
        sent = PQsendQuery(conn_, statement.constData());
    }
    if (!sent) {
        if (PQstatus(conn_) == CONNECTION_BAD) lost({});
        throw StoreError(Fault::Other, QStringLiteral("データベースの処理に失敗しました (%1): %2").arg(display_, text(PQerrorMessage(conn_))));
    }
    const QDeadlineTimer deadline(answerMs_);
    const QString silent = QStringLiteral("データベースサーバーが %1 秒以内に応答しませんでした (%2)").arg(answerMs_ / 1000).arg(display_);
    for (;;) {
        const int f = PQflush(conn_);
        if (f == 0) break;
        if (f < 0 || !waitFor(conn_, SocketEvent::Writable, deadline)) lost(f < 0 ? QString() : silent);
    }
    Rows out;
    std::optional<StoreError> failure;
    for (;;) {
        while (PQisBusy(conn_)) {
            if (!waitFor(conn_, SocketEvent::Readable, deadline)) lost(silent);
            if (!PQconsumeInput(conn_)) lost({});
        }
        PGresult* r = PQgetResult(conn_);
        if (!r) break;
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_TUPLES_OK) {
            out.rows.clear();
            const int n = PQntuples(r), columns = PQnfields(r);
            out.rows.reserve(size_t(n));
            for (int i = 0; i < n; ++i) {
                std::vector<Value> row;
                row.reserve(size_t(columns));
                for (int c = 0; c < columns; ++c)
                    row.push_back(PQgetisnull(r, i, c) ? Value() : Value(QString::fromUtf8(PQgetvalue(r, i, c), PQgetlength(r, i, c))));
                out.rows.push_back(std::move(row));
            }
        } else if (status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY && !failure) {
            const QString state = text(PQresultErrorField(r, PG_DIAG_SQLSTATE));
            const Fault fault = state.isEmpty() && PQstatus(conn_) == CONNECTION_BAD ? Fault::ConnectionLost : faultOfState(state);
            failure.emplace(fault, QStringLiteral("%1 (%2): %3").arg(faultText(fault), display_, text(PQresultErrorMessage(r))), state);
        }
        PQclear(r);
    }
    if (PQstatus(conn_) == CONNECTION_BAD) {
        PQfinish(conn_);
        conn_ = nullptr;
        if (!failure) failure.emplace(Fault::ConnectionLost, QStringLiteral("データベースサーバーとの接続が切れました (%1)").arg(display_));
    }
    if (failure) throw *failure;
    return out;
}

Rows PostgresConnection::query(const QString& sql, const Params& params) { return run(sql, &params); }

void PostgresConnection::script(const QString& sql) { run(sql, nullptr); }

void PostgresConnection::beginWrite() { script(QStringLiteral("BEGIN")); }

void PostgresConnection::commit() { script(QStringLiteral("COMMIT")); }

void PostgresConnection::rollback() noexcept
{
    if (!conn_ || PQtransactionStatus(conn_) == PQTRANS_IDLE) return;
    try {
        script(QStringLiteral("ROLLBACK"));
    } catch (const StoreError&) {
        // A broken connection rolls back on the server by itself.
    }
}

void PostgresConnection::listen(const QString& channel)
{
    if (!conn_) throw StoreError(Fault::ConnectionLost, QStringLiteral("データベースサーバーとの接続が切れました (%1)").arg(display_));
    const QByteArray name = channel.toUtf8();
    char* quoted = PQescapeIdentifier(conn_, name.constData(), size_t(name.size()));
    if (!quoted) throw StoreError(Fault::Other, text(PQerrorMessage(conn_)));
    const QString sql = QStringLiteral("LISTEN ") + QString::fromUtf8(quoted);
    PQfreemem(quoted);
    script(sql);
}

std::vector<PostgresConnection::Notification> PostgresConnection::takeNotifications()
{
    std::vector<Notification> out;
    while (PGnotify* n = PQnotifies(conn_)) {
        out.push_back({QString::fromUtf8(n->relname), QString::fromUtf8(n->extra)});
        PQfreemem(n);
    }
    return out;
}

std::vector<PostgresConnection::Notification> PostgresConnection::waitForNotifications(int timeoutMs)
{
    if (!conn_) throw StoreError(Fault::ConnectionLost, QStringLiteral("データベースサーバーとの接続が切れました (%1)").arg(display_));
    if (!PQconsumeInput(conn_)) lost({});
    std::vector<Notification> out = takeNotifications();
    if (!out.empty()) return out;
    if (waitForSocket(PQsocket(conn_), SocketEvent::Readable, timeoutMs)) {
        if (!PQconsumeInput(conn_) || PQstatus(conn_) == CONNECTION_BAD) lost({});
        out = takeNotifications();
    }
    return out;
}

int PostgresConnection::backendPid() const { return conn_ ? PQbackendPID(conn_) : 0; }

} // namespace store
