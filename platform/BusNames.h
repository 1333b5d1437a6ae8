#pragma once
// Bus names under which the suite's programs find one another on the session
// bus: a window class, a window title, a named mutex or a DDE service becomes
// one well-known name. Pure functions, callable from any thread.
#include <QString>

namespace velmar::platform {

// Every character outside [A-Za-z0-9_] becomes '_' (a bus name element allows
// no other). An empty text gives "_" and a leading digit gets a "_" in front,
// so the name stays valid; whole names are cut to the bus's 255 characters.
QString busNamePart(const QString& s);

QString windowClassBusName(const QString& cls);   // "org.velmar.wndclass." + part
QString windowTitleBusName(const QString& title); // "org.velmar.wndtitle." + part
QString
mutexBusName(const QString& mutex); // "org.velmar.mutex." + part ("NMEA Server" -> org.velmar.mutex.NMEA_Server)
QString ddeBusName(const QString& service); // "org.velmar.dde." + part (service as spelled: "NMEA", "Velmar2000")

} // namespace velmar::platform
