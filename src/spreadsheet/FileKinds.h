#pragma once
#include <QByteArrayView>
#include <QString>

namespace spreadsheet {

// What a file's first bytes say it is.
enum class ContentKind { OfficeOpenXml, LegacyWorkbook, Other };
ContentKind contentKind(QByteArrayView head);

// Whether a file name says workbook (.xlsx, .xlsm, .xls and their templates); such a file is
// read as a workbook or refused, never as text.
bool namedAsWorkbook(const QString& path);

// Why bytes under a workbook's name are not one, for the message: "the file is empty", ...
QString notAWorkbookReason(QByteArrayView head);

} // namespace spreadsheet
