#pragma once
// Older spellings of the record field access in platform/RecordIO.h, kept for
// the callers not yet moved to loadLe/storeLe.
#include "platform/RecordIO.h"

namespace velmar::store {

inline uint16_t getLe16(const uint8_t* p)
{
    return platform::loadLe<uint16_t>(p);
}
inline uint32_t getLe32(const uint8_t* p)
{
    return platform::loadLe<uint32_t>(p);
}
inline void putLe16(uint8_t* p, uint16_t v)
{
    platform::storeLe(p, v);
}
inline void putLe32(uint8_t* p, uint32_t v)
{
    platform::storeLe(p, v);
}
inline float getLeFloat(const uint8_t* p)
{
    return platform::loadLe<float>(p);
}
inline void putLeFloat(uint8_t* p, float v)
{
    platform::storeLe(p, v);
}

} // namespace velmar::store
