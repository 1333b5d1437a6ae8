#pragma once
// SystemTime: the 16-byte time record of the original design (year, month,
// day of week, day, hour, minute, second, milliseconds; 16-bit each, little
// endian), as it is stored in files and sent between programs.
//
// Plain value type; safe to use from any thread.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace velmar::platform {

struct SystemTime {
    static constexpr std::size_t ByteSize = 16;

    uint16_t wYear = 0;
    uint16_t wMonth = 0;     // 1..12
    uint16_t wDayOfWeek = 0; // 0 Sunday .. 6 Saturday
    uint16_t wDay = 0;       // 1..31
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;

    bool operator==(const SystemTime&) const = default;

    // The record's bytes, packed little-endian.
    std::array<uint8_t, ByteSize> toBytes() const;
    // Reads a record from at least ByteSize bytes; nothing when fewer.
    static std::optional<SystemTime> fromBytes(const uint8_t* data, std::size_t size);

    // Conversions to and from UTC time points (proleptic Gregorian calendar,
    // leap years counted). fromTimePoint fills the day of week.
    std::chrono::sys_time<std::chrono::milliseconds> toTimePoint() const;
    static SystemTime fromTimePoint(std::chrono::sys_time<std::chrono::milliseconds> t);

    // The current UTC time of the computer clock.
    static SystemTime nowUtc();

    // True when the date is a real calendar date and the time of day in range.
    bool isValid() const;
};

} // namespace velmar::platform
