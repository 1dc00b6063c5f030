#include "store/Characteristic.h"

#include "store/Connection.h"

#include <QStringList>

namespace store {

Characteristic parseCharacteristicPath(const QString& path)
{
    auto refuse = [&](const QString& why) {
        throw StoreError(Fault::Invalid, QStringLiteral("特性は \"品種名称/工程名称/装置名称/項目名称\" の形で指定してください (%1): %2").arg(why, path));
    };
    QStringList parts{QString()};
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c == u'\\') {
            if (i + 1 == path.size() || (path[i + 1] != u'/' && path[i + 1] != u'\\'))
                refuse(QStringLiteral("\\ の後には / か \\ を書きます"));
            parts.last() += path[++i];
        } else if (c == u'/') {
            parts.append(QString());
        } else {
            parts.last() += c;
        }
    }
    if (parts.size() != 4) refuse(QStringLiteral("名称が %1 個あります").arg(parts.size()));
    return {parts[0], parts[1], parts[2], parts[3]};
}

QString characteristicPath(const Characteristic& c)
{
    QStringList parts;
    for (QString t : {c.product, c.process, c.device, c.item}) {
        t.replace(u'\\', QStringLiteral("\\\\"));
        t.replace(u'/', QStringLiteral("\\/"));
        parts << t;
    }
    return parts.join(u'/');
}

} // namespace store
