#include "platform/OsVersion.h"

#include <QOperatingSystemVersion>

namespace lockleaf
{

bool isLionOrLaterVersion(int major, int minor)
{
    return (major == 10 && minor > 6) || major > 10;
}

bool isLionOrLater()
{
#ifdef Q_OS_MACOS
    const QOperatingSystemVersion v = QOperatingSystemVersion::current();
    return isLionOrLaterVersion(v.majorVersion(), v.minorVersion());
#else
    return true;
#endif
}

} // namespace lockleaf
