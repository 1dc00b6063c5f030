// The workbook as the recovery journal keeps it: every sheet record (the shown one as saving
// it would store it at that moment), the tab captions, the shown sheet and the shown sheet's
// chart settings, which no record holds.
#pragma once
#include "model/SheetRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace journal {

struct Workbook {
    std::vector<model::SheetRecord> sheets;
    QStringList captions; // one tab caption per sheet
    int shown = 0;        // index of the shown sheet
    int chart = 0;        // ChartKind item
    int limitMethod = 0;  // LimitMethod item
    QString ucl, lcl, rsUcl;

    int count() const { return int(sheets.size()); }
    friend bool operator==(const Workbook&, const Workbook&) = default;
};

// What an operation that replaces sheets wholesale replaced: the whole workbook, or (a CSV
// import into the shown sheet) the one sheet `book.shown`, held as book.sheets[0].
struct Snapshot {
    bool whole = true;
    Workbook book;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

class JournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A record as the journal stores it, and back. A stored record that does not decode exactly
// throws JournalError.
QByteArray encodeRecord(const model::SheetRecord& record);
model::SheetRecord decodeRecord(const QByteArray& bytes);

// Equal records, cheaply for the usual case of a record not touched since it was last
// written: texts and lists still shared with that copy compare by identity first.
bool sameRecord(const model::SheetRecord& a, const model::SheetRecord& b);

} // namespace journal
