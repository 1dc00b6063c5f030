#include "spreadsheet/FileKinds.h"

#include <QFileInfo>

namespace spreadsheet {

ContentKind contentKind(QByteArrayView head)
{
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06")) return ContentKind::OfficeOpenXml;
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return ContentKind::LegacyWorkbook;
    return ContentKind::Other;
}

bool namedAsWorkbook(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"xlsx" || suffix == u"xlsm" || suffix == u"xls" || suffix == u"xltx" || suffix == u"xltm" || suffix == u"xlt";
}

QString notAWorkbookReason(QByteArrayView head)
{
    if (head.isEmpty()) return QStringLiteral("the file is empty");
    qsizetype i = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n')) ++i;
    if (i < head.size() && head[i] == '<') return QStringLiteral("it holds markup such as a web page");
    for (char c : head)
        if (c == '\0') return QStringLiteral("its contents are of another kind");
    return QStringLiteral("it holds text");
}

} // namespace spreadsheet
