#include "store/PublishReport.h"

#include "store/Messages.h"

namespace store {

QString publishReport(const std::vector<SheetPublication>& sheets)
{
    if (sheets.size() == 1) return sheets.front().outcome.message();
    PublishCounts stored;
    int kept = 0;
    bool anyStored = false;
    QStringList details;
    for (const SheetPublication& s : sheets) {
        const PublishOutcome& o = s.outcome;
        switch (o.kind) {
        case PublishOutcome::Kind::Stored:
            anyStored = true;
            stored.added += o.counts.added;
            stored.changed += o.counts.changed;
            stored.unchanged += o.counts.unchanged;
            stored.alreadyStored += o.counts.alreadyStored;
            break;
        case PublishOutcome::Kind::Kept: kept += o.keptLots; break;
        case PublishOutcome::Kind::Failed:
            details << s.sheet + QStringLiteral(": 登録できませんでした: ") + (o.error ? o.error->message() : QString());
            continue;
        }
        for (const QString& line : skippedLines(o.counts.skipped)) details << s.sheet + QStringLiteral(": ") + line;
    }
    QStringList lines;
    if (anyStored) lines << publishedMessage(stored);
    if (kept > 0) lines << keptMessage(kept);
    return (lines + details).join(u'\n');
}

} // namespace store
