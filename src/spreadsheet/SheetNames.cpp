#include "spreadsheet/SheetNames.h"

namespace spreadsheet {

bool isForbiddenInSheetName(QChar c)
{
    return c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' || c == u']' || c.unicode() < 32;
}

bool isValidSheetName(QStringView name)
{
    if (name.isEmpty() || name.size() > kMaxSheetNameLength || name.startsWith(u'\'') || name.endsWith(u'\'')) return false;
    for (QChar c : name)
        if (isForbiddenInSheetName(c)) return false;
    return true;
}

QString sanitizedSheetName(QStringView wanted)
{
    QString n = wanted.toString();
    for (QChar& c : n)
        if (isForbiddenInSheetName(c)) c = u'_';
    while (n.startsWith(u'\'')) n.remove(0, 1);
    n.truncate(kMaxSheetNameLength);
    while (n.endsWith(u'\'')) n.chop(1);
    return n;
}

} // namespace spreadsheet
