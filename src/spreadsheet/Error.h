#pragma once
#include "model/FileFailure.h"

#include <QString>
#include <optional>
#include <stdexcept>

namespace spreadsheet {

// Every failure of the spreadsheet engine: a file that cannot be read or written, a bad
// cell reference, an operation on a closed workbook. The message is meant for the operator's log
// and for the warnings the callers show. A failure of the file system also carries the path and
// the reason, so a caller can put them under a message of its own.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message, int systemError = 0)
        : std::runtime_error(message.toStdString())
        , message_(message)
        , systemError_(systemError)
    {
    }
    Error(const QString& message, const model::FileFailure& failure)
        : std::runtime_error(message.toStdString())
        , message_(message)
        , failure_(failure)
    {
    }
    const QString& message() const { return message_; }
    // The system's error number of the call that failed, 0 when none is known.
    int systemError() const { return systemError_; }
    const std::optional<model::FileFailure>& fileFailure() const { return failure_; }

private:
    QString message_;
    int systemError_ = 0;
    std::optional<model::FileFailure> failure_;
};

// A failure of the file system, worded for the operator: what failed on the first line, the
// path and the reason on the second.
inline Error fileError(const QString& whatFailed, const model::FileFailure& failure)
{
    return Error(whatFailed + u'\n' + model::failureLine(failure), failure);
}

} // namespace spreadsheet
