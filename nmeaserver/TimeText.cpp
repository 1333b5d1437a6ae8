#include "nmeaserver/TimeText.h"

#include <QString>

#include <chrono>

namespace velmar::nmeaserver {

QByteArray dumpTimeStamp(const platform::SystemTime& t)
{
    return QString::asprintf("%4.4d-%2.2d-%2.2d %2.2d:%2.2d:%2.2d",
                                t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond).toLatin1();
}

double secondsBetween(const platform::SystemTime& a, const platform::SystemTime& b)
{
    auto whole = [](platform::SystemTime t) { t.wMilliseconds = 0; return t.toTimePoint(); };
    return std::chrono::duration<double>(whole(a) - whole(b)).count();
}

} // namespace velmar::nmeaserver
