#pragma once
// The serial ports present on this computer, as the port dialogs and the NMEA
// server list them.
//
// Safe from any thread; returns an owned list.
#include <QString>
#include <QStringList>

namespace velmar::platform {

// Device paths of the serial ports present now (for example /dev/ttyUSB0),
// sorted ascending by byte value, without duplicates.
QStringList serialPortNames();

// Whether a stored port name is a Windows one ("COM1" to "COM256", any
// letter case). Such a name is kept as stored and never mapped to a device.
bool isWindowsPortName(const QString& name);
// Why a port of that name cannot be opened here, naming the serial ports
// present (or the usual device paths when there are none).
QString windowsPortNameMessage(const QString& name, const QStringList& present);

} // namespace velmar::platform
