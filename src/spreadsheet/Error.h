#pragma once
#include <QString>
#include <stdexcept>

namespace spreadsheet {

// Every failure of the spreadsheet engine: a file that cannot be read or written, a bad
// cell reference, an operation on a closed workbook. The message is meant for the operator's log
// and for the warnings the callers show.
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

} // namespace spreadsheet
