#pragma once
#include <QString>
#include <stdexcept>

namespace exchange {

// A failure of an import or export that the operator is told about; the message is the text
// shown.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString())
        , message_(message)
    {
    }
    const QString& message() const { return message_; }

private:
    QString message_;
};

// A text of a sheet that code page 932 cannot hold: its CSV file is not written.
class UnencodableText : public Error {
public:
    UnencodableText(int sheetNumber, const QString& sheetName, const QString& text);
    int sheetNumber() const { return sheetNumber_; }
    const QString& text() const { return text_; }

private:
    int sheetNumber_;
    QString text_;
};

} // namespace exchange
