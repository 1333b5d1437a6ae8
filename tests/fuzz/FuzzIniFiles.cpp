// "NMEA.INI" as edited by hand: any text is read, its settings loaded and
// saved, and the file written out reads back as the same file.
#include "FuzzCheck.h"

#include "settings/IniFile.h"
#include "nmeaserver/NmeaSettings.h"

#include <cstdint>

using namespace velmar::nmeaserver;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    IniFile file;
    file.parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QByteArray text = file.toText();
    IniFile again;
    again.parse(text);
    FUZZ_CHECK(again.toText() == text);

    NmeaSettings settings;
    settings.setPorts({QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB0")}, file);
    settings.load(file);
    IniFile saved;
    settings.save(saved, true);
    return 0;
}
