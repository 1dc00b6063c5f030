#include "cli/TextTable.h"

#include <algorithm>

namespace cli {

namespace {

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF)
           || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF)
           || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
           || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

int displayWidth(QStringView text)
{
    int width = 0;
    for (char32_t c : text.toUcs4()) width += isWide(c) ? 2 : 1;
    return width;
}

QString alignedTable(const std::vector<QStringList>& rows, bool (*rightAligned)(int column), const QString& indent)
{
    std::vector<int> widths;
    for (const QStringList& row : rows) {
        if (widths.size() < size_t(row.size())) widths.resize(size_t(row.size()), 0);
        for (qsizetype c = 0; c < row.size(); ++c) widths[size_t(c)] = std::max(widths[size_t(c)], displayWidth(row[c]));
    }
    QString out;
    for (const QStringList& row : rows) {
        QString line = indent;
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0) line += QStringLiteral("  ");
            const QString pad(widths[size_t(c)] - displayWidth(row[c]), u' ');
            line += rightAligned(int(c)) ? pad + row[c] : row[c] + pad;
        }
        while (line.endsWith(u' ')) line.chop(1);
        out += line + u'\n';
    }
    return out;
}

} // namespace cli
