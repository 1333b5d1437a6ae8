#pragma once
// Explicit little-endian access to the bytes of stored records, so that a
// record reads the same on any host and no struct is ever cast over bytes.
#include <bit>
#include <cstdint>
#include <cstring>

namespace velmar::store {

inline uint16_t getLe16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t getLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void putLe16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline float getLeFloat(const uint8_t* p)
{
    return std::bit_cast<float>(getLe32(p));
}
inline void putLeFloat(uint8_t* p, float v)
{
    putLe32(p, std::bit_cast<uint32_t>(v));
}

} // namespace velmar::store
