#include "store/Store.h"

#include "model/CommaText.h"
#include "model/DataLine.h"
#include "model/NumberText.h"
#include "store/PostgresConnection.h"
#include "store/SqliteConnection.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

namespace store {

namespace {

QString num(qint64 v) { return QString::number(v); }

// "(CAST($2 AS TEXT)), (CAST($3 AS TEXT)), …": a list of `count` texts bound from $first on.
QString textValues(int first, int count)
{
    QStringList rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) rows << QStringLiteral("(CAST($%1 AS TEXT))").arg(first + i);
    return rows.join(QStringLiteral(", "));
}

LotContent contentOf(const QString& enabled, const QString& count, const QString& measurements)
{
    LotContent c;
    c.enabled = enabled == u"1";
    c.cells = model::readCommaText(measurements);
    const int n = std::max(count.toInt(), 0);
    c.cells = c.cells.mid(0, n);
    while (c.cells.size() < n) c.cells << QString();
    return c;
}

// Lots looked up a hundred at a time, so that a statement's parameters stay few.
constexpr qsizetype kChunk = 100;

// The newest revision of each of the lots, by lot number.
QHash<QString, LotContent> currentContents(Connection& c, qint64 characteristic, const QStringList& lots)
{
    QHash<QString, LotContent> out;
    for (qsizetype from = 0; from < lots.size(); from += kChunk) {
        const QStringList part = lots.mid(from, kChunk);
        Params params{num(characteristic)};
        for (const QString& l : part) params.emplace_back(l);
        const Rows rows = c.query(
            QStringLiteral("WITH wanted (lot) AS (VALUES %1) "
                           "SELECT r.lot, r.enabled, r.measurement_count, r.measurements FROM lot_revisions r "
                           "JOIN wanted w ON w.lot = r.lot WHERE r.characteristic_id = $1 AND r.sequence = "
                           "(SELECT max(s.sequence) FROM lot_revisions s WHERE s.characteristic_id = $1 AND s.lot = r.lot)")
                .arg(textValues(2, int(part.size()))),
            params);
        for (size_t i = 0; i < rows.size(); ++i)
            out.insert(rows.text(i, 0), contentOf(rows.text(i, 1), rows.text(i, 2), rows.text(i, 3)));
    }
    return out;
}

// The lots whose publication id the store holds already: a resend.
QSet<QString> storedIds(Connection& c, const std::vector<PlannedLot>& lots)
{
    QSet<QString> stored;
    for (size_t from = 0; from < lots.size(); from += size_t(kChunk)) {
        const size_t to = std::min(lots.size(), from + size_t(kChunk));
        Params params;
        QStringList marks;
        for (size_t i = from; i < to; ++i) {
            params.emplace_back(lots[i].publicationId);
            marks << QStringLiteral("$%1").arg(params.size());
        }
        const Rows r = c.query(QStringLiteral("SELECT publication_id FROM publications WHERE publication_id IN (%1)").arg(marks.join(QStringLiteral(", "))),
                               params);
        for (size_t i = 0; i < r.size(); ++i) stored.insert(r.text(i, 0).toLower());
    }
    return stored;
}

// Records the lots' publication ids; returns those that were not recorded before.
QSet<QString> claim(Connection& c, qint64 characteristic, const std::vector<const PlannedLot*>& lots)
{
    QSet<QString> claimed;
    for (size_t from = 0; from < lots.size(); from += size_t(kChunk)) {
        const size_t to = std::min(lots.size(), from + size_t(kChunk));
        Params params{num(characteristic)};
        QStringList rows;
        for (size_t i = from; i < to; ++i) {
            rows << QStringLiteral("($%1, $1, $%2)").arg(params.size() + 1).arg(params.size() + 2);
            params.emplace_back(lots[i]->publicationId);
            params.emplace_back(lots[i]->lot);
        }
        const Rows r = c.query(QStringLiteral("INSERT INTO publications (publication_id, characteristic_id, lot) VALUES %1 "
                                              "ON CONFLICT (publication_id) DO NOTHING RETURNING publication_id")
                                   .arg(rows.join(QStringLiteral(", "))),
                               params);
        for (size_t i = 0; i < r.size(); ++i) claimed.insert(r.text(i, 0).toLower());
    }
    return claimed;
}

struct NewRevision {
    const PlannedLot* lot;
    bool first;
};

void insertRevisions(Connection& c, qint64 characteristic, const PublicationPlan& plan, const std::vector<NewRevision>& revisions,
                     const std::function<void(int, int)>& progress)
{
    const LotHeader& h = plan.header;
    for (size_t from = 0; from < revisions.size(); from += size_t(kChunk)) {
        const size_t to = std::min(revisions.size(), from + size_t(kChunk));
        Params params{num(characteristic), h.unit, h.specKind, h.digits, h.specUpper, h.specLower, plan.station, plan.operatorName};
        QStringList rows;
        for (size_t i = from; i < to; ++i) {
            const PlannedLot& l = *revisions[i].lot;
            const int p = int(params.size());
            rows << QStringLiteral("($1, $2, $3, $4, $5, $6, $7, $8, $%1, $%2, $%3, $%4, $%5, $%6, $%7)")
                        .arg(p + 1).arg(p + 2).arg(p + 3).arg(p + 4).arg(p + 5).arg(p + 6).arg(p + 7);
            params.emplace_back(l.lot);
            params.emplace_back(revisions[i].first ? QStringLiteral("1") : QStringLiteral("0"));
            params.emplace_back(l.content.enabled ? QStringLiteral("1") : QStringLiteral("0"));
            params.emplace_back(QString::number(l.content.cells.size()));
            params.emplace_back(model::writeCommaText(l.content.cells));
            params.emplace_back(l.publicationId);
            params.push_back(revisions[i].first || plan.reason.isEmpty() ? Value() : Value(plan.reason));
        }
        c.query(QStringLiteral("INSERT INTO lot_revisions (characteristic_id, unit, spec_kind, digits, spec_upper, spec_lower, "
                               "station, operator, lot, first_revision, enabled, measurement_count, measurements, "
                               "publication_id, reason) VALUES %1")
                    .arg(rows.join(QStringLiteral(", "))),
                params);
        if (progress) progress(int(to), int(revisions.size()));
    }
}

Params characteristicParams(const Characteristic& c) { return {c.product, c.process, c.device, c.item}; }

const QString kFindCharacteristic = QStringLiteral(
    "SELECT id FROM characteristics WHERE product = $1 AND process = $2 AND device = $3 AND item = $4");

// The range's condition on first revisions, its parameters from $first on.
QString rangeCondition(const LoadRange& range, Params& params)
{
    QString where;
    if (range.fromUs) {
        params.emplace_back(num(*range.fromUs));
        where += QStringLiteral(" AND published_us >= $%1").arg(params.size());
    }
    if (range.toUs) {
        params.emplace_back(num(*range.toUs));
        where += QStringLiteral(" AND published_us <= $%1").arg(params.size());
    }
    if (!range.station.isEmpty()) {
        params.emplace_back(range.station);
        where += QStringLiteral(" AND station = $%1").arg(params.size());
    }
    return where;
}

} // namespace

QString isoLocalTime(qint64 us)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(us / 1000);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

std::unique_ptr<Connection> Store::connect(const Target& target, const Credentials& credentials, Open mode)
{
    if (target.engine == Engine::Server) return std::make_unique<PostgresConnection>(target, credentials);
    return std::make_unique<SqliteConnection>(target.path, mode == Open::CreateEmbedded ? SqliteConnection::Open::CreateIfMissing
                                                                                         : SqliteConnection::Open::Existing);
}

std::unique_ptr<Store> Store::open(const Target& target, const Credentials& credentials, Open mode)
{
    std::unique_ptr<Connection> c = connect(target, credentials, mode);
    try {
        checkSchema(*c);
    } catch (const StoreError& e) {
        if (e.fault() != Fault::NoSchema || mode != Open::CreateEmbedded || target.engine != Engine::Embedded) throw;
        initSchema(*c);
    }
    return std::make_unique<Store>(std::move(c));
}

InitResult Store::init(const Target& target, const Credentials& credentials)
{
    const std::unique_ptr<Connection> c = connect(target, credentials, Open::CreateEmbedded);
    return initSchema(*c);
}

Store::Store(std::unique_ptr<Connection> connection) : c_(std::move(connection)) {}

std::optional<qint64> Store::characteristicId(const Characteristic& c)
{
    const Rows r = c_->query(kFindCharacteristic, characteristicParams(c));
    if (r.empty()) return std::nullopt;
    return r.integer(0, 0);
}

qint64 Store::requireCharacteristic(const Characteristic& c)
{
    if (const auto id = characteristicId(c)) return *id;
    throw StoreError(Fault::NotFound, QStringLiteral("データベースにこの特性がありません: %1").arg(characteristicPath(c)));
}

PublishCounts Store::publish(const PublicationPlan& plan, const PublishOptions& options)
{
    if (plan.defaultNames && !options.allowDefaultNames)
        throw StoreError(Fault::Invalid, *plan.defaultNames + QStringLiteral("。このまま登録するには確認が必要です"));
    PublishCounts counts;
    counts.skipped = plan.skipped;
    if (plan.lots.empty()) return counts;

    std::optional<WriteTransaction> transaction;
    if (!options.dryRun) transaction.emplace(*c_);
    std::optional<qint64> id = characteristicId(plan.characteristic);
    if (!id && !options.dryRun) {
        c_->query(QStringLiteral("INSERT INTO characteristics (product, process, device, item) VALUES ($1, $2, $3, $4) "
                                 "ON CONFLICT (product, process, device, item) DO NOTHING"),
                  characteristicParams(plan.characteristic));
        id = characteristicId(plan.characteristic);
        if (!id) throw StoreError(Fault::Other, QStringLiteral("特性を登録できませんでした: %1").arg(characteristicPath(plan.characteristic)));
    }
    // A resent lot is recognised before its content is compared: another station may have
    // changed the lot since it was stored.
    const QSet<QString> resent = storedIds(*c_, plan.lots);
    QStringList lotNumbers;
    for (const PlannedLot& l : plan.lots) lotNumbers << l.lot;
    const QHash<QString, LotContent> current = id ? currentContents(*c_, *id, lotNumbers) : QHash<QString, LotContent>{};

    enum class Kind { New, Changed, Unchanged };
    std::vector<std::pair<const PlannedLot*, Kind>> sending;
    for (const PlannedLot& l : plan.lots) {
        if (resent.contains(l.publicationId.toLower())) {
            ++counts.alreadyStored;
            continue;
        }
        const auto now = current.constFind(l.lot);
        const Kind kind = now == current.constEnd() ? Kind::New : sameContent(*now, l.content) ? Kind::Unchanged : Kind::Changed;
        if (kind == Kind::Changed && options.requireReason && plan.reason.trimmed().isEmpty()) {
            counts.skipped.push_back({l.row, l.lot, QStringLiteral("内容が変わっていますが、変更理由がありません")});
            ++counts.withoutReason;
            continue;
        }
        sending.emplace_back(&l, kind);
    }
    auto count = [&](Kind kind) {
        (kind == Kind::New ? counts.added : kind == Kind::Changed ? counts.changed : counts.unchanged) += 1;
    };
    if (options.dryRun) {
        for (const auto& [lot, kind] : sending) count(kind);
        return counts;
    }

    std::vector<const PlannedLot*> lots;
    for (const auto& s : sending) lots.push_back(s.first);
    const QSet<QString> claimed = claim(*c_, *id, lots);
    std::vector<NewRevision> revisions;
    for (const auto& [lot, kind] : sending) {
        if (!claimed.contains(lot->publicationId.toLower())) {
            ++counts.alreadyStored;
            continue;
        }
        count(kind);
        if (kind != Kind::Unchanged) revisions.push_back({lot, kind == Kind::New});
    }
    insertRevisions(*c_, *id, plan, revisions, options.progress);
    transaction->commit();
    return counts;
}

std::vector<CharacteristicSummary> Store::characteristics()
{
    const Rows r = c_->query(QStringLiteral(
        "SELECT c.product, c.process, c.device, c.item, "
        "(SELECT r.unit FROM lot_revisions r WHERE r.characteristic_id = c.id ORDER BY r.sequence DESC LIMIT 1), "
        "(SELECT count(DISTINCT r.lot) FROM lot_revisions r WHERE r.characteristic_id = c.id AND r.first_revision = 1), "
        "(SELECT max(r.published_us) FROM lot_revisions r WHERE r.characteristic_id = c.id) "
        "FROM characteristics c"));
    std::vector<CharacteristicSummary> out;
    for (size_t i = 0; i < r.size(); ++i) {
        CharacteristicSummary s;
        s.characteristic = {r.text(i, 0), r.text(i, 1), r.text(i, 2), r.text(i, 3)};
        s.unit = r.text(i, 4);
        s.lots = int(r.integer(i, 5));
        if (!r.isNull(i, 6)) s.lastUs = r.integer(i, 6);
        out.push_back(std::move(s));
    }
    auto key = [](const CharacteristicSummary& s) {
        const Characteristic& c = s.characteristic;
        return std::tie(c.product, c.process, c.device, c.item);
    };
    std::sort(out.begin(), out.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    return out;
}

std::vector<Revision> Store::history(const Characteristic& c, const QString& lot)
{
    const qint64 id = requireCharacteristic(c);
    const Rows r = c_->query(QStringLiteral("SELECT sequence, published_us, station, operator, reason, enabled, measurement_count, "
                                            "measurements, unit, spec_kind, digits, spec_upper, spec_lower FROM lot_revisions "
                                            "WHERE characteristic_id = $1 AND lot = $2 ORDER BY sequence"),
                             {num(id), lot});
    std::vector<Revision> out;
    for (size_t i = 0; i < r.size(); ++i) {
        Revision v;
        v.sequence = r.integer(i, 0);
        v.publishedUs = r.integer(i, 1);
        v.station = r.text(i, 2);
        v.operatorName = r.text(i, 3);
        if (!r.isNull(i, 4)) v.reason = r.text(i, 4);
        v.content = contentOf(r.text(i, 5), r.text(i, 6), r.text(i, 7));
        v.header = {r.text(i, 8), r.text(i, 9), r.text(i, 10), r.text(i, 11), r.text(i, 12)};
        out.push_back(std::move(v));
    }
    return out;
}

LoadedSheet Store::load(const Characteristic& c, const LoadRange& range)
{
    if (range.last && (*range.last < 1 || *range.last > LoadRange::kMaxLots))
        throw StoreError(Fault::Invalid, QStringLiteral("読み込むロット数は 1～%1 で指定してください: %2").arg(LoadRange::kMaxLots).arg(*range.last));
    if (range.fromUs && range.toUs && *range.fromUs > *range.toUs)
        throw StoreError(Fault::Invalid, QStringLiteral("期間の終わりが始まりより前です"));
    const qint64 id = requireCharacteristic(c);

    LoadedSheet out;
    out.origin.characteristic = c;
    out.origin.range = range;
    const Rows newest = c_->query(QStringLiteral("SELECT max(sequence) FROM lot_revisions WHERE characteristic_id = $1"), {num(id)});
    out.origin.newestSequence = newest.empty() ? 0 : newest.integer(0, 0);

    // The range's lots by their first revision, newest first; one more than the sheet holds
    // tells that the range is longer.
    Params params{num(id)};
    const QString where = rangeCondition(range, params);
    const int limit = range.last.value_or(LoadRange::kMaxLots);
    params.emplace_back(num(limit + 1));
    const Rows firsts = c_->query(QStringLiteral("SELECT sequence, lot FROM lot_revisions WHERE characteristic_id = $1 "
                                                 "AND first_revision = 1%1 ORDER BY sequence DESC LIMIT $%2")
                                      .arg(where)
                                      .arg(params.size()),
                                  params);
    // Two stations that published a new lot number at the same moment both wrote a first
    // revision: the lot counts once, in the place of the earlier.
    std::map<qint64, QString> order; // first sequence -> lot
    QHash<QString, qint64> firstOf;
    for (size_t i = 0; i < firsts.size(); ++i) {
        const qint64 seq = firsts.integer(i, 0);
        const QString lot = firsts.text(i, 1);
        const auto seen = firstOf.find(lot);
        if (seen != firstOf.end()) {
            if (*seen < seq) continue;
            order.erase(*seen);
        }
        firstOf[lot] = seq;
        order[seq] = lot;
    }
    while (int(order.size()) > limit) order.erase(order.begin());
    if (order.empty()) throw StoreError(Fault::NotFound, QStringLiteral("指定した範囲にロットがありません: %1").arg(characteristicPath(c)));

    out.lotsInRange = int(order.size());
    if (!range.last && int(firsts.size()) > limit) {
        Params countParams{num(id)};
        const QString countWhere = rangeCondition(range, countParams);
        const Rows total = c_->query(QStringLiteral("SELECT count(DISTINCT lot) FROM lot_revisions WHERE characteristic_id = $1 "
                                                    "AND first_revision = 1%1").arg(countWhere),
                                     countParams);
        out.lotsInRange = int(total.integer(0, 0));
        out.note = QStringLiteral("期間内の %1 ロットのうち、新しい %2 ロットを読み込みました").arg(out.lotsInRange).arg(limit);
    }

    // The newest revision of every lot, its header with it.
    QStringList lots;
    for (const auto& [seq, lot] : order) lots << lot;
    struct Newest {
        qint64 sequence = 0;
        LotContent content;
        LotHeader header;
    };
    QHash<QString, Newest> newestOf;
    for (qsizetype from = 0; from < lots.size(); from += kChunk) {
        const QStringList part = lots.mid(from, kChunk);
        Params p{num(id)};
        for (const QString& l : part) p.emplace_back(l);
        const Rows r = c_->query(
            QStringLiteral("WITH wanted (lot) AS (VALUES %1) "
                           "SELECT r.lot, r.sequence, r.enabled, r.measurement_count, r.measurements, r.unit, r.spec_kind, r.digits, "
                           "r.spec_upper, r.spec_lower FROM lot_revisions r JOIN wanted w ON w.lot = r.lot "
                           "WHERE r.characteristic_id = $1 AND r.sequence = "
                           "(SELECT max(s.sequence) FROM lot_revisions s WHERE s.characteristic_id = $1 AND s.lot = r.lot)")
                .arg(textValues(2, int(part.size()))),
            p);
        for (size_t i = 0; i < r.size(); ++i)
            newestOf.insert(r.text(i, 0), {r.integer(i, 1), contentOf(r.text(i, 2), r.text(i, 3), r.text(i, 4)),
                                           {r.text(i, 5), r.text(i, 6), r.text(i, 7), r.text(i, 8), r.text(i, 9)}});
    }

    model::SheetRecord& rec = out.record;
    rec.product = c.product;
    rec.process = c.process;
    rec.device = c.device;
    rec.item = c.item;
    qint64 newestSequence = -1;
    int widest = 1;
    for (const QString& lot : std::as_const(lots)) {
        const Newest& n = newestOf[lot];
        if (n.sequence > newestSequence) {
            newestSequence = n.sequence;
            rec.unit = n.header.unit;
            rec.specKind = n.header.specKind;
            rec.digits = n.header.digits;
            rec.specUpper = n.header.specUpper;
            rec.specLower = n.header.specLower;
        }
        widest = std::max(widest, int(n.content.cells.size()));
        rec.enableFlags << (n.content.enabled ? QStringLiteral("1") : QStringLiteral("0"));
        rec.dataLines << model::writeDataLine(lot, n.content.cells);
    }
    rec.lotCount = std::max(10, int(lots.size()));
    rec.measurementCount = std::min(widest, 100);
    for (const auto& [seq, lot] : order) out.lots.push_back({lot, seq});
    out.baseline = baselineInForce(c);
    return out;
}

std::optional<Baseline> Store::baselineInForce(const Characteristic& c)
{
    const auto id = characteristicId(c);
    if (!id) return std::nullopt;
    const Rows r = c_->query(QStringLiteral(
                                 "SELECT b.id, b.chart_kind, b.limit_method, b.ucl, b.lcl, b.dispersion_ucl, b.centre, b.sigma, "
                                 "b.first_lot, b.last_lot, b.first_sequence, b.last_sequence, b.lot_count, b.set_by, b.station, "
                                 "b.set_us, b.reason FROM baselines b WHERE b.characteristic_id = $1 AND NOT EXISTS "
                                 "(SELECT 1 FROM baseline_retractions x WHERE x.baseline_id = b.id) ORDER BY b.id DESC LIMIT 1"),
                             {num(*id)});
    if (r.empty()) return std::nullopt;
    Baseline b;
    b.id = r.integer(0, 0);
    b.limits.chart = judge::chartKindFromIndex(int(r.integer(0, 1)));
    b.limits.method = judge::limitMethodFromIndex(int(r.integer(0, 2)));
    b.limits.ucl = r.text(0, 3);
    b.limits.lcl = r.text(0, 4);
    b.limits.dispersionUcl = r.text(0, 5);
    if (b.limits.method == judge::LimitMethod::Standard) {
        const auto centre = model::tryParseNumber(r.text(0, 6));
        const auto sigma = model::tryParseNumber(r.text(0, 7));
        if (centre && sigma) b.limits.basis = judge::LimitBasis{*centre, *sigma};
    }
    b.firstLot = r.text(0, 8);
    b.lastLot = r.text(0, 9);
    b.firstSequence = r.integer(0, 10);
    b.lastSequence = r.integer(0, 11);
    b.lotCount = int(r.integer(0, 12));
    b.setBy = r.text(0, 13);
    b.station = r.text(0, 14);
    b.setUs = r.integer(0, 15);
    b.reason = r.text(0, 16);
    return b;
}

qint64 Store::setBaseline(const LoadedSheet& loaded, const BaselineLimits& limits, const QString& by, const QString& station,
                          const QString& reason)
{
    if (reason.trimmed().isEmpty()) throw StoreError(Fault::Invalid, QStringLiteral("基準にする理由を入力してください"));
    if (loaded.lots.empty()) throw StoreError(Fault::Invalid, QStringLiteral("基準にするロットがありません"));
    if (limits.method == judge::LimitMethod::Standard && !limits.basis)
        throw StoreError(Fault::Invalid, QStringLiteral("管理図係数法の基準には X̿ と σ̂ が必要です"));
    const qint64 id = requireCharacteristic(loaded.origin.characteristic);
    const LoadedLot& first = loaded.lots.front();
    const LoadedLot& last = loaded.lots.back();
    WriteTransaction t(*c_);
    const Rows r = c_->query(
        QStringLiteral("INSERT INTO baselines (characteristic_id, chart_kind, limit_method, ucl, lcl, dispersion_ucl, centre, sigma, "
                       "first_lot, last_lot, first_sequence, last_sequence, lot_count, set_by, station, reason) VALUES "
                       "($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16) RETURNING id"),
        {num(id), num(int(limits.chart)), num(int(limits.method)), limits.ucl, limits.lcl, limits.dispersionUcl,
         limits.basis ? model::shortestText(limits.basis->centre) : QString(),
         limits.basis ? model::shortestText(limits.basis->sigma) : QString(), first.lot, last.lot, num(first.firstSequence),
         num(last.firstSequence), num(qint64(loaded.lots.size())), by, station, reason});
    t.commit();
    return r.integer(0, 0);
}

void Store::retractBaseline(qint64 id, const QString& by, const QString& station, const QString& reason)
{
    if (reason.trimmed().isEmpty()) throw StoreError(Fault::Invalid, QStringLiteral("基準を取り消す理由を入力してください"));
    WriteTransaction t(*c_);
    c_->query(QStringLiteral("INSERT INTO baseline_retractions (baseline_id, retracted_by, station, reason) VALUES ($1, $2, $3, $4)"),
              {num(id), by, station, reason});
    t.commit();
}

int Store::newLotsSince(const Characteristic& c, qint64 sequence, const QString& exceptStation)
{
    const auto id = characteristicId(c);
    if (!id) return 0;
    const Rows r = c_->query(QStringLiteral("SELECT count(DISTINCT lot) FROM lot_revisions WHERE characteristic_id = $1 "
                                            "AND sequence > $2 AND station <> $3"),
                             {num(*id), num(sequence), exceptStation});
    return int(r.integer(0, 0));
}

std::vector<Characteristic> Store::characteristicsWithLotsSince(qint64 us)
{
    const Rows r = c_->query(QStringLiteral("SELECT c.product, c.process, c.device, c.item FROM characteristics c WHERE EXISTS "
                                            "(SELECT 1 FROM lot_revisions r WHERE r.characteristic_id = c.id "
                                            "AND r.first_revision = 1 AND r.published_us >= $1)"),
                             {num(us)});
    std::vector<Characteristic> out;
    for (size_t i = 0; i < r.size(); ++i) out.push_back({r.text(i, 0), r.text(i, 1), r.text(i, 2), r.text(i, 3)});
    std::sort(out.begin(), out.end(), [](const Characteristic& a, const Characteristic& b) {
        return std::tie(a.product, a.process, a.device, a.item) < std::tie(b.product, b.process, b.device, b.item);
    });
    return out;
}

} // namespace store
