#include "sound/SampleConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velmar::sound {
namespace {

// The bits of a 32-bit container that carry the sample (the rest are sign).
int UsedBits(int type)
{
    switch (type) {
    case AsioInt32LSB16: return 16;
    case AsioInt32LSB18: return 18;
    case AsioInt32LSB20: return 20;
    case AsioInt32LSB24: return 24;
    default: return 32;
    }
}

bool BigEndian(int type)
{
    return type >= AsioInt16MSB && type <= AsioFloat64MSB;
}

// The sample's bytes, most significant first, whatever the byte order.
void Ordered(const unsigned char* p, std::size_t n, bool bigEndian, unsigned char* out)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = bigEndian ? p[i] : p[n - 1 - i];
}

int16_t One(int type, const unsigned char* p)
{
    unsigned char b[8];
    switch (type) {
    case AsioInt16MSB:
    case AsioInt16LSB: Ordered(p, 2, BigEndian(type), b); return int16_t(uint16_t(b[0] << 8 | b[1]));
    case AsioInt24MSB:
    case AsioInt24LSB: Ordered(p, 3, BigEndian(type), b); return int16_t(uint16_t(b[0] << 8 | b[1]));
    case AsioFloat32MSB:
    case AsioFloat32LSB: {
        Ordered(p, 4, BigEndian(type), b);
        const uint32_t bits = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
        float f;
        std::memcpy(&f, &bits, 4);
        return FloatToSample(f);
    }
    case AsioFloat64MSB:
    case AsioFloat64LSB: {
        Ordered(p, 8, BigEndian(type), b);
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | b[i];
        double d;
        std::memcpy(&d, &bits, 8);
        return FloatToSample(d);
    }
    default: { // 32-bit integers, with UsedBits() significant bits
        Ordered(p, 4, BigEndian(type), b);
        const int32_t v = int32_t(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]);
        return int16_t(std::clamp(v >> (UsedBits(type) - 16), -32768, 32767));
    }
    }
}

} // namespace

std::optional<std::size_t> SampleTypeBytes(int type)
{
    switch (type) {
    case AsioInt16MSB:
    case AsioInt16LSB: return 2;
    case AsioInt24MSB:
    case AsioInt24LSB: return 3;
    case AsioInt32MSB:
    case AsioInt32LSB:
    case AsioFloat32MSB:
    case AsioFloat32LSB:
    case AsioInt32LSB16:
    case AsioInt32LSB18:
    case AsioInt32LSB20:
    case AsioInt32LSB24: return 4;
    case AsioFloat64MSB:
    case AsioFloat64LSB: return 8;
    default: return std::nullopt;
    }
}

int16_t FloatToSample(double x)
{
    if (std::isnan(x))
        return 0;
    return int16_t(std::clamp(std::nearbyint(x * 32768.0), -32768.0, 32767.0));
}

bool ConvertSamples(int type, const void* from, std::size_t count, int16_t* to, std::size_t stride)
{
    const std::optional<std::size_t> width = SampleTypeBytes(type);
    if (!width)
        return false;
    const auto* p = static_cast<const unsigned char*>(from);
    if (type == AsioFloat32LSB) {
        // The JACK path: native floats on every machine this runs on.
        const auto* f = static_cast<const float*>(from);
        for (std::size_t i = 0; i < count; ++i)
            to[i * stride] = FloatToSample(f[i]);
        return true;
    }
    for (std::size_t i = 0; i < count; ++i)
        to[i * stride] = One(type, p + i * *width);
    return true;
}

} // namespace velmar::sound
