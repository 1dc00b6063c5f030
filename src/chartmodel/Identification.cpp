#include "chartmodel/Identification.h"

#include "model/NumberText.h"
#include "model/SheetRecord.h"
#include "sheetview/ProgramVersion.h"
#include "sheetview/ViewTexts.h"

#include <algorithm>

namespace chartmodel {

namespace {

inline const QString kProgramName = QStringLiteral("Quorvane");
constexpr qsizetype kMarginLimit = 255;

QString specText(const Identification& id)
{
    QString limits;
    if (!id.specUpper.isEmpty()) limits += QStringLiteral("上限 ") + id.specUpper;
    if (!id.specLower.isEmpty()) limits += (limits.isEmpty() ? QString() : QStringLiteral("　")) + QStringLiteral("下限 ") + id.specLower;
    return limits.isEmpty() ? id.specKind : id.specKind + QStringLiteral("　") + limits;
}

QString madeText(const Identification& id) { return id.made.toString(QStringLiteral("yyyy/MM/dd HH:mm")); }

QString programText(const Identification& id) { return kProgramName + u' ' + id.version; }

// A limit as the field would show it with the sheet's digits; the field's text when it is no number.
QString withDigits(const QString& text, int digits)
{
    const auto v = model::tryParseNumber(text);
    return v ? model::formatFixed(*v, digits) : text.trimmed();
}

// Texts for a header section: "&" stands for itself, line breaks become blanks.
QString escaped(QString text)
{
    text.replace(u'&', QStringLiteral("&&"));
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text;
}

// Sections "&L…&C…&R…" cut to the limit, the longest losing its end first. The section
// `codes` holds the spreadsheet's own codes and is taken as it is.
QString margin(const QStringList& sections, int codes = -1)
{
    static const char* const positions[] = {"&L", "&C", "&R"};
    QStringList parts = sections;
    for (int i = 0; i < parts.size(); ++i)
        if (i != codes) parts[i] = escaped(parts[i]);
    auto total = [&] {
        qsizetype n = 0;
        for (const QString& p : parts) n += 2 + p.size();
        return n;
    };
    while (total() > kMarginLimit) {
        auto longest = std::max_element(parts.begin(), parts.end(), [](const QString& a, const QString& b) { return a.size() < b.size(); });
        longest->chop(std::min<qsizetype>(longest->size(), total() - kMarginLimit + 1));
        // A cut must not leave half of a doubled "&" at the end.
        if (longest->endsWith(u'&') && !longest->endsWith(QStringLiteral("&&"))) longest->chop(1);
        longest->append(u'…');
    }
    QString out;
    for (int i = 0; i < 3; ++i) out += QString::fromLatin1(positions[i]) + parts.value(i);
    return out;
}

} // namespace

Identification identification(const sheetview::SheetView& view, const QDateTime& made)
{
    Identification id;
    id.product = view.product.trimmed();
    id.process = view.process.trimmed();
    id.device = view.device.trimmed();
    id.item = view.item.trimmed();
    id.unit = view.unit.trimmed();
    const judge::SpecKind kind = view.specKind;
    id.specKind = sheetview::listText(model::specKindTexts(), int(kind));
    const int digits = model::digitsFromText(view.digits);
    if (kind != judge::SpecKind::LowerOnly) id.specUpper = withDigits(view.specUpper, digits);
    if (kind != judge::SpecKind::UpperOnly) id.specLower = withDigits(view.specLower, digits);
    id.lotCount = std::clamp(view.calcRowCount - 2, 0, model::CellTable::kMaxLots);
    id.measurementCount = view.measurementCount;
    id.limitMethod = sheetview::listText(sheetview::limitMethodTexts(), view.limitMethod);
    id.chartKind = sheetview::listText(sheetview::chartKindTexts(), view.chart);
    id.made = made;
    id.version = QStringLiteral(QUORVANE_FILE_VERSION);
    return id;
}

std::vector<std::pair<QString, QString>> identityRows(const Identification& id)
{
    return {
        {QStringLiteral("品種名称"), id.product},
        {QStringLiteral("工程名称"), id.process},
        {QStringLiteral("装置名称"), id.device},
        {QStringLiteral("項目名称"), id.item},
        {QStringLiteral("測定単位"), id.unit},
        {QStringLiteral("規格種別"), specText(id)},
        {QStringLiteral("ロット数"), QString::number(id.lotCount)},
        {QStringLiteral("測定数/ロット"), QString::number(id.measurementCount)},
        {QStringLiteral("管理限界値"), id.limitMethod},
        {QStringLiteral("管理図"), id.chartKind},
        {QStringLiteral("作成日時"), madeText(id)},
        {QStringLiteral("バージョン"), programText(id)},
    };
}

QStringList identityLines(const Identification& id)
{
    const QString sep = QStringLiteral("　");
    return {
        QStringLiteral("品種名称：%1%4工程名称：%2%4装置名称：%3").arg(id.product, id.process, id.device, sep),
        QStringLiteral("項目名称：%1%5測定単位：%2%5%3%5管理限界値：%4").arg(id.item, id.unit, specText(id), id.limitMethod, sep),
        QStringLiteral("作成日時：%1%3%2").arg(madeText(id), programText(id), sep),
    };
}

PageMargins pageMargins(const Identification& id)
{
    const QString sep = QStringLiteral("　");
    const QString middle = id.unit.isEmpty() ? id.item : QStringLiteral("%1 (%2)").arg(id.item, id.unit);
    return {margin({id.product + sep + id.process + sep + id.device, middle + sep + specText(id), id.limitMethod + sep + id.chartKind}),
            margin({madeText(id), QStringLiteral("&P / &N"), programText(id)}, 1)};
}

} // namespace chartmodel
