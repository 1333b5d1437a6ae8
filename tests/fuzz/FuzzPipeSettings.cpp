// "PipeDat.dat" as found on disk: any image of the right size is read and
// writes back byte for byte; problems() judges it without failing.
#include "FuzzCheck.h"

#include "settings/PipeSettings.h"

#include <cstdint>

using velmar::pipeserver::PipeSettings;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<PipeSettings> asGiven = PipeSettings::fromBytes(bytes);
    FUZZ_CHECK(asGiven.has_value() == (size == PipeSettings::ByteSize));

    // The same bytes made up to the file's size, so every input reaches the fields.
    const QByteArray image = bytes.leftJustified(qsizetype(PipeSettings::ByteSize), '\0', true);
    const std::optional<PipeSettings> read = PipeSettings::fromBytes(image);
    FUZZ_CHECK(read.has_value());
    FUZZ_CHECK(read->toBytes() == image);
    read->problems();
    return 0;
}
