#include "spreadsheet/CsvReader.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/Error.h"

#include <QStringDecoder>

namespace spreadsheet {

namespace {

QString decode(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) throw Error(QStringLiteral("The text file holds a NUL byte at offset %1; it is not a text file.").arg(nul));
    const bool utf8 = bytes.startsWith("\xEF\xBB\xBF");
    QStringDecoder decoder = utf8 ? QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless)
                                  : QStringDecoder("windows-31j", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) throw Error(QStringLiteral("The code page 932 decoder is not available."));
    QString text = decoder.decode(utf8 ? bytes.mid(3) : bytes);
    if (decoder.hasError())
        throw Error(utf8 ? QStringLiteral("The text file is not valid UTF-8.")
                         : QStringLiteral("The text file holds bytes that are not valid code page 932 (Shift_JIS)."));
    return text;
}

} // namespace

QList<QStringList> readCsv(const QByteArray& bytes)
{
    if (bytes.size() > kMaxCsvSize) throw Error(QStringLiteral("The text file is larger than %1 bytes.").arg(kMaxCsvSize));
    const QString text = decode(bytes);
    long long fields = 0;
    QList<QStringList> rows;
    QStringList row;
    QString field;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto endField = [&] {
        if (++fields > kMaxCells) throw Error(QStringLiteral("The text file holds more than %1 fields.").arg(kMaxCells));
        if (row.size() >= kMaxColumns) throw Error(QStringLiteral("A line of the text file has more than %1 fields.").arg(kMaxColumns));
        row.append(field);
        field.clear();
    };
    auto endRow = [&] {
        if (rows.size() >= kMaxRows) throw Error(QStringLiteral("The text file has more than %1 lines.").arg(kMaxRows));
        rows.append(row);
        row.clear();
    };
    while (i < n) {
        // One field.
        if (text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
        }
        // Unquoted text, or what follows a closing quote, runs to the next separator.
        const qsizetype start = i;
        while (i < n && text[i] != u',' && text[i] != u'\r' && text[i] != u'\n') ++i;
        field += QStringView(text).mid(start, i - start);
        if (i >= n) {
            endField();
            endRow();
            break;
        }
        if (text[i] == u',') {
            endField();
            ++i;
            if (i == n) { // a final comma leaves an empty last field
                endField();
                endRow();
            }
            continue;
        }
        endField();
        endRow();
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        ++i;
    }
    return rows;
}

} // namespace spreadsheet
