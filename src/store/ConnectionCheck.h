// The settings dialog's connection test: whether the store the settings name can be used, and
// if not, what stands in the way, in words for the operator (the server cannot be reached, the
// user or password is refused, the database holds no store, or one made by a newer program).
#pragma once
#include "store/Target.h"

#include <QString>

namespace store {

struct ConnectionCheck {
    bool ok = false;
    Fault fault = Fault::Other; // when not ok
    QString text;               // the first line says what happened, the next ones the details
};

// Connects and reads the schema's version; never creates or changes anything (an embedded file
// that does not exist yet is fine: the first publication makes it).
ConnectionCheck checkConnection(const Target& target, const Credentials& credentials = {});

} // namespace store
