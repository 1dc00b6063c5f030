#include "store/Messages.h"

#include <map>

namespace store {

QString countsText(const PublishCounts& c)
{
    return QStringLiteral("新規 %1、変更 %2、変更なし %3").arg(c.added).arg(c.changed).arg(c.unchanged + c.alreadyStored);
}

QString publishedMessage(const PublishCounts& c)
{
    return QStringLiteral("%1 ロットを登録しました（%2）").arg(c.stored()).arg(countsText(c));
}

QStringList skippedLines(const std::vector<SkippedLot>& skipped)
{
    std::map<QString, QStringList> byReason;
    QStringList order;
    for (const SkippedLot& s : skipped) {
        if (!byReason.count(s.reason)) order << s.reason;
        byReason[s.reason] << (s.lot.isEmpty() ? QStringLiteral("%1 行目").arg(s.row) : s.lot);
    }
    QStringList lines;
    for (const QString& reason : order) {
        const QStringList& lots = byReason[reason];
        lines << QStringLiteral("登録しなかったロット %1 件: %2 (%3)").arg(lots.size()).arg(reason, lots.join(QStringLiteral(", ")));
    }
    return lines;
}

QString keptMessage(int lots)
{
    return QStringLiteral("データベースサーバーに接続できないため、%1 ロットを未送信データとして保存しました。"
                          "接続できるようになると自動で送信します")
        .arg(lots);
}

QString outboxNote(int lots) { return QStringLiteral("未送信 %1 ロット").arg(lots); }

QString newLotsNote(int lots) { return QStringLiteral("新しいロットが %1 件あります").arg(lots); }

} // namespace store
