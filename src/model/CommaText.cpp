#include "model/CommaText.h"

namespace model {

namespace {

bool isSkippable(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }

bool needsQuotes(QStringView field)
{
    for (QChar c : field)
        if (c.unicode() <= 32 || c == u'"' || c == u',') return true;
    return false;
}

} // namespace

QString quoteCommaField(const QString& field)
{
    if (!needsQuotes(field)) return field;
    QString q;
    appendCommaField(q, field);
    return q;
}

void appendCommaField(QString& out, QStringView field)
{
    if (!needsQuotes(field)) {
        out += field;
        return;
    }
    out += u'"';
    for (QChar c : field) {
        if (c == u'"') out += u'"';
        out += c;
    }
    out += u'"';
}

QString writeCommaText(const QStringList& fields)
{
    qsizetype length = fields.size() + 1;
    for (const QString& f : fields) length += f.size();
    QString out;
    out.reserve(length);
    appendCommaText(out, fields.size(), [&fields](qsizetype i) -> const QString& { return fields[i]; });
    return out;
}

namespace {

// readCommaField on a text already cut at its first NUL (looking for it again at every field
// would make reading a line quadratic in its length).
bool readField(QStringView text, qsizetype& pos, QString& field)
{
    const qsizetype n = text.size();
    while (pos < n && isSkippable(text[pos])) ++pos;
    if (pos >= n) return false;
    field.clear();
    if (text[pos] == u'"') {
        ++pos;
        while (pos < n) {
            if (text[pos] == u'"') {
                if (pos + 1 < n && text[pos + 1] == u'"') {
                    field += u'"';
                    pos += 2;
                    continue;
                }
                ++pos; // closing quote
                break;
            }
            field += text[pos++];
        }
    } else {
        const qsizetype start = pos;
        while (pos < n && text[pos].unicode() > 32 && text[pos] != u',') ++pos;
        field = text.mid(start, pos - start).toString();
    }
    while (pos < n && isSkippable(text[pos])) ++pos;
    if (pos < n && text[pos] == u',') {
        ++pos;
        while (pos < n && isSkippable(text[pos])) ++pos;
    }
    return true;
}

} // namespace

bool readCommaField(QStringView text, qsizetype& pos, QString& field)
{
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0) text = text.left(nul);
    return readField(text, pos, field);
}

QStringList readCommaText(QStringView text)
{
    // A NUL character ends the text, as it ends a C string.
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0) text = text.left(nul);
    QStringList fields;
    qsizetype pos = 0;
    QString field;
    const qsizetype n = text.size();
    // A comma right at a field start (after skipping) is an empty field.
    while (true) {
        while (pos < n && isSkippable(text[pos])) ++pos;
        if (pos >= n) break;
        if (text[pos] == u',') {
            fields.append(QString());
            ++pos;
            continue;
        }
        if (!readField(text, pos, field)) break;
        fields.append(field);
    }
    return fields;
}

} // namespace model
