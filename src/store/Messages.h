// What the front ends tell the operator about the store, in one place: the window's message
// and status bar texts, and the command line's lines.
#pragma once
#include "store/Publication.h"
#include "store/Store.h"

#include <QString>
#include <QStringList>

namespace store {

// "N ロットを登録しました（新規 a、変更 b、変更なし c）"; a resent lot counts as unchanged.
QString publishedMessage(const PublishCounts& counts);
// "新規 a、変更 b、変更なし c": the command line's sheet line after the sheet's name.
QString countsText(const PublishCounts& counts);
// The lots not sent, by reason: "登録しなかったロット 3 件: 測定値がありません (K004, K005, K006)".
QStringList skippedLines(const std::vector<SkippedLot>& skipped);
// The publication could not reach the server and is kept in the outbox.
QString keptMessage(int lots);
// The status bar: "未送信 N ロット", "新しいロットが N 件あります".
QString outboxNote(int lots);
QString newLotsNote(int lots);

} // namespace store
