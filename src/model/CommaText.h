#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>

namespace model {

// The comma field encoding of one grid row.
// Writing quotes a field holding a character with code <= 32, a double quote or a comma
// (inner quotes doubled); one single empty field is written as "".
QString writeCommaText(const QStringList& fields);

// Reading skips characters 1..32 around fields; quoted fields run to the matching quote;
// a trailing comma adds no field and an empty text gives none.
QStringList readCommaText(QStringView text);

// Reads one field starting at pos (after skipping 1..32); advances pos past the field,
// the blanks after it and one comma. Returns false at the end of the text.
bool readCommaField(QStringView text, qsizetype& pos, QString& field);

// Quotes one field when writeCommaText would.
QString quoteCommaField(const QString& field);
// Appends one field as writeCommaText writes it, quoted when it must be.
void appendCommaField(QString& out, QStringView field);

// Appends the comma text of `count` fields, field(i) giving the i-th, as writeCommaText writes
// it: a row is written straight from where its fields are, without a list of them.
template <typename FieldAt>
void appendCommaText(QString& out, qsizetype count, const FieldAt& field)
{
    if (count == 1 && QStringView(field(0)).isEmpty()) {
        out += u"\"\"";
        return;
    }
    for (qsizetype i = 0; i < count; ++i) {
        if (i) out += u',';
        appendCommaField(out, field(i));
    }
}

} // namespace model
