#pragma once
// The serial ports present on this computer, as the port dialogs and the NMEA
// server list them.
//
// Safe from any thread; returns an owned list.
#include <QStringList>

namespace velmar::platform {

// Device paths of the serial ports present now (for example /dev/ttyUSB0),
// sorted ascending by byte value, without duplicates.
QStringList serialPortNames();

} // namespace velmar::platform
