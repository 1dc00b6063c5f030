#include "store/Publication.h"

#include "model/DataLine.h"
#include "model/NumberText.h"
#include "model/Text.h"
#include "sheetview/GridLayout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <variant>

namespace store {

namespace {

using Cell = std::variant<std::monostate, double, QString>; // blank, number, other text

std::vector<Cell> comparable(const QStringList& cells)
{
    std::vector<Cell> out;
    out.reserve(size_t(cells.size()));
    for (const QString& c : cells) {
        if (model::isBlank(c)) out.emplace_back();
        else if (const auto v = model::tryParseNumber(c)) out.emplace_back(*v);
        else out.emplace_back(c);
    }
    while (!out.empty() && std::holds_alternative<std::monostate>(out.back())) out.pop_back();
    return out;
}

bool isDefaultItem(const QString& item)
{
    static const QRegularExpression name(QStringLiteral("^Sheet[0-9]+$"));
    return name.match(item).hasMatch();
}

QStringList toStrings(const QJsonValue& v)
{
    QStringList out;
    for (const QJsonValue& e : v.toArray()) out << e.toString();
    return out;
}

} // namespace

bool sameContent(const LotContent& a, const LotContent& b)
{
    return a.enabled == b.enabled && comparable(a.cells) == comparable(b.cells);
}

PublicationPlan planPublication(const model::SheetRecord& r, const PlanRequest& request)
{
    PublicationPlan plan;
    plan.characteristic = {r.product, r.process, r.device, r.item};
    plan.header = {r.unit, r.specKind, r.digits, r.specUpper, r.specLower};
    plan.station = request.station;
    plan.operatorName = request.operatorName;
    plan.reason = request.reason;

    const int rows = std::clamp(r.lotCount, 0, int(r.dataLines.size()));
    const int columns = std::max(r.measurementCount, 1);
    QHash<QString, int> seen; // lot number -> row
    bool defaultLots = false;
    for (int i = 0; i < rows; ++i) {
        const int row = i + 1;
        model::ParsedDataLine line = model::readDataLine(r.dataLines[i]);
        QStringList cells = line.cells.mid(0, columns);
        while (cells.size() < columns) cells << QString();
        const bool hasValue = std::any_of(cells.begin(), cells.end(), [](const QString& c) { return !model::isBlank(c); });
        const bool hasNumber = !model::isBlank(line.lotNumber);
        const bool untouched = line.lotNumber == sheetview::defaultLotNumber(row);
        if (!hasValue) {
            if (hasNumber && !untouched) plan.skipped.push_back({row, line.lotNumber, QStringLiteral("測定値がありません")});
            continue;
        }
        if (!hasNumber) {
            plan.skipped.push_back({row, line.lotNumber, QStringLiteral("ロット番号がありません")});
            continue;
        }
        const auto notNumber = std::find_if(cells.begin(), cells.end(), [](const QString& c) {
            return !model::isBlank(c) && !model::tryParseNumber(c);
        });
        if (notNumber != cells.end()) {
            plan.skipped.push_back({row, line.lotNumber, QStringLiteral("数値でない測定値があります: %1").arg(*notNumber)});
            continue;
        }
        if (const auto other = seen.constFind(line.lotNumber); other != seen.constEnd()) {
            plan.skipped.push_back({row, line.lotNumber, QStringLiteral("同じロット番号が %1 行目にあります").arg(*other)});
            continue;
        }
        seen.insert(line.lotNumber, row);
        defaultLots = defaultLots || untouched;
        const bool enabled = i >= r.enableFlags.size() || r.enableFlags[i] == u"1";
        plan.lots.push_back({row, line.lotNumber, {enabled, cells}, QUuid::createUuid().toString(QUuid::WithoutBraces)});
    }
    QStringList defaults;
    if (isDefaultItem(r.item)) defaults << QStringLiteral("項目名称が初期値 (%1) のままです").arg(r.item);
    if (defaultLots) defaults << QStringLiteral("ロット番号が初期値 (K001…) のままです");
    if (!defaults.isEmpty()) plan.defaultNames = defaults.join(QStringLiteral("。"));
    return plan;
}

QByteArray PublicationPlan::toJson() const
{
    QJsonArray lotArray;
    for (const PlannedLot& l : lots)
        lotArray.append(QJsonObject{{QStringLiteral("row"), l.row},
                                    {QStringLiteral("lot"), l.lot},
                                    {QStringLiteral("enabled"), l.content.enabled},
                                    {QStringLiteral("cells"), QJsonArray::fromStringList(l.content.cells)},
                                    {QStringLiteral("publication_id"), l.publicationId}});
    const QJsonObject o{
        {QStringLiteral("characteristic"),
         QJsonArray{characteristic.product, characteristic.process, characteristic.device, characteristic.item}},
        {QStringLiteral("header"), QJsonArray{header.unit, header.specKind, header.digits, header.specUpper, header.specLower}},
        {QStringLiteral("station"), station},
        {QStringLiteral("operator"), operatorName},
        {QStringLiteral("reason"), reason},
        {QStringLiteral("lots"), lotArray},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<PublicationPlan> PublicationPlan::fromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument d = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !d.isObject()) return std::nullopt;
    const QJsonObject o = d.object();
    const QStringList c = toStrings(o.value(QStringLiteral("characteristic")));
    const QStringList h = toStrings(o.value(QStringLiteral("header")));
    if (c.size() != 4 || h.size() != 5) return std::nullopt;
    PublicationPlan p;
    p.characteristic = {c[0], c[1], c[2], c[3]};
    p.header = {h[0], h[1], h[2], h[3], h[4]};
    p.station = o.value(QStringLiteral("station")).toString();
    p.operatorName = o.value(QStringLiteral("operator")).toString();
    p.reason = o.value(QStringLiteral("reason")).toString();
    for (const QJsonValue& v : o.value(QStringLiteral("lots")).toArray()) {
        const QJsonObject l = v.toObject();
        PlannedLot lot{l.value(QStringLiteral("row")).toInt(), l.value(QStringLiteral("lot")).toString(),
                       {l.value(QStringLiteral("enabled")).toBool(), toStrings(l.value(QStringLiteral("cells")))},
                       l.value(QStringLiteral("publication_id")).toString()};
        if (lot.publicationId.isEmpty()) return std::nullopt;
        p.lots.push_back(std::move(lot));
    }
    return p;
}

} // namespace store
