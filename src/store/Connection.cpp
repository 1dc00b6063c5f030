#include "store/Connection.h"

namespace store {

bool isTransient(Fault fault)
{
    switch (fault) {
    case Fault::Unreachable:
    case Fault::Timeout:
    case Fault::ConnectionLost:
    case Fault::Busy:
        return true;
    default:
        return false;
    }
}

StoreError::StoreError(Fault fault, const QString& message, const QString& sqlState)
    : std::runtime_error(message.toStdString()), fault_(fault), sqlState_(sqlState)
{
}

} // namespace store
