#include "spreadsheet/ParseBudget.h"

#include "spreadsheet/Error.h"

namespace spreadsheet {

void ParseBudget::chargeStreamed(qsizetype bytes, const std::string& part)
{
    if ((parsed_ += bytes) > kMaxParsedBytes)
        throw Error(QStringLiteral("The workbook's parts come to more than %1 bytes to read (at %2).").arg(kMaxParsedBytes).arg(QString::fromStdString(part)));
}

void ParseBudget::chargeTree(qsizetype bytes, const std::string& part)
{
    chargeStreamed(bytes, part);
    if ((trees_ += bytes) > kMaxTreeBytes)
        throw Error(QStringLiteral("The workbook's markup parts come to more than %1 bytes (at %2).").arg(kMaxTreeBytes).arg(QString::fromStdString(part)));
}

} // namespace spreadsheet
