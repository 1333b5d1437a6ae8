#pragma once
// The part of the global settings block that a survey database carries with
// it: about forty fields (map, effort line, plot, input boards, display) kept
// as settings rows of UDC_Settings. User-interface thread only.
#include <QString>

#include <cstdint>

namespace velmar::store {

// The line settings of a serial port that a survey keeps as settings rows
// (the four that the serial device-control block of the original design had
// stored): baud rate, parity (0 none, 1 odd, 2 even, 3 mark, 4 space), data
// bits, and stop bits (0 one, 1 one and a half, 2 two).
struct SerialLineSettings {
    int32_t BaudRate = 9600;
    int32_t Parity = 0;
    int32_t ByteSize = 8;
    int32_t StopBits = 0;
    bool operator==(const SerialLineSettings&) const = default;
};

// Writes every mirrored field of TheProgramSettings to the open database.
void SaveSettingsToDb();
// Reads them back. A key the database lacks keeps the block's value and is
// added with it, except Map/MapFile, which then empties the block's map file.
void LoadSettingsFromDb();

// The four line settings as rows BaudRate, Parity, ByteSize and StopBits of
// the given section; reading takes the given settings as the defaults.
void WriteSerialSettings(const QString& section, const SerialLineSettings& settings);
SerialLineSettings ReadSerialSettings(const QString& section, const SerialLineSettings& settings);

} // namespace velmar::store
