#pragma once
// LogFont: the 60-byte font description of the original design (LOGFONT with
// 8-bit face name), as it lies in the settings block: five 32-bit integers,
// eight bytes and a 32-byte face name, packed little-endian.
//
// Plain value type; safe from any thread on distinct objects.
#include "platform/FixedText.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmar::store {

struct LogFont {
    static constexpr std::size_t ByteSize = 60;
    static constexpr std::size_t FaceSize = 32;

    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    platform::FixedText<FaceSize> lfFaceName;

    bool operator==(const LogFont&) const = default;

    std::array<uint8_t, ByteSize> toBytes() const;
    // Reads from at least ByteSize bytes (the caller checks the size).
    static LogFont fromBytes(const uint8_t* data);

    // The suite's stand-in for the system's ANSI variable-pitch stock font:
    // a normal-weight proportional sans-serif face of 12 pixels.
    static LogFont defaultDisplayFont();
};

} // namespace velmar::store
