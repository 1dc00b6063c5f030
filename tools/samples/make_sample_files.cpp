// Writes the sample files of the "Sample Files" folder: one workbook of three sheets and the
// same sheets as CSV files, through the program's own exchange writers, so the files are
// exactly what "全てのシートをExcelで保存" and "全てのシートをCSVで保存" write.
//
// The measurements come from a fixed-seed generator that uses integer arithmetic and
// additions only, so every build writes the same values on every platform.
//
//   sheet 1  two-sided tolerance, 30 lots: one value above the upper limit, and one lot
//            disabled before the export (a disabled lot is not written, so the files lack it)
//   sheet 2  upper limit only, 40 lots: the lot means drift upwards from lot 21 on, so run
//            rules fire
//   sheet 3  lower limit only, 25 lots: a stable process that passes every judgement
#include "exchange/CsvWriter.h"
#include "exchange/SheetLayout.h"
#include "exchange/WorkbookExport.h"
#include "model/DataLine.h"
#include "model/NumberText.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <cstdint>

namespace {

// splitmix64: a small generator whose sequence is fixed by its seed.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    double uniform() // [0, 1)
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return double(z >> 11) * 0x1.0p-53;
    }
    // Approximately standard normal: the sum of twelve uniforms less six.
    double normal()
    {
        double sum = 0;
        for (int i = 0; i < 12; ++i) sum += uniform();
        return sum - 6.0;
    }

private:
    std::uint64_t state_;
};

struct Characteristic {
    QString product, process, device, item, unit;
    int specKind = 0; // 0 tolerance, 1 upper limit only, 2 lower limit only
    int digits = 3;
    double upper = 0, lower = 0;
    QString lotPrefix;
    int lots = 25, measurements = 5;
    double mean = 0, withinSd = 0, betweenSd = 0;
    int driftFromLot = 0; // 0: no drift; otherwise the lot number where the drift starts
    double driftPerLot = 0;
    std::uint64_t seed = 1;
    // One value placed by hand: lot number (from 1), measurement (from 1), value.
    int placedLot = 0, placedMeasurement = 0;
    double placedValue = 0;
    int disabledLot = 0; // lot number (from 1) disabled before the export; 0: none
};

model::SheetRecord makeRecord(const Characteristic& c)
{
    model::SheetRecord r;
    r.product = c.product;
    r.process = c.process;
    r.device = c.device;
    r.item = c.item;
    r.unit = c.unit;
    r.specKind = model::specKindTexts()[c.specKind];
    r.digits = QString::number(c.digits);
    if (c.specKind != 2) r.specUpper = model::formatFixed(c.upper, c.digits);
    if (c.specKind != 1) r.specLower = model::formatFixed(c.lower, c.digits);
    r.lotCount = c.lots;
    r.measurementCount = c.measurements;

    Random random(c.seed);
    for (int lot = 1; lot <= c.lots; ++lot) {
        double lotMean = c.mean + c.betweenSd * random.normal();
        if (c.driftFromLot > 0 && lot >= c.driftFromLot) lotMean += c.driftPerLot * (lot - c.driftFromLot + 1);
        QStringList cells;
        for (int m = 1; m <= c.measurements; ++m) {
            double v = lotMean + c.withinSd * random.normal();
            if (lot == c.placedLot && m == c.placedMeasurement) v = c.placedValue;
            cells.append(model::formatFixed(v, c.digits));
        }
        const QString lotNumber = QStringLiteral("%1-%2").arg(c.lotPrefix).arg(lot, 3, 10, QLatin1Char('0'));
        r.dataLines.append(model::writeDataLine(lotNumber, cells));
        r.enableFlags.append(lot == c.disabledLot ? QStringLiteral("0") : QStringLiteral("1"));
    }
    return r;
}

std::vector<Characteristic> characteristics()
{
    Characteristic shaft;
    shaft.product = QStringLiteral("ギアシャフト GS-120");
    shaft.process = QStringLiteral("外径研削");
    shaft.device = QStringLiteral("円筒研削盤 G-03");
    shaft.item = QStringLiteral("軸外径");
    shaft.unit = QStringLiteral("mm");
    shaft.specKind = 0;
    shaft.digits = 3;
    shaft.upper = 25.020;
    shaft.lower = 24.980;
    shaft.lotPrefix = QStringLiteral("GS");
    shaft.lots = 30;
    shaft.mean = 25.000;
    shaft.withinSd = 0.0025;
    shaft.betweenSd = 0.0025;
    shaft.seed = 3;
    shaft.placedLot = 18;
    shaft.placedMeasurement = 4;
    shaft.placedValue = 25.024;
    shaft.disabledLot = 7;

    Characteristic roughness;
    roughness.product = QStringLiteral("ギアシャフト GS-120");
    roughness.process = QStringLiteral("仕上げ旋削");
    roughness.device = QStringLiteral("NC旋盤 L-12");
    roughness.item = QStringLiteral("表面粗さRa");
    roughness.unit = QStringLiteral("μm");
    roughness.specKind = 1;
    roughness.digits = 2;
    roughness.upper = 1.60;
    roughness.lotPrefix = QStringLiteral("RA");
    roughness.lots = 40;
    roughness.mean = 0.80;
    roughness.withinSd = 0.05;
    roughness.betweenSd = 0.05;
    roughness.driftFromLot = 21;
    roughness.driftPerLot = 0.012;
    roughness.seed = 394;

    Characteristic weld;
    weld.product = QStringLiteral("ブラケット BK-30");
    weld.process = QStringLiteral("スポット溶接");
    weld.device = QStringLiteral("溶接ロボット W-2");
    weld.item = QStringLiteral("溶接強度");
    weld.unit = QStringLiteral("kN");
    weld.specKind = 2;
    weld.digits = 2;
    weld.lower = 4.00;
    weld.lotPrefix = QStringLiteral("BK");
    weld.lots = 25;
    weld.mean = 6.00;
    weld.withinSd = 0.15;
    weld.betweenSd = 0.15;
    weld.seed = 5;

    return {shaft, roughness, weld};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make_sample_files FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        err << "cannot create " << folder.path() << "\n";
        return 1;
    }

    model::SheetStore store;
    const std::vector<Characteristic> sheets = characteristics();
    store.resize(int(sheets.size()), true, model::AppSettings::defaults(), 10, 5);
    for (int i = 0; i < store.count(); ++i) store[i] = makeRecord(sheets[size_t(i)]);

    try {
        spreadsheet::Application application;
        exchange::WorkbookSheets written = exchange::WriteWorkbookSheets(application, store);
        written.workbook.saveAs(folder.filePath(QStringLiteral("SampleWorkbook.xlsx")));

        // Every file of one export carries the headings of the sheet shown: sheet 1's.
        QStringList headings;
        for (int c = 0; c < store[0].measurementCount; ++c) headings.append(exchange::measurementHeading(c));
        const QString headingLine = exchange::csvHeadingLine(exchange::lotHeading(), headings);
        for (int i = 0; i < store.count(); ++i)
            exchange::WriteSheetCsv(folder.filePath(QStringLiteral("SampleSheet%1.csv").arg(i + 1)), store[i], i + 1,
                                    headingLine);
    } catch (const spreadsheet::Error& e) {
        err << e.message() << "\n";
        return 1;
    }
    return 0;
}
