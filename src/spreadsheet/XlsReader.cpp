#include "spreadsheet/XlsReader.h"

#include "spreadsheet/BiffRecords.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/CompoundFile.h"
#include "spreadsheet/DateSerial.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/NumberFormats.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/SheetNames.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace spreadsheet {

namespace {

using biff::Record;
using biff::RecordCursor;
using biff::RecordReader;

// BIFF8 bounds: a worksheet claiming more is not read.
constexpr unsigned kMaxXlsRows = 65536;
constexpr unsigned kMaxXlsColumns = 256;
constexpr std::size_t kMaxRecordSize = 8224;
constexpr std::uint16_t kWorksheetSubstream = 0x0010;
constexpr std::uint16_t kGlobalsSubstream = 0x0005;

[[noreturn]] void damaged(const QString& why)
{
    throw Error(QStringLiteral("The legacy workbook is damaged: %1.").arg(why));
}

QString errorText(std::uint8_t code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    default: return QStringLiteral("#N/A");
    }
}

double rkValue(std::uint32_t rk)
{
    double v;
    if (rk & 2) {
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 1) ? v / 100 : v;
}

struct SheetEntryInfo {
    QString name;
    std::uint32_t offset = 0;
    std::uint8_t kind = 0; // 0 worksheet, 1 macro sheet, 2 chart, 6 module
};

// Everything the workbook's globals say that the cells need.
struct Globals {
    bool biff8 = true;
    bool date1904 = false;
    biff::CodePageDecoder decoder{1252};
    std::vector<QString> sharedStrings;
    std::map<std::uint16_t, QString> formats;
    std::vector<std::uint16_t> xfFormats; // number format id by XF index
    std::vector<SheetEntryInfo> sheets;
};

QString shortString(RecordCursor& c, Globals& g)
{
    return g.biff8 ? c.unicodeString(false) : c.codePageString(c.u8(), g.decoder);
}

QString longString(RecordCursor& c, Globals& g)
{
    return g.biff8 ? c.unicodeString(true) : c.codePageString(c.u16(), g.decoder);
}

Globals readGlobals(const QByteArray& stream)
{
    Globals g;
    RecordReader records(stream, kMaxRecordSize);
    Record r;
    if (!records.next(r) || r.type != biff::Bof) damaged(QStringLiteral("its stream does not begin a workbook"));
    {
        RecordCursor c(r);
        const std::uint16_t version = c.u16();
        const std::uint16_t kind = c.u16();
        if (version != 0x0600 && version != 0x0500)
            throw Error(QStringLiteral("The legacy workbook's format version 0x%1 is not read (only Excel 95 and 97-2003 workbooks are).").arg(version, 4, 16, QLatin1Char('0')));
        if (kind != kGlobalsSubstream) damaged(QStringLiteral("its stream does not begin with the workbook globals"));
        g.biff8 = version == 0x0600;
    }
    while (records.next(r)) {
        RecordCursor c(r);
        switch (r.type) {
        case biff::Eof: return g;
        case biff::FilePass: throw Error(QStringLiteral("The legacy workbook is password-protected; it cannot be read."));
        case biff::CodePage: g.decoder = biff::CodePageDecoder(c.u16()); break;
        case biff::DateMode: g.date1904 = c.u16() == 1; break;
        case biff::BoundSheet: {
            if (g.sheets.size() >= static_cast<size_t>(kMaxSheets)) throw Error(QStringLiteral("The legacy workbook has more than %1 sheets.").arg(kMaxSheets));
            SheetEntryInfo s;
            s.offset = c.u32();
            c.u8(); // visibility
            s.kind = c.u8();
            s.name = shortString(c, g);
            g.sheets.push_back(std::move(s));
            break;
        }
        case biff::Format: {
            const std::uint16_t id = c.u16();
            g.formats[id] = g.biff8 ? c.unicodeString(true) : c.codePageString(c.u8(), g.decoder);
            break;
        }
        case biff::Xf:
            c.u16(); // font
            g.xfFormats.push_back(c.u16());
            break;
        case biff::Sst: {
            if (!g.biff8) break;
            c.u32(); // references in all
            const std::uint32_t unique = c.u32();
            // Strings are kept as they are found; the count the record claims sizes nothing.
            while (g.sharedStrings.size() < unique && c.remaining() > 0) {
                if (static_cast<long long>(g.sharedStrings.size()) >= kMaxCells)
                    throw Error(QStringLiteral("The legacy workbook holds more than %1 shared strings.").arg(kMaxCells));
                g.sharedStrings.push_back(c.unicodeString(true));
            }
            break;
        }
        default: break;
        }
    }
    damaged(QStringLiteral("its globals have no end"));
}

// Where each worksheet's records must end: at the next worksheet's beginning. Sheets sharing
// their records are refused, as a package listing one part for two sheets is; a body read for
// many sheets would multiply the work.
std::vector<std::size_t> worksheetEnds(const std::vector<const SheetEntryInfo*>& worksheets, std::size_t streamSize)
{
    std::vector<std::uint32_t> starts;
    for (const SheetEntryInfo* w : worksheets) starts.push_back(w->offset);
    std::sort(starts.begin(), starts.end());
    if (const auto twice = std::adjacent_find(starts.begin(), starts.end()); twice != starts.end())
        throw Error(QStringLiteral("The legacy workbook lists the worksheet at byte %1 for more than one sheet.").arg(*twice));
    std::vector<std::size_t> ends;
    for (const SheetEntryInfo* w : worksheets) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), w->offset);
        ends.push_back(next == starts.end() ? streamSize : *next);
    }
    return ends;
}

// Reads one worksheet's substream, from its BOF record to the matching EOF before `end`, handing
// every record to `visit`; embedded chart substreams are passed over.
template <class Visit>
void walkSheet(const QByteArray& stream, const SheetEntryInfo& sheet, std::size_t end, int number, Visit&& visit)
{
    RecordReader records(stream, kMaxRecordSize);
    records.seek(sheet.offset);
    Record r;
    if (sheet.offset >= static_cast<std::uint64_t>(stream.size()) || !records.next(r) || r.type != biff::Bof)
        damaged(QStringLiteral("worksheet %1 does not begin where the workbook says").arg(number));
    int depth = 0;
    while (records.next(r)) {
        if (r.offset >= end) damaged(QStringLiteral("worksheet %1 runs into the next worksheet").arg(number));
        if (r.type == biff::Bof) {
            ++depth;
        } else if (r.type == biff::Eof) {
            if (depth-- == 0) return;
        } else if (depth == 0) {
            visit(r);
        }
    }
    damaged(QStringLiteral("worksheet %1 has no end").arg(number));
}

// The kind of substream a sheet entry points at (worksheet, chart, macro sheet).
std::uint16_t substreamKind(const QByteArray& stream, const SheetEntryInfo& sheet, int number)
{
    RecordReader records(stream, kMaxRecordSize);
    records.seek(sheet.offset);
    Record r;
    if (sheet.offset >= static_cast<std::uint64_t>(stream.size()) || !records.next(r) || r.type != biff::Bof)
        damaged(QStringLiteral("sheet %1 does not begin where the workbook says").arg(number));
    RecordCursor c(r);
    c.u16();
    return c.u16();
}

// Builds the cells of one worksheet from its records.
class SheetBuilder {
public:
    SheetBuilder(BookData& book, SheetData& cells, Globals& globals, std::vector<std::int64_t>& styles, long long& cellTotal)
        : book_(book), cells_(cells), g_(globals), styles_(styles), cellTotal_(cellTotal)
    {
    }

    // After the last record: cells that came out of order take their places.
    void finish() { cells_.finish(); }

    void record(const Record& r)
    {
        RecordCursor c(r);
        if (r.type == biff::String) {
            if (pending_) {
                Cell& cell = at(pending_->row, pending_->column, pending_->xf);
                cell.type = CellType::Text;
                cell.text = longString(c, g_);
                pending_.reset();
            }
            return;
        }
        // Records between a formula and its string result (shared formulas, arrays, tables).
        if (r.type != 0x04BC && r.type != 0x0221 && r.type != 0x0236) pending_.reset();
        switch (r.type) {
        case biff::Number: {
            const auto [row, column, xf] = position(c);
            number(row, column, xf, c.f64());
            break;
        }
        case biff::Rk: {
            const auto [row, column, xf] = position(c);
            number(row, column, xf, rkValue(c.u32()));
            break;
        }
        case biff::MulRk: {
            const std::uint16_t row = c.u16();
            std::uint16_t column = c.u16();
            while (c.remaining() >= 6 + 2) {
                const std::uint16_t xf = c.u16();
                number(row, column++, xf, rkValue(c.u32()));
            }
            break;
        }
        case biff::LabelSst: {
            const auto [row, column, xf] = position(c);
            const std::uint32_t index = c.u32();
            if (index >= g_.sharedStrings.size())
                damaged(QStringLiteral("a cell refers to shared string %1 of %2").arg(index).arg(g_.sharedStrings.size()));
            text(row, column, xf, g_.sharedStrings[index]);
            break;
        }
        case biff::Label:
        case biff::RString: {
            const auto [row, column, xf] = position(c);
            text(row, column, xf, longString(c, g_));
            break;
        }
        case biff::BoolErr: {
            const auto [row, column, xf] = position(c);
            const std::uint8_t value = c.u8();
            if (c.u8()) error(row, column, xf, value);
            else boolean(row, column, xf, value != 0);
            break;
        }
        case biff::Formula: {
            const auto [row, column, xf] = position(c);
            std::uint8_t value[8];
            for (std::uint8_t& b : value) b = c.u8();
            if (value[6] != 0xFF || value[7] != 0xFF) {
                double d;
                std::memcpy(&d, value, sizeof d);
                number(row, column, xf, d);
            } else if (value[0] == 0) {
                pending_ = Pending{row, column, xf}; // the result follows in a STRING record
            } else if (value[0] == 1) {
                boolean(row, column, xf, value[2] != 0);
            } else if (value[0] == 2) {
                error(row, column, xf, value[2]);
            } else {
                blank(row, column, xf); // an empty text
            }
            break;
        }
        case biff::Blank: {
            const auto [row, column, xf] = position(c);
            blank(row, column, xf);
            break;
        }
        case biff::MulBlank: {
            const std::uint16_t row = c.u16();
            std::uint16_t column = c.u16();
            while (c.remaining() >= 2 + 2) blank(row, column++, c.u16());
            break;
        }
        default: break;
        }
    }

private:
    struct Pending {
        std::uint16_t row, column, xf;
    };
    struct Position {
        std::uint16_t row, column, xf;
    };
    static Position position(RecordCursor& c)
    {
        const std::uint16_t row = c.u16();
        const std::uint16_t column = c.u16();
        return {row, column, c.u16()};
    }

    QString formatCode(std::uint16_t xf) const
    {
        if (xf >= g_.xfFormats.size()) return QStringLiteral("General");
        const std::uint16_t id = g_.xfFormats[xf];
        if (const auto it = g_.formats.find(id); it != g_.formats.end()) return it->second;
        const char* builtin = builtinNumberFormat(id);
        return builtin ? QString::fromLatin1(builtin) : QStringLiteral("General");
    }

    // The engine style for an XF: its number format, nothing else. -2 marks a date format.
    std::uint32_t style(std::uint16_t xf, bool* date = nullptr)
    {
        if (xf >= styles_.size()) styles_.resize(static_cast<size_t>(xf) + 1, -1);
        std::int64_t& s = styles_[xf];
        if (s < 0) {
            const QString code = formatCode(xf);
            const bool isDate = isDateFormat(code);
            std::uint32_t id = 0;
            if (code.compare(u"General", Qt::CaseInsensitive) != 0) {
                Styles& styles = book_.editableStyles();
                id = styles.withNumberFormat(0, styles.numberFormatId(code));
            }
            s = static_cast<std::int64_t>(id) | (isDate ? (std::int64_t(1) << 32) : 0);
        }
        if (date) *date = (s >> 32) & 1;
        return static_cast<std::uint32_t>(s & 0xFFFFFFFF);
    }

    Cell& at(std::uint16_t row, std::uint16_t column, std::uint16_t xf)
    {
        if (column >= kMaxColumns) damaged(QStringLiteral("a cell in column %1").arg(column + 1));
        const std::uint32_t id = style(xf);
        bool created = false;
        Cell& cell = cells_.at(row + 1, column + 1, &created);
        if (created && ++cellTotal_ > kMaxCells) throw Error(QStringLiteral("The workbook holds more than %1 cells.").arg(kMaxCells));
        cell.style = id;
        cell.formula.reset();
        return cell;
    }

    void number(std::uint16_t row, std::uint16_t column, std::uint16_t xf, double v)
    {
        if (!std::isfinite(v)) damaged(QStringLiteral("a cell holds a number that is not finite"));
        bool date = false;
        style(xf, &date);
        Cell& cell = at(row, column, xf);
        cell.type = CellType::Number;
        cell.number = date && g_.date1904 ? v + k1904Offset : v;
        cell.text.clear();
    }

    void text(std::uint16_t row, std::uint16_t column, std::uint16_t xf, const QString& t)
    {
        if (t.isEmpty()) return blank(row, column, xf);
        Cell& cell = at(row, column, xf);
        cell.type = CellType::Text;
        cell.text = t;
    }

    void boolean(std::uint16_t row, std::uint16_t column, std::uint16_t xf, bool v)
    {
        Cell& cell = at(row, column, xf);
        cell.type = CellType::Boolean;
        cell.booleanValue = v;
        cell.text.clear();
    }

    void error(std::uint16_t row, std::uint16_t column, std::uint16_t xf, std::uint8_t code)
    {
        Cell& cell = at(row, column, xf);
        cell.type = CellType::Error;
        cell.text = errorText(code);
    }

    // A cell without a value is kept only for a number format worth keeping.
    void blank(std::uint16_t row, std::uint16_t column, std::uint16_t xf)
    {
        if (style(xf) == 0 && !cells_.find(row + 1, column + 1)) return;
        at(row, column, xf).clearValue();
    }

    BookData& book_;
    CellLoader cells_;
    Globals& g_;
    std::vector<std::int64_t>& styles_;
    long long& cellTotal_;
    std::optional<Pending> pending_;
};

QString uniqueName(const QString& wanted, int number, QSet<QString>& used)
{
    QString name = sanitizedSheetName(wanted);
    if (name.isEmpty() || used.contains(name.toLower())) name = QStringLiteral("Sheet%1").arg(number);
    while (used.contains(name.toLower())) name += u'_';
    used.insert(name.toLower());
    return name;
}

} // namespace

std::unique_ptr<Book> XlsReader::read(const QByteArray& file)
{
    if (file.size() > kMaxXlsFileSize) throw Error(QStringLiteral("The legacy workbook is larger than %1 bytes.").arg(kMaxXlsFileSize));
    const CompoundFile container(file);
    std::optional<QByteArray> stream = container.stream(u"Workbook");
    if (!stream) stream = container.stream(u"Book");
    if (!stream) throw Error(QStringLiteral("The file is a compound document without a workbook in it."));
    Globals g = readGlobals(*stream);

    // Only worksheets are read; chart and macro sheets are left out.
    std::vector<const SheetEntryInfo*> worksheets;
    for (size_t i = 0; i < g.sheets.size(); ++i)
        if (g.sheets[i].kind == 0 && substreamKind(*stream, g.sheets[i], static_cast<int>(i + 1)) == kWorksheetSubstream)
            worksheets.push_back(&g.sheets[i]);
    if (worksheets.empty()) throw Error(QStringLiteral("The legacy workbook holds no worksheet."));
    const std::vector<std::size_t> ends = worksheetEnds(worksheets, static_cast<std::size_t>(stream->size()));

    // The claimed dimensions are checked before any cell is read.
    unsigned long long claimed = 0;
    for (size_t i = 0; i < worksheets.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        walkSheet(*stream, *worksheets[i], ends[i], number, [&](const Record& r) {
            if (r.type != biff::Dimensions) return;
            RecordCursor c(r);
            std::uint32_t rows = 0, columns = 0;
            if (g.biff8) {
                c.u32();
                rows = c.u32();
            } else {
                c.u16();
                rows = c.u16();
            }
            c.u16();
            columns = c.u16();
            if (rows > kMaxXlsRows || columns > kMaxXlsColumns)
                throw Error(QStringLiteral("The legacy workbook's worksheet %1 claims %2 rows and %3 columns.").arg(number).arg(rows).arg(columns));
            claimed += static_cast<unsigned long long>(rows) * columns;
        });
    }
    if (claimed > kMaxXlsClaimedCells)
        throw Error(QStringLiteral("The legacy workbook claims %1 cells; at most %2 are read.").arg(claimed).arg(kMaxXlsClaimedCells));

    std::unique_ptr<Book> book = Book::createNew(static_cast<int>(worksheets.size()));
    // Provisional names first, so the final names never collide with the defaults.
    for (size_t i = 0; i < worksheets.size(); ++i) book->renameWorksheet(static_cast<int>(i), QStringLiteral("~quorvane~%1").arg(i));
    QSet<QString> used;
    BookData& d = *book->d;
    std::vector<std::int64_t> styles;
    long long cellTotal = 0;
    for (size_t i = 0; i < worksheets.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        book->renameWorksheet(static_cast<int>(i), uniqueName(worksheets[i]->name, number, used));
        SheetEntry& sheet = d.worksheet(static_cast<int>(i));
        SheetBuilder builder(d, sheet.cells, g, styles, cellTotal);
        walkSheet(*stream, *worksheets[i], ends[i], number, [&](const Record& r) { builder.record(r); });
        builder.finish();
        sheet.modified = true;
    }
    return book;
}

} // namespace spreadsheet
