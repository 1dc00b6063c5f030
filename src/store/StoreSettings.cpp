#include "store/StoreSettings.h"

#include "store/LocalIdentity.h"

#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace store {

namespace {

const QString kGroup = QStringLiteral("Database");

[[noreturn]] void refusePassword()
{
    throw StoreError(Fault::Invalid, QStringLiteral("データベースのパスワードは設定に保存できません。設定からパスワードを取り除き、"
                                                    "~/.pgpass かサービスファイルを使うか、接続のたびに入力してください"));
}

// A value that looks like it carries a password: "password=…", a URI with "user:secret@", or a
// user name holding a colon.
bool namesPassword(const QString& value)
{
    static const QRegularExpression keyword(QStringLiteral("password\\s*="), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression credentials(QStringLiteral("://[^/@]*:[^/@]*@"));
    return keyword.match(value).hasMatch() || credentials.match(value).hasMatch();
}

void check(const StoreSettings& s)
{
    for (const QString* v : {&s.embeddedPath, &s.host, &s.port, &s.database, &s.user, &s.sslMode, &s.station})
        if (namesPassword(*v)) refusePassword();
    if (s.user.contains(u':')) refusePassword();
}

// A value in a keyword connection string: quoted, with quotes and backslashes escaped.
QString quoted(const QString& v)
{
    QString out = v;
    out.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + out + u'\'';
}

QString dataFolder() { return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation); }

} // namespace

QString defaultEmbeddedPath() { return dataFolder() + QStringLiteral("/history.sqlite"); }
QString defaultOutboxPath() { return dataFolder() + QStringLiteral("/outbox.sqlite"); }

StoreSettings loadStoreSettings(QSettings& settings)
{
    settings.beginGroup(kGroup);
    const QStringList keys = settings.childKeys();
    auto text = [&](const char* key) { return settings.value(QString::fromLatin1(key)).toString(); };
    StoreSettings s;
    const int mode = text("Mode").toInt();
    s.mode = mode == 1 ? StoreMode::Embedded : mode == 2 ? StoreMode::Server : StoreMode::Off;
    s.embeddedPath = text("File");
    s.host = text("Host");
    s.port = text("Port");
    s.database = text("Name");
    s.user = text("User");
    if (!text("SslMode").isEmpty()) s.sslMode = text("SslMode");
    s.station = text("Station");
    settings.endGroup();
    for (const QString& k : keys)
        if (k.contains(QStringLiteral("pass"), Qt::CaseInsensitive) || k.contains(QStringLiteral("pwd"), Qt::CaseInsensitive))
            refusePassword();
    check(s);
    return s;
}

void saveStoreSettings(QSettings& settings, const StoreSettings& s)
{
    check(s);
    // The group is written afresh: a password planted in it by hand goes with the rest.
    settings.remove(kGroup);
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("Mode"), QString::number(int(s.mode)));
    settings.setValue(QStringLiteral("File"), s.embeddedPath);
    settings.setValue(QStringLiteral("Host"), s.host);
    settings.setValue(QStringLiteral("Port"), s.port);
    settings.setValue(QStringLiteral("Name"), s.database);
    settings.setValue(QStringLiteral("User"), s.user);
    settings.setValue(QStringLiteral("SslMode"), s.sslMode);
    settings.setValue(QStringLiteral("Station"), s.station);
    settings.endGroup();
}

Target targetOf(const StoreSettings& s)
{
    check(s);
    Target t;
    switch (s.mode) {
    case StoreMode::Off: throw StoreError(Fault::Invalid, QStringLiteral("データベースを使う設定になっていません"));
    case StoreMode::Embedded:
        t.engine = Engine::Embedded;
        t.path = s.embeddedPath.isEmpty() ? defaultEmbeddedPath() : s.embeddedPath;
        return t;
    case StoreMode::Server: break;
    }
    QStringList parts;
    const std::pair<const char*, const QString*> fields[] = {
        {"host", &s.host}, {"port", &s.port}, {"dbname", &s.database}, {"user", &s.user}, {"sslmode", &s.sslMode}};
    for (const auto& [key, value] : fields)
        if (!value->isEmpty()) parts << QString::fromLatin1(key) + u'=' + quoted(*value);
    t.engine = Engine::Server;
    t.conninfo = parts.join(u' ');
    if (carriesPassword(t.conninfo)) refusePassword();
    return t;
}

QString stationOf(const StoreSettings& s) { return s.station.trimmed().isEmpty() ? defaultStationName() : s.station; }

} // namespace store
