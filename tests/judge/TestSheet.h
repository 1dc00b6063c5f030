// Builds measurement and lot grids for the judgement tests.
#pragma once
#include "judge/Measurements.h"
#include "model/CellTable.h"

#include <QString>
#include <initializer_list>
#include <ostream>
#include <vector>

// Readable QString values in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace judge::testing {

struct TestSheet {
    model::CellTable cells;
    model::CellTable lots;
    int lotCount = 0;
    int measurementCount = 5;

    explicit TestSheet(int measurements = 5) : measurementCount(measurements) {}

    // Appends a lot row "K001".. with the given cell texts.
    TestSheet& lot(std::initializer_list<const char*> texts, bool enabled = true)
    {
        ++lotCount;
        lots.setText(0, lotCount, QStringLiteral("K%1").arg(lotCount, 3, 10, QChar(u'0')));
        lots.setFlag(1, lotCount, enabled);
        int c = 0;
        for (const char* t : texts) cells.setText(c++, lotCount, QString::fromUtf8(t));
        return *this;
    }
    TestSheet& values(const std::vector<double>& vs, bool enabled = true)
    {
        lot({}, enabled);
        int c = 0;
        for (double v : vs) cells.setText(c++, lotCount, QString::number(v, 'g', 17));
        return *this;
    }

    Measurements view() const { return Measurements(cells, lots, lotCount, measurementCount); }
};

inline QString q(const char* s) { return QString::fromUtf8(s); }

} // namespace judge::testing
