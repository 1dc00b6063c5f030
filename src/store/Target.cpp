#include "store/Target.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <libpq-fe.h>

#include <map>
#include <memory>

namespace store {

namespace {

bool isUri(const QString& db)
{
    return db.startsWith(QStringLiteral("postgresql://")) || db.startsWith(QStringLiteral("postgres://"));
}

bool isKeywordString(const QString& db)
{
    static const QRegularExpression keyword(QStringLiteral("^\\s*[a-z_]+\\s*="));
    return keyword.match(db).hasMatch();
}

// The options libpq reads from a connection string, without the defaults it would add.
std::map<QString, QString> parsedOptions(const QString& conninfo)
{
    char* error = nullptr;
    const QByteArray utf8 = conninfo.toUtf8();
    PQconninfoOption* options = PQconninfoParse(utf8.constData(), &error);
    if (!options) {
        // libpq's message quotes no part of the string, so no password can leak through it.
        const QString why = error ? QString::fromUtf8(error).trimmed() : QStringLiteral("out of memory");
        PQfreemem(error);
        throw StoreError(Fault::Invalid, QStringLiteral("データベースの接続文字列を読めません: %1").arg(why));
    }
    std::map<QString, QString> out;
    for (const PQconninfoOption* o = options; o->keyword; ++o)
        if (o->val) out[QString::fromUtf8(o->keyword)] = QString::fromUtf8(o->val);
    PQconninfoFree(options);
    return out;
}

} // namespace

bool carriesPassword(const QString& conninfo)
{
    const auto options = parsedOptions(conninfo);
    const auto p = options.find(QStringLiteral("password"));
    return p != options.end() && !p->second.isEmpty();
}

Target parseTarget(const QString& db)
{
    Target t;
    if (db.trimmed().isEmpty()) throw StoreError(Fault::Invalid, QStringLiteral("データベースが指定されていません"));
    if (isUri(db) || isKeywordString(db)) {
        if (carriesPassword(db))
            throw StoreError(Fault::Invalid,
                             QStringLiteral("接続文字列にパスワードを書かないでください (~/.pgpass、サービスファイルか環境変数 "
                                            "PGPASSWORD を使ってください)"));
        t.engine = Engine::Server;
        t.conninfo = db;
        return t;
    }
    t.engine = Engine::Embedded;
    t.path = db;
    return t;
}

QString Target::key() const
{
    if (engine == Engine::Embedded) return QStringLiteral("sqlite:") + QFileInfo(path).absoluteFilePath();
    const auto options = parsedOptions(conninfo);
    QStringList parts;
    for (const char* name : {"service", "host", "hostaddr", "port", "dbname", "user"}) {
        const auto o = options.find(QString::fromLatin1(name));
        parts << (o == options.end() ? QString() : o->second);
    }
    return QStringLiteral("postgresql:") + parts.join(u'|');
}

QString Target::display() const
{
    if (engine == Engine::Embedded) return QFileInfo(path).absoluteFilePath();
    const auto options = parsedOptions(conninfo);
    auto value = [&](const char* name) {
        const auto o = options.find(QString::fromLatin1(name));
        return o == options.end() ? QString() : o->second;
    };
    QString host = value("host");
    if (host.isEmpty()) host = value("hostaddr");
    if (!value("service").isEmpty() && host.isEmpty()) return QStringLiteral("service=") + value("service");
    if (host.isEmpty()) host = QStringLiteral("localhost");
    QString where = host;
    if (!value("port").isEmpty()) where += u':' + value("port");
    return where + u'/' + value("dbname");
}

} // namespace store
