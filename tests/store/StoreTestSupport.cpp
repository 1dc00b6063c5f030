#include "StoreTestSupport.h"

#include "ImportedSheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace store_test {

FreshStore::FreshStore(store::Engine engine, bool initialise) : engine_(engine)
{
    if (engine == store::Engine::Server) {
        server_ = std::make_unique<ServerDatabase>(Cluster::shared());
        db_ = server_->uri();
    } else {
        db_ = folder_.filePath(QStringLiteral("history.sqlite"));
    }
    if (initialise) store::Store::init(target());
}

QString FreshStore::dbAs(const QString& user) const { return server_ ? server_->uri(user) : db_; }

std::string engineName(const ::testing::TestParamInfo<store::Engine>& info)
{
    return info.param == store::Engine::Server ? "PostgreSQL" : "Embedded";
}

model::SheetRecord sheet(const QString& item, const QStringList& lines, int measurements)
{
    model::SheetRecord r = test_support::importedSheet(item, {}, std::max(10, int(lines.size())), measurements);
    r.product = QStringLiteral("ギアシャフト");
    r.process = QStringLiteral("外径研削");
    r.device = QStringLiteral("G-03");
    r.dataLines = lines;
    r.enableFlags = QStringList(lines.size(), QStringLiteral("1"));
    return r;
}

QStringList lots(const QString& prefix, int count, int measurements, int seed)
{
    QStringList out;
    for (int i = 1; i <= count; ++i) {
        QString line = QStringLiteral("%1-%2").arg(prefix).arg(i, 4, 10, QChar(u'0'));
        for (int m = 0; m < measurements; ++m) line += QStringLiteral(",%1").arg(10.0 + ((i * 7 + m * 13 + seed) % 21 - 10) / 100.0, 0, 'f', 3);
        out << line;
    }
    return out;
}

store::Fault faultOf(const std::function<void()>& work, QString* message)
{
    try {
        work();
    } catch (const store::StoreError& e) {
        if (message) *message = e.message();
        return e.fault();
    }
    ADD_FAILURE() << "no StoreError";
    return store::Fault::Other;
}

bool waitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

SilentSocket::SilentSocket(const QString& path)
{
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray p = path.toLocal8Bit();
    if (fd_ < 0 || size_t(p.size()) >= sizeof address.sun_path) return;
    std::memcpy(address.sun_path, p.constData(), size_t(p.size()));
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd_, 16) == 0;
}

SilentSocket::~SilentSocket()
{
    if (fd_ >= 0) ::close(fd_);
}

store::PublishCounts publish(store::Store& db, const model::SheetRecord& record, const QString& reason, const QString& station)
{
    return db.publish(store::planPublication(record, {station, QStringLiteral("op"), reason}));
}

} // namespace store_test
