#include "BusNames.h"

namespace velmar::platform {

namespace {
// The bus refuses names longer than this.
constexpr int MaxBusNameLength = 255;

QString joined(const QString& prefix, const QString& text)
{
    return (prefix + busNamePart(text)).left(MaxBusNameLength);
}
} // namespace

QString busNamePart(const QString& s)
{
    if (s.isEmpty())
        return QStringLiteral("_");
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_';
        out.append(plain ? c : QLatin1Char('_'));
    }
    // An element of a well-known bus name may not start with a digit.
    if (out.front().isDigit())
        out.prepend(QLatin1Char('_'));
    return out;
}

QString windowClassBusName(const QString& cls)
{
    return joined(QStringLiteral("org.velmar.wndclass."), cls);
}

QString windowTitleBusName(const QString& title)
{
    return joined(QStringLiteral("org.velmar.wndtitle."), title);
}

QString mutexBusName(const QString& mutex)
{
    return joined(QStringLiteral("org.velmar.mutex."), mutex);
}

QString ddeBusName(const QString& service)
{
    return joined(QStringLiteral("org.velmar.dde."), service);
}

} // namespace velmar::platform
