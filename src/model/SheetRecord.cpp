#include "model/SheetRecord.h"

#include "model/Text.h"

#include <algorithm>

namespace model {

bool holdsMeasurements(const SheetRecord& record)
{
    for (const QString& line : record.dataLines) {
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0) continue;
        for (qsizetype i = comma + 1; i < line.size(); ++i)
            if (line[i] != u',' && line[i] != u'"' && line[i] > u' ') return true;
    }
    return false;
}

QString defaultSheetName(int sheetNumber) { return QStringLiteral("Sheet%1").arg(sheetNumber); }

SheetRecord defaultRecord(int sheetNumber, const AppSettings& app, int lotCount, int measurementCount)
{
    SheetRecord r;
    r.item = defaultSheetName(sheetNumber);
    r.unit = app.Unit;
    r.specKind = specKindTexts().value(app.SpecIndex, specKindTexts().front());
    r.digits = QString::number(app.Keta);
    r.lotCount = lotCount;
    r.measurementCount = measurementCount;
    return r;
}

int specKindIndex(const QString& text)
{
    if (text == specKindTexts()[1]) return 1;
    if (text == specKindTexts()[2]) return 2;
    return 0;
}

int digitsFromText(const QString& text)
{
    const QStringView t = trimmed(text);
    if (t.isEmpty()) return 3;
    bool ok = false;
    const int d = t.toInt(&ok);
    return ok ? std::clamp(d, 0, 5) : 3;
}

void SheetStore::resize(int count, bool reinitialise, const AppSettings& app, int lotCount, int measurementCount)
{
    const int old = this->count();
    records_.resize(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        if (reinitialise || i >= old) records_[size_t(i)] = defaultRecord(i + 1, app, lotCount, measurementCount);
}

} // namespace model
