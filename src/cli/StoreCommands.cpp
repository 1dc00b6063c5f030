#include "cli/StoreCommands.h"

#include "cli/JudgeReport.h"
#include "cli/ReportCommand.h"
#include "cli/SheetFile.h"
#include "cli/TextTable.h"
#include "model/CommaText.h"
#include "store/LocalIdentity.h"
#include "store/Messages.h"
#include "store/Store.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <memory>

namespace cli {

namespace {

const QString kProgram = QStringLiteral("quorvane-cli");

QString oneLine(QString text)
{
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text.trimmed();
}

// A JSON scalar as Qt writes it (strings escaped, full precision).
QString json(const QJsonValue& v)
{
    const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

QString jsonObject(const std::vector<std::pair<const char*, QString>>& fields)
{
    QStringList parts;
    for (const auto& [key, value] : fields) parts << QStringLiteral("\"%1\": %2").arg(QString::fromLatin1(key), value);
    return u'{' + parts.join(QStringLiteral(", ")) + u'}';
}

QString jsonList(const char* key, const QStringList& objects)
{
    const QString items = objects.isEmpty() ? QStringLiteral("[]") : QStringLiteral("[\n    ") + objects.join(QStringLiteral(",\n    ")) + QStringLiteral("\n  ]");
    return QStringLiteral("{\n  \"%1\": %2\n}\n").arg(QString::fromLatin1(key), items);
}

QString localTime(qint64 us) { return QDateTime::fromMSecsSinceEpoch(us / 1000).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

bool numberColumn(int column) { return column == 5; }
bool firstColumnRight(int column) { return column == 0; }

CliRun init(const StoreCommand& c)
{
    const store::InitResult r = store::Store::init(store::parseTarget(c.db));
    return {0, (r.message + u'\n').toUtf8(), {}};
}

CliRun publish(const StoreCommand& c)
{
    const std::vector<model::SheetRecord> records = readSheetFile(c.file);
    const std::vector<int> numbers = chosenSheets(int(records.size()), c.sheet, c.file);
    const std::unique_ptr<store::Store> db = store::Store::open(store::parseTarget(c.db));
    const store::PlanRequest request{c.station.isEmpty() ? store::defaultStationName() : c.station, store::operatorName(), c.reason};
    CliRun run;
    QString out;
    for (int number : numbers) {
        const model::SheetRecord& record = records[size_t(number - 1)];
        const QString sheet = QStringLiteral("Sheet%1 %2").arg(number).arg(record.item);
        auto problem = [&](const QString& text) {
            run.err += QStringLiteral("%1: %2: %3: %4\n").arg(kProgram, c.file, sheet, oneLine(text));
            run.status = 2;
        };
        const store::PublicationPlan plan = store::planPublication(record, request);
        if (plan.defaultNames && !c.allowDefaultNames) {
            problem(*plan.defaultNames + QStringLiteral("。登録するには --allow-default-names を指定してください"));
            continue;
        }
        store::PublishOptions options;
        options.allowDefaultNames = c.allowDefaultNames;
        try {
            const store::PublishCounts counts = db->publish(plan, options);
            out += sheet + QStringLiteral(": ") + store::countsText(counts) + u'\n';
            for (const QString& line : store::skippedLines(counts.skipped)) out += QStringLiteral("  ") + line + u'\n';
            if (counts.withoutReason > 0)
                problem(QStringLiteral("内容が変わったロット %1 件は、--reason がないため登録しませんでした").arg(counts.withoutReason));
        } catch (const store::StoreError& e) {
            problem(e.message());
        }
    }
    run.out = out.toUtf8();
    return run;
}

CliRun list(const StoreCommand& c)
{
    const std::unique_ptr<store::Store> db = store::Store::open(store::parseTarget(c.db));
    const std::vector<store::CharacteristicSummary> all = db->characteristics();
    CliRun run;
    if (c.format == OutputFormat::Json) {
        QStringList objects;
        for (const store::CharacteristicSummary& s : all) {
            const store::Characteristic& k = s.characteristic;
            objects << jsonObject({{"product", json(k.product)},
                                   {"process", json(k.process)},
                                   {"device", json(k.device)},
                                   {"item", json(k.item)},
                                   {"unit", json(s.unit)},
                                   {"lots", QString::number(s.lots)},
                                   {"last_published", s.lastUs ? json(store::isoLocalTime(*s.lastUs)) : QStringLiteral("null")}});
        }
        run.out = jsonList("characteristics", objects).toUtf8();
        return run;
    }
    std::vector<QStringList> rows{{QStringLiteral("品種名称"), QStringLiteral("工程名称"), QStringLiteral("装置名称"), QStringLiteral("項目名称"),
                                   QStringLiteral("測定単位"), QStringLiteral("ロット数"), QStringLiteral("最終登録")}};
    for (const store::CharacteristicSummary& s : all) {
        const store::Characteristic& k = s.characteristic;
        rows.push_back({k.product, k.process, k.device, k.item, s.unit, QString::number(s.lots), s.lastUs ? localTime(*s.lastUs) : QString()});
    }
    run.out = alignedTable(rows, numberColumn, {}).toUtf8();
    return run;
}

CliRun history(const StoreCommand& c)
{
    const store::Characteristic k = store::parseCharacteristicPath(c.characteristic);
    const std::unique_ptr<store::Store> db = store::Store::open(store::parseTarget(c.db));
    const std::vector<store::Revision> revisions = db->history(k, c.lot);
    CliRun run;
    if (revisions.empty()) {
        run.status = 2;
        run.err = QStringLiteral("%1: %2: ロット %3 はありません\n").arg(kProgram, c.characteristic, c.lot);
        return run;
    }
    if (c.format == OutputFormat::Json) {
        QStringList objects;
        for (const store::Revision& r : revisions) {
            QJsonArray values;
            for (const QString& v : r.content.cells) values.append(v);
            objects << jsonObject({{"sequence", QString::number(r.sequence)},
                                   {"published_at", json(store::isoLocalTime(r.publishedUs))},
                                   {"station", json(r.station)},
                                   {"operator", json(r.operatorName)},
                                   {"reason", r.reason ? json(*r.reason) : QStringLiteral("null")},
                                   {"enabled", r.content.enabled ? QStringLiteral("true") : QStringLiteral("false")},
                                   {"values", QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact))}});
        }
        run.out = jsonList("revisions", objects).toUtf8();
        return run;
    }
    std::vector<QStringList> rows{{QStringLiteral("連番"), QStringLiteral("登録日時"), QStringLiteral("ステーション"), QStringLiteral("作業者"),
                                   QStringLiteral("有効"), QStringLiteral("測定値"), QStringLiteral("変更理由")}};
    for (const store::Revision& r : revisions)
        rows.push_back({QString::number(r.sequence), localTime(r.publishedUs), r.station, r.operatorName,
                        r.content.enabled ? QStringLiteral("○") : QStringLiteral("－"), model::writeCommaText(r.content.cells),
                        r.reason.value_or(QString())});
    run.out = alignedTable(rows, firstColumnRight, {}).toUtf8();
    return run;
}

// A file name's part from an item name: the characters no file name may hold become "_".
QString fileTag(const QString& item)
{
    QString tag;
    for (QChar ch : item) tag += (ch.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(ch)) ? u'_' : ch;
    tag = tag.trimmed().left(64);
    while (tag.endsWith(u'.')) tag.chop(1);
    return (tag.isEmpty() ? QStringLiteral("_") : tag) + u'_';
}

struct StoreLots {
    store::LoadedSheet loaded;
    QString baseline; // the status line, empty without a baseline
    EntryStep afterEntry;
};

StoreLots loadLots(store::Store& db, const store::Characteristic& k, const store::LoadRange& range)
{
    StoreLots out{db.load(k, range), {}, {}};
    if (const auto& b = out.loaded.baseline) {
        out.baseline = store::baselineStatus(*b, out.loaded.record.measurementCount);
        out.afterEntry = [b = *b](sheetview::SheetView& view) { store::applyBaseline(view, b); };
    }
    return out;
}

store::LoadRange rangeOf(const StoreSource& s)
{
    store::LoadRange r;
    r.last = s.last;
    r.fromUs = s.fromUs;
    r.toUs = s.toUs;
    r.station = s.station;
    if (!r.last && !r.fromUs && !r.toUs) r.last = store::LoadRange::kMaxLots;
    return r;
}

} // namespace

CliRun runStoreCommand(const StoreCommand& c)
{
    switch (c.action) {
    case StoreCommand::Action::Init: return init(c);
    case StoreCommand::Action::Publish: return publish(c);
    case StoreCommand::Action::List: return list(c);
    case StoreCommand::Action::History: return history(c);
    }
    return {};
}

CliRun judgeFromStore(const JudgeCommand& command)
{
    const StoreSource& s = *command.store;
    const store::Characteristic k = store::parseCharacteristicPath(s.characteristic);
    const store::Target target = store::parseTarget(s.db);
    const std::unique_ptr<store::Store> db = store::Store::open(target);
    const StoreLots lots = loadLots(*db, k, rangeOf(s));
    const std::vector<SheetJudgement> judged{judgeSheet(lots.loaded.record, 1, command.options, lots.afterEntry)};
    CliRun run;
    run.status = judged.front().passed() ? 0 : 1;
    if (command.options.format == OutputFormat::Json) {
        run.out = jsonReport(target.display(), s.characteristic, lots.baseline, judged);
    } else {
        QString head = lots.baseline;
        if (lots.loaded.note) head += (head.isEmpty() ? QString() : QStringLiteral("\n")) + *lots.loaded.note;
        run.out = textReport(target.display(), s.characteristic, head, judged).toUtf8();
    }
    return run;
}

CliRun reportFromStore(const ReportCommand& command, const QString& programFolder)
{
    const StoreSource& s = *command.store;
    const store::Target target = store::parseTarget(s.db);
    const std::unique_ptr<store::Store> db = store::Store::open(target);
    std::vector<ReportSheet> sheets;
    QString source = s.characteristic;
    CliRun run;
    if (s.all) {
        source = target.display();
        const qint64 since = (QDateTime::currentMSecsSinceEpoch() / 1000 - s.sinceSeconds) * 1000000;
        store::LoadRange range;
        range.fromUs = since;
        range.station = s.station;
        for (const store::Characteristic& k : db->characteristicsWithLotsSince(since)) {
            try {
                StoreLots lots = loadLots(*db, k, range);
                sheets.push_back({lots.loaded.record, store::characteristicPath(k), fileTag(k.item), lots.afterEntry});
            } catch (const store::StoreError& e) {
                // Another station's lots only, when one is named: nothing to report on here.
                if (e.fault() != store::Fault::NotFound) throw;
            }
        }
        if (sheets.empty()) {
            run.err = QStringLiteral("%1: %2: この期間に新しいロットのある特性はありません\n").arg(kProgram, source);
            return run;
        }
    } else {
        const store::Characteristic k = store::parseCharacteristicPath(s.characteristic);
        StoreLots lots = loadLots(*db, k, rangeOf(s));
        sheets.push_back({lots.loaded.record, s.characteristic, fileTag(k.item), lots.afterEntry});
    }
    const ReportRun written = writeSheetReports(command, programFolder, sheets, !s.all);
    for (const QString& path : written.written) run.out += (QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + u'\n').toUtf8();
    for (const QString& problem : written.problems) run.err += QStringLiteral("%1: %2: %3\n").arg(kProgram, source, oneLine(problem));
    run.status = written.problems.isEmpty() ? 0 : 2;
    return run;
}

} // namespace cli
