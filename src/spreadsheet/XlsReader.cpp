#include "spreadsheet/XlsReader.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <QFile>
#include <QSet>

#include <freexl.h>

namespace spreadsheet {

namespace {

struct Handle {
    const void* h = nullptr;
    ~Handle()
    {
        if (h) freexl_close(h);
    }
};

// BIFF8 bounds: a file claiming more is not read.
constexpr unsigned kMaxXlsRows = 65536;
constexpr unsigned kMaxXlsColumns = 256;
constexpr unsigned kMaxXlsSheets = 255;
constexpr unsigned long long kMaxXlsClaimedCells = 8ULL << 20;

QString uniqueName(QString wanted, int number, QSet<QString>& used)
{
    for (QChar& c : wanted)
        if (c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' || c == u']' || c.unicode() < 32) c = u'_';
    wanted = wanted.left(31);
    while (wanted.startsWith(u'\'')) wanted.remove(0, 1);
    while (wanted.endsWith(u'\'')) wanted.chop(1);
    if (wanted.isEmpty() || used.contains(wanted.toLower())) wanted = QStringLiteral("Sheet%1").arg(number);
    while (used.contains(wanted.toLower())) wanted += u'_';
    used.insert(wanted.toLower());
    return wanted;
}

} // namespace

std::unique_ptr<Book> readXls(const QString& path)
{
    // The library sizes its cell tables from each sheet's claimed dimensions, so the claims are
    // checked on a metadata-only pass before the cells are read.
    {
        Handle info;
        if (freexl_open_info(QFile::encodeName(path).constData(), &info.h) != FREEXL_OK)
            throw Error(QStringLiteral("The legacy workbook cannot be read."));
        unsigned int sheets = 0;
        if (freexl_get_info(info.h, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets > kMaxXlsSheets)
            throw Error(QStringLiteral("The legacy workbook's sheet list cannot be read."));
        unsigned long long claimed = 0;
        for (unsigned i = 0; i < sheets; ++i) {
            unsigned int rows = 0;
            unsigned short columns = 0;
            if (freexl_select_active_worksheet(info.h, static_cast<unsigned short>(i)) != FREEXL_OK
                || freexl_worksheet_dimensions(info.h, &rows, &columns) != FREEXL_OK)
                throw Error(QStringLiteral("The legacy workbook's worksheet %1 cannot be read.").arg(i + 1));
            claimed += static_cast<unsigned long long>(rows) * columns;
        }
        if (claimed > kMaxXlsClaimedCells)
            throw Error(QStringLiteral("The legacy workbook claims %1 cells; at most %2 are read.").arg(claimed).arg(kMaxXlsClaimedCells));
    }
    Handle handle;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &handle.h);
    if (rc != FREEXL_OK) throw Error(QStringLiteral("The legacy workbook cannot be read (error %1).").arg(rc));
    unsigned int count = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
        throw Error(QStringLiteral("The legacy workbook holds no worksheet."));
    if (count > kMaxXlsSheets) throw Error(QStringLiteral("The legacy workbook claims %1 worksheets.").arg(count));

    auto book = Book::createNew(static_cast<int>(count));
    // Give every sheet a provisional name first so the final names never collide with the defaults.
    for (unsigned i = 0; i < count; ++i) book->renameWorksheet(static_cast<int>(i), QStringLiteral("~quorvane~%1").arg(i));
    QSet<QString> used;
    for (unsigned i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle.h, static_cast<unsigned short>(i), &name) != FREEXL_OK)
            throw Error(QStringLiteral("The legacy workbook's worksheet %1 cannot be read.").arg(i + 1));
        book->renameWorksheet(static_cast<int>(i), uniqueName(QString::fromUtf8(name ? name : ""), static_cast<int>(i + 1), used));
        if (freexl_select_active_worksheet(handle.h, static_cast<unsigned short>(i)) != FREEXL_OK)
            throw Error(QStringLiteral("The legacy workbook's worksheet %1 cannot be read.").arg(i + 1));
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(handle.h, &rows, &columns) != FREEXL_OK)
            throw Error(QStringLiteral("The legacy workbook's worksheet %1 cannot be read.").arg(i + 1));
        if (rows > kMaxXlsRows || columns > kMaxXlsColumns)
            throw Error(QStringLiteral("The legacy workbook's worksheet %1 claims %2 rows and %3 columns.").arg(i + 1).arg(rows).arg(columns));
        for (unsigned r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(handle.h, r, c, &v) != FREEXL_OK) continue;
                const int row = static_cast<int>(r + 1), col = c + 1;
                switch (v.type) {
                case FREEXL_CELL_INT: book->setNumber(static_cast<int>(i), row, col, v.value.int_value); break;
                case FREEXL_CELL_DOUBLE: book->setNumber(static_cast<int>(i), row, col, v.value.double_value); break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME: {
                    const QString text = QString::fromUtf8(v.value.text_value ? v.value.text_value : "");
                    if (text.isEmpty()) break;
                    // Stored as text, exactly as the file holds it.
                    book->setText(static_cast<int>(i), row, col, text);
                    break;
                }
                default: break;
                }
            }
    }
    return book;
}

} // namespace spreadsheet
