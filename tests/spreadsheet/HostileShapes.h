#pragma once
// Files shaped to make a reader do more than linear work, each beside a plain file of about the
// same size, for the complexity tests, the benchmarks and the fuzz corpora.
#include <QByteArray>
#include <QString>

#include <vector>

namespace testing_support {

struct HostileShape {
    const char* name;
    QByteArray hostile; // the whole file (.xls or .xlsx)
    QByteArray plain;   // the same kind of file, about as large, holding ordinary cells
};

// A legacy workbook of one worksheet holding plain NUMBER cells, about `bytes` large.
QByteArray plainLegacyWorkbook(qsizetype bytes);
// A workbook package whose one worksheet holds `cells` numbers, one cell per row in order.
QByteArray plainPackage(int cells);

// One MULBLANK record split into `entries` CONTINUE parts of one entry each, then A1 = 7.
QByteArray mulBlankInPieces(int entries);
// A shared string table of `strings` strings, each in a CONTINUE record of its own; A1 shows the last.
QByteArray sharedStringsInPieces(int strings);
// `formats` FORMAT records, one XF for each and one cell using each XF.
QByteArray manyNumberFormats(int formats);
// `rows` rows of 16,384 RK cells, each row written from its last column to its first.
QByteArray legacyCellsRightToLeft(int rows);
// The same as a package: every cell in a row element of its own, last column first.
QByteArray packageCellsRightToLeft(int rows);
// A styles part of `formats` cell formats and `cells` date cells (t="d") using the last one.
// With `dates` false the cells hold the same day numbers as plain numbers.
QByteArray datesOverManyStyles(int formats, int cells, bool dates = true);

// `sheets` sheet entries all pointing at the body of the first, which holds `cells` numbers.
QByteArray sharedWorksheetBody(int sheets, int cells);
// `sheets` sheet entries pointing at nested worksheet bodies: each begins inside the one before.
QByteArray nestedWorksheetBodies(int sheets, int cells);

// Every shape at the given scale (1 = the size the tests use).
std::vector<HostileShape> hostileShapes(int scale = 1);

} // namespace testing_support
