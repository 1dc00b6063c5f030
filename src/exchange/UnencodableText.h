#pragma once
#include <QString>

#include "spreadsheet/Error.h"

namespace exchange {

// A text of a sheet that code page 932 cannot hold: its CSV file is not written. The message
// names the sheet and the text for the operator.
class UnencodableText : public spreadsheet::Error {
public:
    UnencodableText(int sheetNumber, const QString& sheetName, const QString& text);
    int sheetNumber() const { return sheetNumber_; }
    const QString& text() const { return text_; }

private:
    int sheetNumber_;
    QString text_;
};

} // namespace exchange
