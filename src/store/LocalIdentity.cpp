#include "store/LocalIdentity.h"

#include <QSysInfo>

#ifdef _WIN32
#include <cstdlib>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace store {

QString defaultStationName() { return QSysInfo::machineHostName(); }

QString operatorName()
{
#ifdef _WIN32
    return qEnvironmentVariable("USERNAME");
#else
    // The account itself, not what the environment claims.
    if (const passwd* p = ::getpwuid(::geteuid())) return QString::fromLocal8Bit(p->pw_name);
    return qEnvironmentVariable("USER");
#endif
}

} // namespace store
