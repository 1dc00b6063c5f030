// Who publishes: the station (a name the operator sets; the host's name until then) and the
// operator (the account the program runs under).
#pragma once
#include <QString>

namespace store {

QString defaultStationName();
QString operatorName();

} // namespace store
