// A file offered to the decks as WAV or AIFF: whatever header is accepted
// describes whole 16-bit frames inside the file, with a byte rate that is
// the frame size times the sample rate.
#include "FuzzCheck.h"

#include "sound/WavHeader.h"

#include <QBuffer>

#include <cmath>
#include <cstdint>

using namespace velmar::sound;

namespace {

void checkHeader(const WAVHEADER& h, qint64 fileSize)
{
    FUZZ_CHECK(h.Channels >= 1 && h.SampleRate >= 1);
    FUZZ_CHECK(h.BlockAlign == qint64(h.Channels) * 2);
    FUZZ_CHECK(h.BytesPerSecond == qint64(h.BlockAlign) * h.SampleRate);
    FUZZ_CHECK(h.DataOffset() >= 0 && h.DataOffset() + qint64(h.DataSize) <= fileSize);
    FUZZ_CHECK(std::isfinite(h.Duration()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    WAVHEADER wav;
    FileMessage message;
    if (ReadWavHeader(wav, &file, &message))
        checkHeader(wav, bytes.size());
    WAVHEADER aiff;
    if (ReadAiffHeader(aiff, &file).isEmpty())
        checkHeader(aiff, bytes.size());
    return 0;
}
