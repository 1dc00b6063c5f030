#include "spreadsheet/WorksheetReader.h"

#include "model/NumberText.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/DateSerial.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/ParseBudget.h"
#include "spreadsheet/References.h"
#include "spreadsheet/SharedStrings.h"
#include "spreadsheet/SheetEntry.h"
#include "spreadsheet/Xml.h"
#include "spreadsheet/XmlStream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace spreadsheet {

namespace {

constexpr int kMaxRowAttributes = 32;
constexpr int kMaxFormulaAttributes = 16;
// Cells and formula characters a reader counts before adding them to the workbook's totals.
constexpr long long kCellBatch = 4096;
constexpr long long kFormulaBatch = 1 << 16;
// The longest markup of a cell's text: every character written as an escape (_xHHHH_).
constexpr std::size_t kMaxCellTextMarkup = 7 * static_cast<std::size_t>(kMaxCellText);

std::optional<std::uint64_t> parseUnsigned(std::string_view s, std::uint64_t max)
{
    std::uint64_t v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty() || v > max) return std::nullopt;
    return v;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The column of a cell reference written as programs write it ("CW104": capitals, then the row
// without a leading zero) when its row is `row`; 0 for any other form, which parseA1 then reads.
int plainColumnInRow(const char* r, int row)
{
    // Both loops stop one place past the longest plain form, so a long run cannot overflow.
    int column = 0, letters = 0;
    for (; letters <= 3 && *r >= 'A' && *r <= 'Z'; ++r, ++letters) column = column * 26 + (*r - 'A' + 1);
    if (letters == 0 || letters > 3 || column > kMaxColumns || *r < '1' || *r > '9') return 0;
    int value = 0, digits = 0;
    for (; digits <= 7 && *r >= '0' && *r <= '9'; ++r, ++digits) value = value * 10 + (*r - '0');
    return *r == '\0' && digits <= 7 && value == row ? column : 0;
}

// The kinds of value a cell's type attribute names.
enum class ValueKind { Number, Shared, Inline, Text, Date, Boolean, Error, Unknown };

ValueKind valueKind(std::string_view t)
{
    if (t.empty() || t == "n") return ValueKind::Number;
    if (t == "s") return ValueKind::Shared;
    if (t == "inlineStr") return ValueKind::Inline;
    if (t == "str") return ValueKind::Text;
    if (t == "d") return ValueKind::Date;
    if (t == "b") return ValueKind::Boolean;
    if (t == "e") return ValueKind::Error;
    return ValueKind::Unknown;
}

// A cell as its markup gives it, before it is checked and stored. Its style and type are read
// from the start tag; what they fail is reported only when the cell is stored, as ever.
struct RawCell {
    ValueKind kind = ValueKind::Number;
    bool styled = false;
    std::uint32_t style = 0;
    std::string refusedStyle, unknownType; // the attribute's text when it is refused
    std::string v, f, inlineText;
    bool hasV = false, hasF = false, hasInline = false;
    std::vector<std::pair<std::string, std::string>> formulaAttributes;
    void clear()
    {
        kind = ValueKind::Number;
        styled = false;
        style = 0;
        refusedStyle.clear(), unknownType.clear(), v.clear(), f.clear(), inlineText.clear();
        hasV = hasF = hasInline = false;
        formulaAttributes.clear();
    }
};

class WorksheetHandler : public xml::StreamHandler {
public:
    WorksheetHandler(SheetEntry& sheet, WorksheetContext& context, xml::StreamParser& parser)
        : sheet_(sheet)
        , c_(context)
        , parser_(parser)
        , where_(QString::fromStdString(sheet.partName))
    {
    }

    void startElement(std::string_view name, const char** attributes) override
    {
        const int depth = parser_.depth();
        const std::string_view local = xml::localName(name);
        if (inCells_) { // within the cell data, by how often each element comes
            if (depth == 4) {
                if (row_ > 0 && local == "c") startCell(attributes);
            } else if (depth == 5) {
                if (inCell_) startInCell(local, attributes);
            } else if (depth == 3) {
                if (local == "row") startRow(attributes);
            } else if (inCell_ && raw_.hasInline && (depth == 6 || depth == 7)) {
                if (local == "rPh") ++phonetic_;
                else if (local == "t" && !phonetic_) collect_ = Collect::T;
            }
            return;
        }
        if (depth == 1) {
            if (local != "worksheet") throw Error(QStringLiteral("The part %1 is not a worksheet.").arg(where_));
            return;
        }
        if (depth == 2 && local == "sheetData") {
            if (found_) throw Error(QStringLiteral("The worksheet %1 has two cell data elements.").arg(where_));
            found_ = inCells_ = true;
            openEnd_ = parser_.eventEnd();
        }
    }

    void startInCell(std::string_view local, const char** attributes)
    {
        if (local == "v") {
            raw_.hasV = true;
            collect_ = Collect::V;
        } else if (local == "f") {
            raw_.hasF = true;
            collect_ = Collect::F;
            if (xml::attributeCount(attributes) > kMaxFormulaAttributes)
                throw Error(QStringLiteral("The worksheet %1 has a formula with too many attributes.").arg(where_));
            for (const char** a = attributes; *a; a += 2) raw_.formulaAttributes.emplace_back(a[0], a[1]);
        } else if (local == "is") {
            raw_.hasInline = true;
        }
    }

    void endElement(std::string_view name) override
    {
        if (!inCells_) return;
        const int depth = parser_.depth();
        if (depth == 1) { // the cells end
            closeBegin_ = parser_.eventBegin();
            selfClosing_ = parser_.eventEnd() == closeBegin_;
            inCells_ = false;
            return;
        }
        const std::string_view local = xml::localName(name);
        if (local.size() == 1) { // a value, formula or text ends, or a cell
            if (local[0] == 'v' || local[0] == 'f' || local[0] == 't') {
                collect_ = Collect::None;
            } else if (local[0] == 'c' && depth == 3 && inCell_) {
                storeCell();
                inCell_ = false;
            }
        } else if (depth == 2 && local == "row") {
            flushRow();
        } else if (local == "rPh") {
            --phonetic_;
        }
    }

    void characters(std::string_view text) override
    {
        if (phonetic_) return;
        switch (collect_) {
        case Collect::V: collectValue(raw_.v, text); break;
        case Collect::F: raw_.f.append(text); break;
        case Collect::T: collectValue(raw_.inlineText, text); break;
        case Collect::None: break;
        }
    }

    // After the part: shared formulas whose master came late, and the skeleton.
    void finish(const QByteArray& data)
    {
        finishCells();
        if (parser_.stopped()) return; // the part was not read to its end: no skeleton
        // The rest of the part, without its cells, is kept as a small document.
        const QByteArray skeleton = selfClosing_ ? data : data.left(static_cast<qsizetype>(openEnd_)) + data.mid(static_cast<qsizetype>(closeBegin_));
        sheet_.skeleton = std::make_unique<pugi::xml_document>();
        c_.budget.chargeTree(skeleton.size(), sheet_.partName);
        xml::parse(*sheet_.skeleton, skeleton, sheet_.partName);
    }

    void finishCells()
    {
        flushRow(); // a row the reading stopped in
        if (!found_) throw Error(QStringLiteral("The worksheet %1 has no cell data.").arg(where_));
        loader_.finish();
        for (const Pending& pd : pending_) {
            const auto m = masters_.find(pd.si);
            // A master below the rows read is not needed: the cell keeps its cached value.
            if (m == masters_.end() && parser_.stopped()) continue;
            if (m == masters_.end()) throw Error(QStringLiteral("The worksheet %1 has a shared formula without its master.").arg(where_));
            auto formula = std::make_unique<Formula>();
            countFormula(m->second.text.size());
            formula->text = offsetRelative(m->second.text, pd.row - m->second.row, pd.column - m->second.column);
            sheet_.cells.at(pd.row, pd.column).formula.reset(formula.release());
        }
        addCounts();
    }

private:
    enum class Collect { None, V, F, T };
    struct Master {
        int row, column;
        QString text;
    };
    struct Pending {
        int row, column;
        std::uint64_t si;
    };

    void startRow(const char** attributes)
    {
        int row = lastRow_ + 1;
        if (const char* r = xml::attribute(attributes, "r")) {
            const auto v = parseUnsigned(r, kMaxRows);
            if (!v || *v == 0)
                throw Error(QStringLiteral("The worksheet %1 has a row number \"%2\" outside 1 to %3.").arg(where_, QString::fromUtf8(r).left(20)).arg(kMaxRows));
            row = static_cast<int>(*v);
        }
        if (row > kMaxRows) throw Error(QStringLiteral("The worksheet %1 has more than %2 rows.").arg(where_).arg(kMaxRows));
        if (row > c_.lastRow) { // a bounded read ends here
            inCells_ = false;
            parser_.stop();
            return;
        }
        row_ = lastRow_ = row;
        lastColumn_ = 0;
        if (xml::attributeCount(attributes) > kMaxRowAttributes) throw Error(QStringLiteral("The worksheet %1 has a row with too many attributes.").arg(where_));
        SheetData::RowAttributes kept;
        for (const char** a = attributes; *a; a += 2)
            if (std::strcmp(a[0], "r") != 0 && std::strcmp(a[0], "spans") != 0) kept.emplace_back(a[0], a[1]);
        if (!kept.empty()) {
            countCell();
            sheet_.cells.setRowAttributes(row, std::move(kept));
        }
    }

    void startCell(const char** attributes)
    {
        raw_.clear();
        inCell_ = true;
        column_ = lastColumn_ + 1;
        // The three attributes a cell carries, in one pass.
        const char *r = nullptr, *s = nullptr, *t = nullptr;
        for (const char** a = attributes; *a; a += 2) {
            const char* name = a[0];
            if (name[0] == '\0' || name[1] != '\0') continue;
            if (name[0] == 'r') r = a[1];
            else if (name[0] == 's') s = a[1];
            else if (name[0] == 't') t = a[1];
        }
        if (r) {
            if (const int plain = plainColumnInRow(r, row_)) {
                column_ = plain;
            } else {
                const auto pos = parseA1(std::string_view(r));
                if (!pos) throw Error(QStringLiteral("The worksheet %1 has a cell reference \"%2\" outside the grid.").arg(where_, QString::fromUtf8(r).left(20)));
                if (pos->row != row_) throw Error(QStringLiteral("The worksheet %1 places cell %2 in row %3.").arg(where_, QString::fromUtf8(r)).arg(row_));
                column_ = pos->column;
            }
        }
        if (column_ > kMaxColumns) throw Error(QStringLiteral("The worksheet %1 has more than %2 columns.").arg(where_).arg(kMaxColumns));
        lastColumn_ = column_;
        if (s && *s) {
            raw_.styled = true;
            const auto style = parseUnsigned(s, 0xffffffffu);
            if (style && (*style == 0 || *style < c_.cellFormats)) raw_.style = static_cast<std::uint32_t>(*style);
            else raw_.refusedStyle = s;
        }
        if (t) {
            raw_.kind = valueKind(t);
            if (raw_.kind == ValueKind::Unknown) raw_.unknownType = t;
        }
    }

    [[noreturn]] void tooLong() const
    {
        throw Error(QStringLiteral("The worksheet %1 has a value at row %2 longer than the %3 characters a cell holds.").arg(where_).arg(row_).arg(kMaxCellText));
    }

    // A value's markup is refused as soon as it is longer than any cell's value can be written.
    void collectValue(std::string& value, std::string_view text)
    {
        if (value.size() + text.size() > kMaxCellTextMarkup) tooLong();
        value.append(text);
    }

    QString cellText(const std::string& markup) const
    {
        QString text = xml::decodeText(markup.c_str());
        if (text.size() > kMaxCellText) tooLong();
        return text;
    }

    void countCell()
    {
        if (++cellsCounted_ >= kCellBatch) addCounts();
    }

    // Formulas cost memory and work by their length, copies of shared formulas included.
    void countFormula(qsizetype length)
    {
        formulaCounted_ += length;
        if (formulaCounted_ >= kFormulaBatch) addCounts();
    }

    // Adds what this reader counted to the workbook's totals and checks them.
    void addCounts()
    {
        const long long cells = c_.cells += std::exchange(cellsCounted_, 0);
        if (cells > kMaxCells) throw Error(QStringLiteral("The workbook holds more than %1 cells.").arg(kMaxCells));
        const long long formulas = c_.formulaCharacters += std::exchange(formulaCounted_, 0);
        if (formulas > kMaxFormulaCharacters)
            throw Error(QStringLiteral("The workbook's formulas are longer than %1 characters in all.").arg(kMaxFormulaCharacters));
    }

    void storeCell()
    {
        countCell();
        if (!rowCells_.empty() && rowCells_.back().column >= column_) ordered_ = false;
        Cell& cell = rowCells_.emplace_back();
        cell.column = column_;
        if (raw_.styled) {
            if (!raw_.refusedStyle.empty())
                throw Error(QStringLiteral("The worksheet %1 uses style %2 of %3 at row %4.").arg(where_, QString::fromStdString(raw_.refusedStyle).left(20)).arg(c_.cellFormats).arg(row_));
            cell.style = raw_.style;
        }
        storeValue(cell);
        if (raw_.hasF) storeFormula(cell);
        if (column_ > c_.lastColumn) rowCells_.pop_back(); // checked as read, not kept
    }

    void storeValue(Cell& cell)
    {
        switch (raw_.kind) {
        case ValueKind::Number: { // nearly every cell
            if (!raw_.hasV || raw_.v.empty()) return;
            const char* b = raw_.v.data();
            const char* e = b + raw_.v.size();
            while (b < e && isSpace(*b)) ++b;
            while (e > b && isSpace(e[-1])) --e;
            if (b < e && *b == '+') ++b;
            cell.type = CellType::Number;
            // The common plain decimal without from_chars; the value is the same.
            const bool negative = b < e && *b == '-';
            if (const auto plain = model::plainDecimal(std::string_view(b + (negative ? 1 : 0), static_cast<size_t>(e - b - (negative ? 1 : 0))))) {
                cell.number = negative ? -*plain : *plain;
                return;
            }
            double number = 0;
            const auto [ptr, ec] = std::from_chars(b, e, number);
            if (ec != std::errc() || ptr != e || !std::isfinite(number))
                throw Error(QStringLiteral("The worksheet %1 holds \"%2\" as a number.").arg(where_, QString::fromStdString(raw_.v).left(40)));
            cell.number = number;
            return;
        }
        case ValueKind::Shared: {
            if (!raw_.hasV) return; // a shared string cell without its index holds nothing
            const auto index = parseUnsigned(raw_.v, 0x7fffffff);
            if (!index || (!c_.deferStrings && *index >= c_.strings.size()))
                throw Error(QStringLiteral("The worksheet %1 refers to shared string %2 of %3.").arg(where_, QString::fromStdString(raw_.v).left(20)).arg(c_.strings.size()));
            cell.type = CellType::Text;
            cell.sharedString = static_cast<std::int32_t>(*index);
            if (!c_.deferStrings) cell.text = c_.strings.at(*index);
            return;
        }
        case ValueKind::Inline:
            cell.type = CellType::Text;
            cell.text = cellText(raw_.inlineText);
            return;
        case ValueKind::Text:
            if (!raw_.hasV) return;
            cell.type = CellType::Text;
            cell.text = cellText(raw_.v);
            return;
        case ValueKind::Date: {
            // A date is a day number with a date format, however the file wrote it.
            if (!raw_.hasV) return;
            const auto serial = dateSerial(raw_.v, c_.date1904);
            if (!serial) throw Error(QStringLiteral("The worksheet %1 holds \"%2\" as a date.").arg(where_, QString::fromStdString(raw_.v).left(40)));
            cell.type = CellType::Number;
            cell.number = *serial;
            cell.style = c_.dateStyle(cell.style, raw_.v.find(':') != std::string::npos);
            return;
        }
        case ValueKind::Boolean:
            if (!raw_.hasV) return;
            cell.type = CellType::Boolean;
            cell.booleanValue = raw_.v == "1" || raw_.v == "true";
            return;
        case ValueKind::Error:
            if (!raw_.hasV) return;
            cell.type = CellType::Error;
            cell.text = QString::fromStdString(raw_.v);
            return;
        case ValueKind::Unknown: break;
        }
        throw Error(QStringLiteral("The worksheet %1 has a cell of unknown type \"%2\".").arg(where_, QString::fromStdString(raw_.unknownType).left(20)));
    }

    void storeFormula(Cell& cell)
    {
        auto formula = std::make_unique<Formula>();
        formula->text = QString::fromStdString(raw_.f);
        countFormula(formula->text.size());
        bool shared = false;
        const std::string* si = nullptr;
        for (const auto& [n, v] : raw_.formulaAttributes) {
            if (n == "t" && v == "shared") shared = true;
            if (n == "si") si = &v;
        }
        for (auto& a : raw_.formulaAttributes)
            if (!(shared && (a.first == "t" || a.first == "si" || a.first == "ref"))) formula->attributes.push_back(a);
        if (!shared) {
            cell.formula.reset(formula.release());
            return;
        }
        // A shared formula: the first cell holds its text, the others move its relative references.
        const auto index = si ? parseUnsigned(*si, 0xffffffffu) : std::nullopt;
        if (!index) throw Error(QStringLiteral("The worksheet %1 has a shared formula without its index.").arg(where_));
        if (!formula->text.isEmpty() && !masters_.contains(*index)) {
            masters_.emplace(*index, Master{row_, column_, formula->text});
            cell.formula.reset(formula.release());
        } else if (const auto m = masters_.find(*index); m != masters_.end()) {
            countFormula(m->second.text.size());
            formula->text = offsetRelative(m->second.text, row_ - m->second.row, column_ - m->second.column);
            cell.formula.reset(formula.release());
        } else {
            if (column_ <= c_.lastColumn) pending_.push_back({row_, column_, *index});
        }
    }

    // A row whose cells came out of order is sorted once at its end, not inserted into cell by
    // cell; a column given twice keeps its last cell.
    void flushRow()
    {
        if (rowCells_.empty()) return;
        if (!ordered_) {
            std::stable_sort(rowCells_.begin(), rowCells_.end(), [](const Cell& a, const Cell& b) { return a.column < b.column; });
            std::vector<Cell> unique;
            unique.reserve(rowCells_.size());
            for (size_t i = 0; i < rowCells_.size(); ++i)
                if (i + 1 == rowCells_.size() || rowCells_[i + 1].column != rowCells_[i].column) unique.push_back(std::move(rowCells_[i]));
            rowCells_ = std::move(unique);
        }
        auto& rows = sheet_.cells.rows();
        if (const auto existing = rows.find(row_); existing == rows.end()) {
            // A row takes exactly its cells' room: the cells themselves when they fill theirs (rows
            // of one length, as worksheets mostly hold, after the first), a copy otherwise.
            const size_t count = rowCells_.size();
            if (rowCells_.capacity() == count) {
                rows.emplace(row_, std::move(rowCells_));
                rowCells_ = {};
                rowCells_.reserve(count);
                ordered_ = true;
                return;
            }
            rows.emplace(row_, SheetData::Row(std::make_move_iterator(rowCells_.begin()), std::make_move_iterator(rowCells_.end())));
        } else {
            // A row given again (in several row elements) may add cells anywhere in it.
            for (Cell& cell : rowCells_) {
                const int column = cell.column;
                loader_.at(row_, column) = std::move(cell);
            }
        }
        rowCells_.clear();
        ordered_ = true;
    }

    SheetEntry& sheet_;
    WorksheetContext& c_;
    xml::StreamParser& parser_;
    const QString where_;
    std::size_t openEnd_ = 0, closeBegin_ = 0;
    bool found_ = false, inCells_ = false, selfClosing_ = false;
    int row_ = 0, lastRow_ = 0, column_ = 0, lastColumn_ = 0, phonetic_ = 0;
    long long cellsCounted_ = 0, formulaCounted_ = 0; // not yet added to the workbook's totals
    bool inCell_ = false, ordered_ = true;
    Collect collect_ = Collect::None;
    RawCell raw_;
    std::vector<Cell> rowCells_;
    CellLoader loader_{sheet_.cells};
    std::unordered_map<std::uint64_t, Master> masters_;
    std::vector<Pending> pending_;
};

} // namespace

void readWorksheet(SheetEntry& sheet, const QByteArray& part, WorksheetContext& context)
{
    const QByteArray data = xml::asUtf8(part);
    xml::StreamParser parser(sheet.partName);
    WorksheetHandler handler(sheet, context, parser);
    parser.parse(data, handler);
    handler.finish(data);
}

void readWorksheetPieces(SheetEntry& sheet, const xml::PartPieces& pieces, WorksheetContext& context)
{
    xml::StreamParser parser(sheet.partName);
    WorksheetHandler handler(sheet, context, parser);
    parser.begin(handler);
    pieces([&](const char* data, qsizetype size) {
        context.budget.chargeStreamed(size, sheet.partName);
        return parser.feed(data, size);
    });
    parser.finish();
    handler.finishCells();
}

} // namespace spreadsheet
