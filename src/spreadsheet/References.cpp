#include "spreadsheet/References.h"

namespace spreadsheet {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'\\' || c == u'?' || c == u'$';
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isAsciiLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

using Part = A1Part;

Part parsePart(QStringView run) { return parseA1Part(run); }

qsizetype readRun(QStringView f, qsizetype i)
{
    while (i < f.size() && isNameChar(f[i])) ++i;
    return i;
}

// A reference starting at `pos` (after any prefix); returns the end, or -1.
qsizetype parseReferenceAt(QStringView f, qsizetype pos, FormulaReference& ref)
{
    const qsizetype end1 = readRun(f, pos);
    if (end1 == pos) return -1;
    const Part a = parsePart(f.mid(pos, end1 - pos));
    if (a.kind == Part::Kind::None) return -1;
    if (end1 < f.size() && f[end1] == u':') {
        const qsizetype end2 = readRun(f, end1 + 1);
        if (end2 > end1 + 1 && !(end2 < f.size() && (f[end2] == u'(' || f[end2] == u'!'))) {
            const Part b = parsePart(f.mid(end1 + 1, end2 - end1 - 1));
            if (b.kind == a.kind) {
                switch (a.kind) {
                case Part::Kind::Cell:
                    ref.kind = FormulaReference::Kind::Area;
                    ref.top = a.row;
                    ref.left = a.column;
                    ref.bottom = b.row;
                    ref.right = b.column;
                    break;
                case Part::Kind::Column:
                    ref.kind = FormulaReference::Kind::Columns;
                    ref.top = 1;
                    ref.bottom = kMaxRows;
                    ref.left = a.column;
                    ref.right = b.column;
                    break;
                case Part::Kind::Row:
                    ref.kind = FormulaReference::Kind::Rows;
                    ref.left = 1;
                    ref.right = kMaxColumns;
                    ref.top = a.row;
                    ref.bottom = b.row;
                    break;
                case Part::Kind::None:
                    return -1;
                }
                ref.topAbsolute = a.rowAbsolute;
                ref.leftAbsolute = a.columnAbsolute;
                ref.bottomAbsolute = b.rowAbsolute;
                ref.rightAbsolute = b.columnAbsolute;
                return end2;
            }
        }
    }
    if (a.kind != Part::Kind::Cell) return -1;
    if (end1 < f.size() && f[end1] == u'(') return -1; // a function such as LOG10(
    ref.kind = FormulaReference::Kind::Cell;
    ref.top = ref.bottom = a.row;
    ref.left = ref.right = a.column;
    ref.topAbsolute = ref.bottomAbsolute = a.rowAbsolute;
    ref.leftAbsolute = ref.rightAbsolute = a.columnAbsolute;
    return end1;
}

struct Token {
    qsizetype begin = 0;    // prefix start
    qsizetype refBegin = 0; // area start
    qsizetype end = 0;
    FormulaReference ref;
};

// Skips a quoted sheet name starting at the apostrophe; returns the position after it and the name.
qsizetype readQuoted(QStringView f, qsizetype i, QString& name)
{
    ++i;
    while (i < f.size()) {
        if (f[i] == u'\'') {
            if (i + 1 < f.size() && f[i + 1] == u'\'') {
                name += u'\'';
                i += 2;
                continue;
            }
            return i + 1;
        }
        name += f[i];
        ++i;
    }
    return -1;
}

void scan(QStringView f, const std::function<void(const Token&)>& found)
{
    const qsizetype n = f.size();
    qsizetype i = 0;
    bool externalPending = false;
    while (i < n) {
        const QChar c = f[i];
        if (c == u'"') {
            ++i;
            while (i < n) {
                if (f[i] == u'"') {
                    if (i + 1 < n && f[i + 1] == u'"') {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            externalPending = false;
            continue;
        }
        if (c == u'#') {
            ++i;
            while (i < n && (f[i].isLetterOrNumber() || f[i] == u'/' || f[i] == u'_')) ++i;
            if (i < n && (f[i] == u'!' || f[i] == u'?')) ++i;
            continue;
        }
        if (c == u'[') {
            int depth = 0;
            while (i < n) {
                if (f[i] == u'[') ++depth;
                else if (f[i] == u']' && --depth == 0) break;
                ++i;
            }
            ++i;
            externalPending = true;
            continue;
        }
        if (c == u'\'') {
            Token t;
            t.begin = i;
            QString name;
            const qsizetype after = readQuoted(f, i, name);
            if (after < 0) return;
            if (after < n && f[after] == u'!') {
                t.ref.qualified = true;
                t.ref.external = externalPending || name.contains(u'[') || name.contains(u':');
                t.ref.sheet = name;
                t.refBegin = after + 1;
                const qsizetype end = parseReferenceAt(f, t.refBegin, t.ref);
                if (end > 0) {
                    t.end = end;
                    found(t);
                    i = end;
                } else {
                    i = t.refBegin;
                }
            } else {
                i = after;
            }
            externalPending = false;
            continue;
        }
        if (isNameChar(c)) {
            const qsizetype runEnd = readRun(f, i);
            if (runEnd < n && f[runEnd] == u'(') {
                i = runEnd;
                externalPending = false;
                continue;
            }
            Token t;
            t.begin = i;
            qsizetype prefixEnd = -1;
            if (runEnd < n && f[runEnd] == u'!') {
                prefixEnd = runEnd;
                t.ref.sheet = f.mid(i, runEnd - i).toString();
            } else if (runEnd < n && f[runEnd] == u':') {
                const qsizetype second = readRun(f, runEnd + 1);
                if (second > runEnd + 1 && second < n && f[second] == u'!') {
                    prefixEnd = second; // Sheet1:Sheet3!A1 spans sheets
                    t.ref.sheet = f.mid(i, second - i).toString();
                    t.ref.external = true;
                }
            }
            if (prefixEnd >= 0) {
                t.ref.qualified = true;
                t.ref.external = t.ref.external || externalPending;
                t.refBegin = prefixEnd + 1;
            } else {
                t.refBegin = i;
            }
            const qsizetype end = parseReferenceAt(f, t.refBegin, t.ref);
            if (end > 0) {
                t.end = end;
                found(t);
                i = end;
            } else {
                i = prefixEnd >= 0 ? prefixEnd + 1 : runEnd;
            }
            externalPending = false;
            continue;
        }
        externalPending = false;
        ++i;
    }
}

bool sameSheet(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

QString FormulaReference::areaText() const
{
    auto col = [](int c, bool abs) { return (abs ? QStringLiteral("$") : QString()) + columnLetters(c); };
    auto row = [](int r, bool abs) { return (abs ? QStringLiteral("$") : QString()) + QString::number(r); };
    switch (kind) {
    case Kind::Cell: return col(left, leftAbsolute) + row(top, topAbsolute);
    case Kind::Area:
        return col(left, leftAbsolute) + row(top, topAbsolute) + u':' + col(right, rightAbsolute) + row(bottom, bottomAbsolute);
    case Kind::Columns: return col(left, leftAbsolute) + u':' + col(right, rightAbsolute);
    case Kind::Rows: return row(top, topAbsolute) + u':' + row(bottom, bottomAbsolute);
    }
    return {};
}

std::optional<QString> rewriteReferences(QStringView formula,
                                         const std::function<ReferenceEdit(const FormulaReference&)>& edit)
{
    QString out;
    qsizetype copied = 0;
    bool changed = false;
    scan(formula, [&](const Token& t) {
        const ReferenceEdit e = edit(t.ref);
        if (e.action == ReferenceEdit::Action::Keep) return;
        changed = true;
        out += formula.mid(copied, t.begin - copied);
        if (e.action == ReferenceEdit::Action::Invalidate) {
            out += formula.mid(t.begin, t.refBegin - t.begin);
            out += QStringLiteral("#REF!");
        } else {
            const FormulaReference& r = e.replacement;
            if (r.qualified && (!t.ref.qualified || r.sheet != t.ref.sheet)) out += sheetPrefix(r.sheet) + u'!';
            else out += formula.mid(t.begin, t.refBegin - t.begin);
            out += r.areaText();
        }
        copied = t.end;
    });
    if (!changed) return std::nullopt;
    out += formula.mid(copied);
    return out;
}

std::vector<FormulaReference> findReferences(QStringView formula)
{
    std::vector<FormulaReference> refs;
    scan(formula, [&](const Token& t) { refs.push_back(t.ref); });
    return refs;
}

std::optional<CellRect> shiftUpArea(const CellRect& area, const CellRect& deleted)
{
    if (area.left < deleted.left || area.right > deleted.right) return area; // reaches beyond the moved columns
    if (area.bottom < deleted.top) return area;
    const int h = deleted.rowCount();
    CellRect r = area;
    r.top = area.top < deleted.top ? area.top : (area.top <= deleted.bottom ? deleted.top : area.top - h);
    r.bottom = area.bottom > deleted.bottom ? area.bottom - h
                                            : (area.bottom >= deleted.top ? deleted.top - 1 : area.bottom);
    if (r.bottom < r.top) return std::nullopt;
    return r;
}

std::optional<QString> adjustForDeleteShiftUp(QStringView formula, QStringView ownSheet, QStringView targetSheet,
                                              const CellRect& deleted)
{
    return rewriteReferences(formula, [&](const FormulaReference& ref) -> ReferenceEdit {
        if (ref.external) return {};
        if (ref.kind != FormulaReference::Kind::Cell && ref.kind != FormulaReference::Kind::Area) return {};
        const QStringView sheetName = ref.qualified ? QStringView(ref.sheet) : ownSheet;
        if (sheetName.isEmpty() || !sameSheet(sheetName, targetSheet)) return {};
        const auto moved = shiftUpArea(ref.rect(), deleted);
        if (!moved) return {ReferenceEdit::Action::Invalidate, {}};
        if (*moved == ref.rect()) return {};
        FormulaReference r = ref;
        r.top = moved->top;
        r.bottom = moved->bottom;
        return {ReferenceEdit::Action::Replace, r};
    });
}

QString offsetRelative(QStringView formula, int rowOffset, int columnOffset)
{
    const auto result = rewriteReferences(formula, [&](const FormulaReference& ref) -> ReferenceEdit {
        if (ref.external) return {};
        FormulaReference r = ref;
        const bool moveRows = ref.kind != FormulaReference::Kind::Columns;
        const bool moveColumns = ref.kind != FormulaReference::Kind::Rows;
        if (moveRows) {
            if (!r.topAbsolute) r.top += rowOffset;
            if (!r.bottomAbsolute) r.bottom += rowOffset;
        }
        if (moveColumns) {
            if (!r.leftAbsolute) r.left += columnOffset;
            if (!r.rightAbsolute) r.right += columnOffset;
        }
        if (r.top < 1 || r.bottom > kMaxRows || r.left < 1 || r.right > kMaxColumns || r.top > kMaxRows
            || r.bottom < 1 || r.left > kMaxColumns || r.right < 1)
            return {ReferenceEdit::Action::Invalidate, {}};
        if (r.rect() == ref.rect()) return {};
        return {ReferenceEdit::Action::Replace, r};
    });
    return result ? *result : formula.toString();
}

std::optional<QString> renameSheetInFormula(QStringView formula, QStringView oldName, QStringView newName)
{
    return rewriteReferences(formula, [&](const FormulaReference& ref) -> ReferenceEdit {
        if (ref.external || !ref.qualified || !sameSheet(ref.sheet, oldName)) return {};
        FormulaReference r = ref;
        r.sheet = newName.toString();
        return {ReferenceEdit::Action::Replace, r};
    });
}

QString sheetPrefix(QStringView name)
{
    bool plain = !name.isEmpty() && (isAsciiLetter(name[0]) || name[0] == u'_');
    for (QChar c : name)
        if (!(isAsciiLetter(c) || isAsciiDigit(c) || c == u'_' || c == u'.')) plain = false;
    // A name that reads as a reference ("A1", "R1C1", "TRUE") must be quoted.
    if (plain && (parsePart(name).kind != Part::Kind::None || name.compare(u"TRUE", Qt::CaseInsensitive) == 0
                  || name.compare(u"FALSE", Qt::CaseInsensitive) == 0
                  || ((name[0] == u'R' || name[0] == u'r' || name[0] == u'C' || name[0] == u'c')
                      && name.size() > 1 && isAsciiDigit(name[1]))))
        plain = false;
    if (plain) return name.toString();
    QString quoted = name.toString();
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

} // namespace spreadsheet
