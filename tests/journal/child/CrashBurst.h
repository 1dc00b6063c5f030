// The burst of workbook changes the crash child commits, replayable: state n of a seed is
// the same in the child and in the test that checks what the child left behind.
#pragma once
#include "journal/Workbook.h"

#include <random>

namespace crash_burst {

inline model::SheetRecord sheet(int number, std::mt19937& rng)
{
    model::SheetRecord r;
    r.item = QStringLiteral("Sheet%1").arg(number);
    r.unit = QStringLiteral("MM");
    r.specKind = QStringLiteral("公差規格");
    r.digits = QStringLiteral("3");
    r.specUpper = QStringLiteral("10.500");
    r.specLower = QStringLiteral("9.500");
    r.lotCount = 10;
    r.measurementCount = 5;
    for (int lot = 1; lot <= 10; ++lot) {
        r.enableFlags.append(QStringLiteral("1"));
        r.dataLines.append(QStringLiteral("K%1,%2,,10.000,\"a b\",").arg(lot, 3, 10, QLatin1Char('0')).arg(rng() % 1000));
    }
    return r;
}

class Burst {
public:
    explicit Burst(unsigned seed) : rng_(seed)
    {
        for (int i = 0; i < 4; ++i) {
            book_.sheets.push_back(sheet(i + 1, rng_));
            book_.captions.append(book_.sheets.back().item);
        }
    }
    const journal::Workbook& book() const { return book_; }

    // The next change: a cell, a flag, an item name, the shown sheet and its chart settings,
    // or the sheet count.
    void step()
    {
        journal::Workbook& b = book_;
        const int s = int(rng_() % unsigned(b.count()));
        model::SheetRecord& r = b.sheets[size_t(s)];
        switch (rng_() % 10) {
        case 6: r.enableFlags[int(rng_() % 10)] = (rng_() % 2) ? QStringLiteral("1") : QStringLiteral("0"); break;
        case 7:
            r.item = QStringLiteral("項目%1").arg(rng_() % 100);
            b.captions[s] = r.item;
            break;
        case 8:
            b.shown = s;
            b.chart = int(rng_() % 3);
            b.limitMethod = int(rng_() % 2);
            b.ucl = QString::number(rng_() % 10000);
            break;
        case 9: {
            const int count = 1 + int(rng_() % 6);
            while (b.count() > count) {
                b.sheets.pop_back();
                b.captions.removeLast();
            }
            while (b.count() < count) {
                b.sheets.push_back(sheet(b.count() + 1, rng_));
                b.captions.append(b.sheets.back().item);
            }
            b.shown = std::min(b.shown, count - 1);
            break;
        }
        default:
            r.dataLines[int(rng_() % 10)] = QStringLiteral("K%1,%2.%3").arg(rng_() % 100).arg(rng_() % 20).arg(rng_() % 1000);
        }
    }

private:
    std::mt19937 rng_;
    journal::Workbook book_;
};

} // namespace crash_burst
