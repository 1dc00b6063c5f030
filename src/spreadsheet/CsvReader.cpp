#include "spreadsheet/CsvReader.h"

#include "model/Cp932.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/Error.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace spreadsheet {

namespace {

constexpr int kMaxFieldLength = 32767;

// One field from offset i: a quoted part (quotes doubled inside) if it starts with a quote, then
// the text up to the next separator (comma, CR, LF) or the end. `open` when the bytes end inside
// the quotes or right after a quote, where more bytes could still change the field.
struct FieldScan {
    qsizetype end = 0;
    bool quoted = false;
    bool open = false;
};

FieldScan scanField(const char* b, qsizetype i, qsizetype n)
{
    FieldScan s;
    if (i < n && b[i] == '"') {
        s.quoted = true;
        ++i;
        for (;;) {
            if (i >= n) {
                s.open = true;
                break;
            }
            if (b[i] == '"') {
                if (i + 1 < n && b[i + 1] == '"') {
                    i += 2;
                    continue;
                }
                s.open = i + 1 >= n; // a doubled quote may follow
                ++i;
                break;
            }
            ++i;
        }
    }
    while (i < n && b[i] != ',' && b[i] != '\r' && b[i] != '\n') ++i;
    s.end = i;
    return s;
}

// Walks the fields of the text; the separators (comma, quote, CR, LF) are single bytes below 0x40
// that are never part of a multi-byte character in code page 932 or UTF-8, so the walk works on
// bytes. `field(begin, end, quoted)` gets each field's bytes (quotes still doubled when quoted,
// the closing quote and any text after it included), `endRow()` each end of a line.
template <class Field, class EndRow>
void walk(const char* b, qsizetype n, Field&& field, EndRow&& endRow)
{
    qsizetype i = 0;
    while (i < n) {
        const FieldScan s = scanField(b, i, n);
        field(i, s.end, s.quoted);
        i = s.end;
        if (i >= n) {
            endRow();
            return;
        }
        if (b[i] == ',') {
            ++i;
            if (i == n) { // a final comma leaves an empty last field
                field(i, i, false);
                endRow();
            }
            continue;
        }
        endRow();
        if (b[i] == '\r' && i + 1 < n && b[i + 1] == '\n') ++i;
        ++i;
    }
}

// Where the line that starts at `i` ends as walk() reads it: the offset after its line break; -1
// when the bytes end inside it and more may follow (`last` false).
qsizetype lineEnd(const char* b, qsizetype i, qsizetype n, bool last)
{
    for (;;) {
        const FieldScan s = scanField(b, i, n);
        if (s.open && !last) return -1;
        i = s.end;
        if (i >= n) return last ? n : -1;
        if (b[i] == ',') {
            ++i;
            if (i == n) return last ? n : -1;
            continue;
        }
        if (b[i] == '\r') {
            if (i + 1 >= n && !last) return -1; // a line feed may follow
            if (i + 1 < n && b[i + 1] == '\n') ++i;
        }
        return i + 1;
    }
}

// A text file holds no NUL byte: bytes that do are refused before anything else is done.
void refuseNul(QByteArrayView bytes, qsizetype from)
{
    const auto* begin = bytes.data() + from;
    if (const void* nul = std::memchr(begin, 0, static_cast<size_t>(bytes.size() - from)))
        throw Error(QStringLiteral("The text file holds a NUL byte at offset %1; it is not a text file.")
                        .arg(static_cast<const char*>(nul) - bytes.data()));
}

} // namespace

QByteArray readCsvRows(QIODevice& device, int rows, QByteArray start)
{
    QByteArray bytes = std::move(start);
    qsizetype checked = 0; // bytes of the kept lines looked at for a NUL byte
    qsizetype end = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0; // after the last whole line found
    int found = 0;
    bool last = false;
    bool first = true;
    while (found < rows && !last) {
        // Reads grow with the line in hand, so a long line is scanned a bounded number of times;
        // never past one byte over the bound, which an endless stream would otherwise fill.
        const qsizetype before = bytes.size();
        qsizetype want = std::min(std::max<qsizetype>(64 * 1024, before - end), kMaxCsvSize + 1 - before);
        if (first && before > 0) want = 0; // the lines of `start` first
        if (want > 0) {
            bytes.resize(before + want);
            const qint64 n = device.read(bytes.data() + before, want);
            if (n < 0) throw Error(QStringLiteral("The text file cannot be read: %1").arg(device.errorString()));
            bytes.resize(before + n);
            // A pipe is at its end only when a read gives nothing: atEnd() says so whenever the
            // bytes that have come so far are read.
            last = n == 0 || (!device.isSequential() && device.atEnd());
            if (before < 3 && end == 0 && bytes.startsWith("\xEF\xBB\xBF")) end = 3;
        }
        first = false;
        while (found < rows && end < bytes.size()) {
            const qsizetype e = lineEnd(bytes.constData(), end, bytes.size(), last);
            if (e < 0) break;
            end = e;
            ++found;
        }
        // A NUL byte in a line that is kept refuses the text at once (an endless stream of them
        // would otherwise be read to the bound); the lines below the kept ones are never looked at.
        const qsizetype kept = found < rows ? bytes.size() : end;
        if (kept > checked) {
            refuseNul(QByteArrayView(bytes).first(kept), checked);
            checked = kept;
        }
        if (end > kMaxCsvSize || (found < rows && !last && bytes.size() > kMaxCsvSize))
            throw Error(QStringLiteral("The first %1 lines of the text file come to more than %2 bytes.").arg(rows).arg(kMaxCsvSize));
    }
    bytes.truncate(end);
    return bytes;
}

void readCsvFields(const QByteArray& bytes, const std::function<void(int row, int column, const QString& text)>& field)
{
    if (bytes.size() > kMaxCsvSize) throw Error(QStringLiteral("The text file is larger than %1 bytes.").arg(kMaxCsvSize));
    refuseNul(bytes, 0);
    const bool utf8 = bytes.startsWith("\xEF\xBB\xBF");
    const char* text = bytes.constData() + (utf8 ? 3 : 0);
    const qsizetype size = bytes.size() - (utf8 ? 3 : 0);

    // The shape first: nothing is decoded or stored for a file that is refused anyway.
    {
        long long fields = 0;
        int rows = 0, columns = 0;
        walk(
            text, size,
            [&](qsizetype, qsizetype, bool) {
                if (++fields > kMaxCells) throw Error(QStringLiteral("The text file holds more than %1 fields.").arg(kMaxCells));
                if (++columns > kMaxColumns)
                    throw Error(QStringLiteral("Line %1 of the text file has more than %2 fields.").arg(rows + 1).arg(kMaxColumns));
            },
            [&] {
                if (++rows > kMaxRows) throw Error(QStringLiteral("The text file has more than %1 lines.").arg(kMaxRows));
                columns = 0;
            });
    }

    QStringDecoder utf8Decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    model::Cp932Codec cp932;
    if (!utf8 && !cp932.available()) throw Error(QStringLiteral("The code page 932 decoder is not available."));
    QByteArray unquoted;
    int row = 0, column = 0;
    // Measurements repeat: a short text met again shares the text decoded before, so a file of
    // numbers costs little more than its cells.
    std::array<QString, 4096> recent;
    auto decode = [&](const char* p, qsizetype n) {
        bool ascii = true;
        for (qsizetype k = 0; k < n && ascii; ++k) ascii = static_cast<unsigned char>(p[k]) < 0x80;
        if (ascii && n <= 16) {
            QString& slot = recent[qHash(QByteArrayView(p, n)) % recent.size()];
            if (slot != QLatin1StringView(p, n)) slot = QString::fromLatin1(p, n);
            return slot;
        }
        if (ascii) return QString::fromLatin1(p, n);
        if (utf8) {
            QString s = utf8Decoder.decode(QByteArrayView(p, n));
            if (utf8Decoder.hasError()) throw Error(QStringLiteral("Line %1 of the text file is not valid UTF-8.").arg(row + 1));
            return s;
        }
        std::optional<QString> s = cp932.decode(QByteArrayView(p, n));
        if (!s)
            throw Error(QStringLiteral("Line %1 of the text file holds bytes that are not valid code page 932 (Shift_JIS).").arg(row + 1));
        return *s;
    };
    walk(
        text, size,
        [&](qsizetype begin, qsizetype end, bool quoted) {
            const char* p = text + begin;
            qsizetype n = end - begin;
            if (quoted) {
                // Undo the quoting: doubled quotes become one; the text after the closing quote stays.
                unquoted.clear();
                qsizetype k = 1;
                for (; k < n; ++k) {
                    if (p[k] == '"') {
                        if (k + 1 < n && p[k + 1] == '"') {
                            unquoted += '"';
                            ++k;
                            continue;
                        }
                        ++k;
                        break;
                    }
                    unquoted += p[k];
                }
                unquoted.append(p + k, n - k);
                p = unquoted.constData();
                n = unquoted.size();
            }
            const QString value = decode(p, n);
            if (value.size() > kMaxFieldLength)
                throw Error(QStringLiteral("Line %1 of the text file has a field longer than %2 characters.").arg(row + 1).arg(kMaxFieldLength));
            field(row, column++, value);
        },
        [&] {
            ++row;
            column = 0;
        });
}

QList<QStringList> readCsv(const QByteArray& bytes)
{
    QList<QStringList> rows;
    readCsvFields(bytes, [&](int row, int, const QString& text) {
        if (row == rows.size()) rows.append(QStringList());
        rows.last().append(text);
    });
    return rows;
}

} // namespace spreadsheet
