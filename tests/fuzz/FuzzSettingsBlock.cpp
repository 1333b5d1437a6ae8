// "Velmar2000.dat" as found on disk: a block that is read is a settings
// record that reads back the same after it is written out again.
#include "FuzzCheck.h"

#include "settings/ProgramSettings.h"

#include <cstdint>

using velmar::store::ProgramSettings;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ProgramSettings settings;
    const bool read = settings.fromBytes(bytes);
    FUZZ_CHECK(read == (size >= ProgramSettings::ByteSize));
    if (!read)
        return 0;
    const QByteArray written = settings.toBytes();
    FUZZ_CHECK(written.size() == qsizetype(ProgramSettings::ByteSize));
    ProgramSettings again;
    FUZZ_CHECK(again.fromBytes(written));
    FUZZ_CHECK(again == settings);
    return 0;
}
